// Nothing here needs the window state: everything comes from the controls
// (visibility, colour role, caption, font), the DPI and the thread's colours.
#include "gui/paint_win.h"

#include <algorithm>
#include <array>

#include "checks/owned_win.h"
#include "checks/scan_types.h"
#include "gui/colors.h"
#include "gui/layout.h"
#include "gui/theme_win.h"
#include "gui/window_ids.h"

namespace qd::gui {

namespace {

class PaintGuard {
public:
    explicit PaintGuard(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    PaintGuard(const PaintGuard&) = delete;
    PaintGuard& operator=(const PaintGuard&) = delete;
    ~PaintGuard() { EndPaint(window_, &paint_); }
    HDC dc() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

RECT to_rect(const Rect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

void fill(HDC dc, const Rect& r, HBRUSH brush)
{
    const RECT rect = to_rect(r);
    FillRect(dc, &rect, brush);
}

template <std::size_t N>
void polyline(HDC dc, const std::array<Point, N>& points)
{
    std::array<POINT, N> p;
    for (std::size_t i = 0; i < N; ++i) p[i] = POINT{points[i].x, points[i].y};
    Polyline(dc, p.data(), static_cast<int>(N));
}

COLORREF colorref(std::uint32_t c) { return static_cast<COLORREF>(c); }

LONG_PTR color_role_of(HWND control) { return control != nullptr ? GetWindowLongPtrW(control, GWLP_USERDATA) : 0; }

// A frame `width` pixels wide just inside r.
void outline(HDC dc, const Rect& r, int width, HBRUSH brush)
{
    RECT frame = to_rect(r);
    for (int i = 0; i < width && frame.right > frame.left && frame.bottom > frame.top; ++i) {
        FrameRect(dc, &frame, brush);
        InflateRect(&frame, -1, -1);
    }
}

int line_width(std::uint32_t dpi) { return std::max(1, scale(dpi, 1)); }

void draw_row_mark(HDC dc, const ColorScheme& scheme, const RowMarkGeometry& g, RowMark mark)
{
    const bool pending = mark == RowMark::Pending;
    const std::uint32_t colour = mark_color(scheme, mark);
    const checks::UniquePen pen(CreatePen(PS_SOLID, pending ? g.circle_pen_width : g.mark_pen_width, colorref(colour)));
    const checks::SelectGuard use_pen(dc, pen.get());
    switch (mark) {
    case RowMark::Found: polyline(dc, g.check); break;
    case RowMark::Missing: polyline(dc, g.dash); break;
    case RowMark::Pending: Ellipse(dc, g.circle.left, g.circle.top, g.circle.right, g.circle.bottom); break;
    }
}

void draw_main_window(HDC dc, HWND window)
{
    const std::uint32_t dpi = GetDpiForWindow(window);
    HWND link_box = GetDlgItem(window, control_id::link_box);
    const bool link_shown = link_box != nullptr && IsWindowVisible(link_box);
    const LayoutMetrics m = layout_metrics(dpi, link_shown);

    const ColorScheme& scheme = current_scheme();

    fill(dc, m.card_rect, card_brush());
    for (const Rect& separator : separator_rects(dpi, m)) fill(dc, separator, separator_brush());
    if (link_shown) fill(dc, m.link_rect, line_brush());
    if (scheme.outlined) {
        outline(dc, m.card_rect, line_width(dpi), separator_brush());
        if (link_shown) outline(dc, m.link_rect, line_width(dpi), separator_brush());
    }

    const checks::SelectGuard hollow(dc, GetStockObject(NULL_BRUSH));
    for (int row = 0; row < checks::row_count; ++row) {
        const LONG_PTR role = color_role_of(GetDlgItem(window, control_id::first_value + row));
        draw_row_mark(dc, scheme, row_mark_geometry(dpi, m, row), row_mark(role));
    }
}

}  // namespace

void paint_main_window(HWND window)
{
    const PaintGuard paint(window);
    if (paint.dc() != nullptr) draw_main_window(paint.dc(), window);
}

LRESULT draw_button(const DRAWITEMSTRUCT& item)
{
    if (item.CtlType != ODT_BUTTON) return FALSE;
    HDC dc = item.hDC;
    const std::uint32_t dpi = GetDpiForWindow(item.hwndItem);
    const ColorScheme& scheme = current_scheme();
    const ButtonColors colours =
        button_colors(scheme, static_cast<int>(item.CtlID), (item.itemState & ODS_SELECTED) != 0);
    const Rect r{item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
    const ButtonGeometry g = button_geometry(dpi, r);

    wchar_t caption[64] = {};
    GetWindowTextW(item.hwndItem, caption, 64);

    FillRect(dc, &item.rcItem, window_brush());

    if ((item.itemState & ODS_FOCUS) != 0) {
        const checks::UniquePen ring(CreatePen(PS_SOLID, g.focus_pen_width, colorref(scheme.focus_ring)));
        const checks::SelectGuard hollow(dc, GetStockObject(NULL_BRUSH));
        const checks::SelectGuard use_pen(dc, ring.get());
        RoundRect(dc, g.focus_ring.left, g.focus_ring.top, g.focus_ring.right, g.focus_ring.bottom, g.focus_corner,
                  g.focus_corner);
    }
    {
        const checks::UniqueBrush body(CreateSolidBrush(colorref(colours.fill)));
        // An outline, where the scheme has one, is drawn inside the body's edge.
        const checks::UniquePen edge(
            colours.outline ? CreatePen(PS_INSIDEFRAME, line_width(dpi), colorref(*colours.outline)) : nullptr);
        const checks::SelectGuard use_brush(dc, body.get());
        const checks::SelectGuard use_pen(dc, edge ? static_cast<HGDIOBJ>(edge.get()) : GetStockObject(NULL_PEN));
        RoundRect(dc, g.body.left, g.body.top, g.body.right, g.body.bottom, g.body_corner, g.body_corner);
    }
    {
        HFONT font = reinterpret_cast<HFONT>(SendMessageW(item.hwndItem, WM_GETFONT, 0, 0));
        const checks::SelectGuard use_font(dc, font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, colorref(colours.caption));
        RECT text_rect = item.rcItem;
        DrawTextW(dc, caption, -1, &text_rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    return TRUE;
}

LRESULT control_colors(HDC dc, HWND control)
{
    const RoleColors colours = role_colors(current_scheme(), color_role_of(control));
    SetTextColor(dc, colorref(colours.text));
    SetBkColor(dc, colorref(colours.background));
    return reinterpret_cast<LRESULT>(brush_of(colours.brush));
}

}  // namespace qd::gui
