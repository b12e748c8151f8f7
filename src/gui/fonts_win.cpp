// Fonts per DPI, the thread's brushes, and handing both to the window.
#include "gui/colors.h"
#include "gui/layout.h"
#include "gui/window.h"

namespace {

UniqueFont make_font(int height, int weight)
{
    return UniqueFont(CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Segoe UI"));
}

void send_to_control(HWND window, int id, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (HWND control = GetDlgItem(window, id)) SendMessageW(control, message, wparam, lparam);
}

void set_font(HWND window, int id, const UniqueFont& font)
{
    send_to_control(window, id, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
}

// Only this function gives the window icons of its own, so the icon that
// WM_SETICON hands back is one it loaded for the previous DPI: destroy it.
// (Icons loaded at a chosen size are not shared and are not freed by the system.)
void set_icon(HWND window, HMODULE module, WPARAM kind, int metric, std::uint32_t dpi)
{
    const int size = GetSystemMetricsForDpi(metric, dpi);
    HANDLE icon = LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR);
    if (icon == nullptr) return;
    const LRESULT previous = SendMessageW(window, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
    if (previous != 0 && previous != reinterpret_cast<LRESULT>(icon)) DestroyIcon(reinterpret_cast<HICON>(previous));
}

// The thread's three brushes; made together, never deleted.
struct BrushSet {
    HBRUSH window = nullptr;
    HBRUSH card = nullptr;
    HBRUSH line = nullptr;
};

const BrushSet& brush_set()
{
    thread_local BrushSet brushes;
    thread_local bool made = false;
    if (!made) {
        brushes.window = CreateSolidBrush(palette::window);
        brushes.card = CreateSolidBrush(palette::card);
        brushes.line = CreateSolidBrush(palette::line);
        made = true;
    }
    return brushes;
}

}  // namespace

FontSet create_font_set(std::uint32_t dpi)
{
    const auto heights = font_heights(dpi);
    FontSet fonts;
    fonts.title_font = make_font(heights[0], FW_SEMIBOLD);
    fonts.body_font = make_font(heights[1], FW_NORMAL);
    fonts.strong_font = make_font(heights[2], FW_SEMIBOLD);
    fonts.small_font = make_font(heights[3], FW_NORMAL);
    return fonts;
}

void delete_font_set(FontSet& fonts)
{
    fonts.title_font.reset();
    fonts.body_font.reset();
    fonts.strong_font.reset();
    fonts.small_font.reset();
}

void apply_fonts(HWND window, const FontSet& fonts, std::uint32_t dpi)
{
    set_font(window, control_id::header, fonts.title_font);
    for (int row = 0; row < row_count; ++row) {
        set_font(window, control_id::first_label + row, fonts.body_font);
        set_font(window, control_id::first_value + row, fonts.strong_font);
    }
    set_font(window, control_id::message, fonts.body_font);
    set_font(window, control_id::link_box, fonts.body_font);
    set_font(window, control_id::footnote, fonts.small_font);
    set_font(window, control_id::primary, fonts.strong_font);
    set_font(window, control_id::secondary, fonts.strong_font);

    const int margin = link_box_margin(dpi);
    send_to_control(window, control_id::link_box, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, margin));

    HMODULE module = GetModuleHandleW(nullptr);
    if (module == nullptr) return;
    set_icon(window, module, ICON_SMALL, SM_CXSMICON, dpi);
    set_icon(window, module, ICON_BIG, SM_CXICON, dpi);
}

HBRUSH window_brush() { return brush_set().window; }
HBRUSH card_brush() { return brush_set().card; }
HBRUSH line_brush() { return brush_set().line; }
