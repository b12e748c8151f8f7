// The layout at any DPI, and window placement in any work area.
// Input: the DPI (four bytes), a flags byte (link box shown, button 2 shown),
// a work area (four coordinates of four bytes), an outer window size (two of
// four), then a button rectangle (four of four).
#include <algorithm>

#include "fuzz_support.h"
#include "gui/layout.h"

using namespace qd::gui;

namespace {

std::int32_t int_from(FuzzInput& in) { return static_cast<std::int32_t>(in.u32()); }

Rect rect_from(FuzzInput& in)
{
    Rect r;
    r.left = int_from(in);
    r.top = int_from(in);
    r.right = int_from(in);
    r.bottom = int_from(in);
    return r;
}

bool same(const ControlLayout& a, const ControlLayout& b)
{
    return a.header == b.header && a.labels == b.labels && a.values == b.values && a.message == b.message &&
           a.link_box == b.link_box && a.footnote == b.footnote && a.button1 == b.button1 && a.button2 == b.button2;
}

bool is_ordered(const Rect& r) { return r.left <= r.right && r.top <= r.bottom; }

bool rect_within(const Rect& inner, const Rect& outer)
{
    return is_ordered(inner) && inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

bool box_within(const Box& b, const Rect& r)
{
    return b.width >= 0 && b.height >= 0 && b.x >= r.left && b.y >= r.top && std::int64_t{b.x} + b.width <= r.right &&
           std::int64_t{b.y} + b.height <= r.bottom;
}

bool point_within(const Point& p, const Rect& r)
{
    return p.x >= r.left && p.x <= r.right && p.y >= r.top && p.y <= r.bottom;
}

void check_layout(std::uint32_t dpi, bool link, bool button2)
{
    const LayoutMetrics m = layout_metrics(dpi, link);
    const Rect client{0, 0, m.client_width, m.client_height};
    for (const Rect& r : {m.header_rect, m.card_rect, m.message_rect, m.link_rect, m.footnote_rect})
        FUZZ_CHECK(rect_within(r, client));
    FUZZ_CHECK(m.header_rect.bottom <= m.card_rect.top && m.card_rect.bottom <= m.message_rect.top &&
               m.message_rect.bottom <= m.link_rect.top && m.buttons_top + m.button_height <= m.footnote_rect.top);
    FUZZ_CHECK(m.row_height > 0 && m.card_rect.bottom - m.card_rect.top == 6 * m.row_height);

    const ControlLayout c = control_layout(dpi, link, button2);
    for (const Box& b : {c.header, c.message, c.link_box, c.footnote, c.button1, c.button2})
        FUZZ_CHECK(box_within(b, client));
    FUZZ_CHECK(box_within(c.link_box, m.link_rect));
    if (button2)
        FUZZ_CHECK(c.button1.x + c.button1.width <= c.button2.x);
    else
        FUZZ_CHECK(c.button2 == Box{});

    for (int row = 0; row < 6; ++row) {
        const int top = m.card_rect.top + row * m.row_height;
        const Rect band{m.card_rect.left, top, m.card_rect.right, top + m.row_height};
        const auto i = static_cast<std::size_t>(row);
        FUZZ_CHECK(box_within(c.labels[i], band) && box_within(c.values[i], band));
        // The label's box runs s(132) from s(40) and so reaches 6/96 in past the
        // value's left edge at s(166); only their order is fixed.
        FUZZ_CHECK(c.labels[i].x < c.values[i].x);

        const RowMarkGeometry g = row_mark_geometry(dpi, m, row);
        for (const Point& p : g.check) FUZZ_CHECK(point_within(p, band));
        for (const Point& p : g.dash) FUZZ_CHECK(point_within(p, band));
        FUZZ_CHECK(rect_within(g.circle, band) && g.circle.right <= c.labels[i].x);
        FUZZ_CHECK(g.mark_pen_width >= 2 && g.circle_pen_width >= 1);
    }
    for (const Rect& line : separator_rects(dpi, m)) {
        FUZZ_CHECK(rect_within(line, m.card_rect));
        FUZZ_CHECK(line.top > m.card_rect.top && line.bottom < m.card_rect.bottom && line.bottom > line.top);
    }
    for (const Box& b : {c.button1, c.button2}) {
        if (b.width == 0) continue;
        const Rect item{b.x, b.y, b.x + b.width, b.y + b.height};
        const ButtonGeometry g = button_geometry(dpi, item);
        FUZZ_CHECK(rect_within(g.focus_ring, item) && rect_within(g.body, g.focus_ring));
        FUZZ_CHECK(g.focus_corner >= 0 && g.body_corner >= 0 && g.focus_pen_width >= 2);
    }

    const std::array<int, 4> fonts = font_heights(dpi);
    FUZZ_CHECK(fonts[0] <= fonts[1] && fonts[1] == fonts[2] && fonts[2] <= fonts[3] && fonts[3] <= 0);
    FUZZ_CHECK(link_box_margin(dpi) >= 0);
}

void check_placement(const Rect& work, int outer_width, int outer_height, std::uint32_t dpi, const Rect& item)
{
    const Point first = initial_window_position(work);
    if (is_ordered(work) && std::int64_t{work.right} - work.left >= 100 && std::int64_t{work.bottom} - work.top >= 100)
        FUZZ_CHECK(rect_within(Rect{first.x, first.y, first.x + 100, first.y + 100}, work));

    const Point centred = centred_window_position(work, outer_width, outer_height);
    if (is_ordered(work) && outer_width >= 0 && outer_height >= 0) {
        const std::int64_t free_x = std::int64_t{work.right} - work.left - outer_width;
        const std::int64_t free_y = std::int64_t{work.bottom} - work.top - outer_height;
        FUZZ_CHECK(free_x < 0 ? centred.x == work.left : centred.x >= work.left && centred.x - work.left <= free_x);
        FUZZ_CHECK(free_y < 0 ? centred.y == work.top : centred.y >= work.top && centred.y - work.top <= free_y);
    }
    // Any item rectangle, even one at the edge of int: the shapes saturate.
    const ButtonGeometry g = button_geometry(dpi, item);
    if (is_ordered(item) && std::int64_t{item.right} - item.left >= 2 * scale(layout_dpi(dpi), 4) &&
        std::int64_t{item.bottom} - item.top >= 2 * scale(layout_dpi(dpi), 4))
        FUZZ_CHECK(rect_within(g.focus_ring, item) && rect_within(g.body, item));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint32_t dpi = in.u32();
    const std::uint8_t flags = in.u8();
    const bool link = (flags & 1) != 0;
    const bool button2 = (flags & 2) != 0;
    check_layout(dpi, link, button2);

    // Outside the followed range a DPI is laid out as the nearest one inside it.
    const std::uint32_t followed = std::clamp(dpi, min_layout_dpi, max_layout_dpi);
    FUZZ_CHECK(layout_dpi(dpi) == followed);
    if (followed != dpi) FUZZ_CHECK(same(control_layout(dpi, link, button2), control_layout(followed, link, button2)));

    const Rect work = rect_from(in);
    const int outer_width = int_from(in);
    const int outer_height = int_from(in);
    check_placement(work, outer_width, outer_height, dpi, rect_from(in));
    return 0;
}
