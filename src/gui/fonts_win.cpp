#include "gui/fonts_win.h"

#include "checks/scan_types.h"
#include "gui/layout.h"
#include "gui/window_ids.h"

namespace qd::gui {

namespace {

checks::UniqueFont make_font(int height, int weight)
{
    return checks::UniqueFont(CreateFontW(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, 0, L"Segoe UI"));
}

void send_to_control(HWND window, int id, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (HWND control = GetDlgItem(window, id)) SendMessageW(control, message, wparam, lparam);
}

void set_font(HWND window, int id, const checks::UniqueFont& font)
{
    send_to_control(window, id, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
}

// Icons loaded at a chosen size are not shared: the window's owner destroys
// them, here when they are replaced and otherwise with the WindowIcons.
void set_icon(HWND window, HMODULE module, WPARAM kind, int metric, std::uint32_t dpi, checks::UniqueIcon& owned)
{
    const int size = GetSystemMetricsForDpi(metric, dpi);
    checks::UniqueIcon icon(
        static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
    if (!icon) return;
    SendMessageW(window, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon.get()));
    owned = std::move(icon);  // the window no longer uses the old one
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

void apply_fonts(HWND window, const FontSet& fonts, std::uint32_t dpi)
{
    set_font(window, control_id::header, fonts.title_font);
    for (int row = 0; row < checks::row_count; ++row) {
        set_font(window, control_id::first_label + row, fonts.body_font);
        set_font(window, control_id::first_value + row, fonts.strong_font);
    }
    set_font(window, control_id::message, fonts.body_font);
    set_font(window, control_id::link_box, fonts.body_font);
    set_font(window, control_id::footnote, fonts.small_font);
    set_font(window, control_id::primary, fonts.strong_font);
    set_font(window, control_id::secondary, fonts.strong_font);

    const int margin = link_box_margin(dpi);
    send_to_control(window, control_id::link_box, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                    MAKELPARAM(margin, margin));
}

void apply_icons(HWND window, WindowIcons& icons, std::uint32_t dpi)
{
    HMODULE module = GetModuleHandleW(nullptr);
    if (module == nullptr) return;
    set_icon(window, module, ICON_SMALL, SM_CXSMICON, dpi, icons.small_icon);
    set_icon(window, module, ICON_BIG, SM_CXICON, dpi, icons.big_icon);
}

}  // namespace qd::gui
