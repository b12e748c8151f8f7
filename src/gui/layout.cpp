#include "gui/layout.h"

#include <algorithm>
#include <limits>

namespace qd::gui {

namespace {

int saturate(std::int64_t value)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// Rounds toward minus infinity, so s(n) stays a floor for negative lengths too.
std::int64_t floor_div(std::int64_t numerator, std::int64_t denominator)
{
    std::int64_t quotient = numerator / denominator;
    if (numerator % denominator != 0 && numerator < 0) --quotient;
    return quotient;
}

// s(n) at a DPI already brought into the layout's range: every term and every
// sum of the layout fits in int without further checks.
struct Scaler {
    std::uint32_t dpi;
    int operator()(int n) const { return scale(dpi, n); }
};

Box place(int x, int y, int width, int height) { return {x, y, std::max(width, 0), std::max(height, 0)}; }

Box place(const Rect& r) { return place(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// Offsets of shapes from a rectangle the caller hands in: that rectangle may sit
// anywhere in int, so the sums are formed wide and saturated.
int offset(int base, int delta) { return saturate(std::int64_t{base} + delta); }

}  // namespace

int scale(std::uint32_t dpi, int n)
{
    // |dpi * n| < 2^63 for every u32 dpi and int n.
    return saturate(floor_div(std::int64_t{dpi} * n, 96));
}

std::uint32_t layout_dpi(std::uint32_t dpi) { return std::clamp(dpi, min_layout_dpi, max_layout_dpi); }

LayoutMetrics layout_metrics(std::uint32_t dpi, bool link_shown)
{
    // Each coordinate is a sum of separately floored terms: at 120 DPI the card
    // ends at s(62) + 6 * s(34) = 329, not at s(266) = 332.
    const Scaler s{layout_dpi(dpi)};
    LayoutMetrics m;
    const int margin = s(24);
    const int width = s(520);
    m.margin = margin;
    m.client_width = width;
    m.row_height = s(34);

    m.header_rect = {margin, s(18), width - margin, s(50)};
    const int card_top = s(62);
    const int card_bottom = card_top + 6 * m.row_height;
    m.card_rect = {margin, card_top, width - margin, card_bottom};
    m.message_rect = {margin, card_bottom + s(16), width - margin, card_bottom + s(56)};
    const int link_top = m.message_rect.bottom + s(8);
    m.link_rect = {margin, link_top, width - margin, link_top + s(32)};
    // Without the link box the buttons take its place.
    m.buttons_top = link_shown ? m.link_rect.bottom + s(14) : m.link_rect.top;
    const int footnote_top = m.buttons_top + s(36) + s(18);
    m.footnote_rect = {margin, footnote_top, width - margin, footnote_top + s(36)};
    m.client_height = m.footnote_rect.bottom + s(14);

    m.mark_left = margin + s(14);
    m.label_left = margin + s(40);
    m.label_width = s(132);
    m.value_left = margin + s(166);
    m.value_right = width - margin - s(14);
    m.button_width = s(124);
    m.button_height = s(36);
    m.button_gap = s(10);
    return m;
}

ControlLayout control_layout(std::uint32_t dpi, bool link_shown, bool button2_shown)
{
    const Scaler s{layout_dpi(dpi)};
    const LayoutMetrics m = layout_metrics(dpi, link_shown);
    ControlLayout c;
    c.header = place(m.header_rect);
    for (int i = 0; i < 6; ++i) {
        // A one-pixel gap above and below each row keeps the separators clear.
        const int y = m.card_rect.top + 1 + i * m.row_height;
        const auto row = static_cast<std::size_t>(i);
        c.labels[row] = place(m.label_left, y, m.label_width, m.row_height - 2);
        c.values[row] = place(m.value_left, y, m.value_right - m.value_left, m.row_height - 2);
    }
    c.message = place(m.message_rect);
    // The edit box sits inside its painted band, s(4) in from each side and
    // centred vertically; it is placed whether it is shown or not.
    const Rect& band = m.link_rect;
    c.link_box = place(band.left + s(4), band.top + (band.bottom - (band.top + s(20))) / 2,
                       band.right - (band.left + s(8)), s(20));
    c.footnote = place(m.footnote_rect);

    // Right-aligned; button 2, when shown, is the rightmost.
    int x = m.client_width - (m.margin + m.button_width);
    if (button2_shown) {
        c.button2 = place(x, m.buttons_top, m.button_width, m.button_height);
        x -= m.button_gap + m.button_width;
    }
    c.button1 = place(x, m.buttons_top, m.button_width, m.button_height);
    return c;
}

std::array<int, 4> font_heights(std::uint32_t dpi)
{
    // 20 * (2^32 - 1) / 96 still fits in int, so no DPI needs clamping here.
    constexpr std::array<int, 4> design_sizes = {20, 14, 14, 12};
    std::array<int, 4> heights{};
    for (std::size_t i = 0; i < heights.size(); ++i)
        heights[i] = -static_cast<int>(std::int64_t{design_sizes[i]} * dpi / 96);
    return heights;
}

int link_box_margin(std::uint32_t dpi) { return static_cast<int>(dpi / 12); }

std::array<Rect, 5> separator_rects(std::uint32_t dpi, const LayoutMetrics& m)
{
    // Lines between the rows only: none above the first or below the last.
    const Scaler s{layout_dpi(dpi)};
    const int thickness = std::max(1, s(1));
    std::array<Rect, 5> lines{};
    for (int k = 1; k <= 5; ++k) {
        const int y = offset(m.card_rect.top, saturate(std::int64_t{k} * m.row_height));
        lines[static_cast<std::size_t>(k - 1)] = {offset(m.card_rect.left, s(12)), y, offset(m.card_rect.right, -s(12)),
                                                  offset(y, thickness)};
    }
    return lines;
}

RowMarkGeometry row_mark_geometry(std::uint32_t dpi, const LayoutMetrics& m, int row)
{
    const Scaler s{layout_dpi(dpi)};
    const int x = m.mark_left;
    const int cy = saturate(std::int64_t{m.card_rect.top} + std::int64_t{row} * m.row_height + m.row_height / 2);
    RowMarkGeometry g;
    g.check = {Point{offset(x, s(1)), cy}, Point{offset(x, s(5)), offset(cy, s(4))},
               Point{offset(x, s(13)), offset(cy, -s(5))}};
    g.dash = {Point{offset(x, s(3)), cy}, Point{offset(x, s(11)), cy}};
    g.circle = {offset(x, s(2)), offset(cy, -s(5)), offset(x, s(12)), offset(cy, s(5))};
    g.mark_pen_width = std::max(2, s(2));
    g.circle_pen_width = std::max(1, s(1));
    return g;
}

ButtonGeometry button_geometry(std::uint32_t dpi, const Rect& item)
{
    const Scaler s{layout_dpi(dpi)};
    ButtonGeometry g;
    g.focus_ring = {offset(item.left, s(1)), offset(item.top, s(1)), offset(item.right, -s(1)),
                    offset(item.bottom, -s(1))};
    g.focus_corner = s(8) + s(4);
    g.focus_pen_width = std::max(2, s(2));
    // Drawn with the null pen, the body's fill stops short of its right and
    // bottom edges, so s(3) there balances s(4) on the left and top.
    g.body = {offset(item.left, s(4)), offset(item.top, s(4)), offset(item.right, -s(3)), offset(item.bottom, -s(3))};
    g.body_corner = s(8);
    return g;
}

Point initial_window_position(const Rect& work)
{
    // The centre of the work area less half of the 100 x 100 first size. The
    // halving truncates toward zero, as signed division does: -1919 halves to -959.
    const std::int64_t x = (std::int64_t{work.left} + work.right) / 2 - 50;
    const std::int64_t y = (std::int64_t{work.top} + work.bottom) / 2 - 50;
    return {saturate(x), saturate(y)};
}

Point centred_window_position(const Rect& work, int outer_width, int outer_height)
{
    // A window larger than the work area keeps to its left or top edge.
    const std::int64_t free_x = std::max<std::int64_t>(0, std::int64_t{work.right} - work.left - outer_width) / 2;
    const std::int64_t free_y = std::max<std::int64_t>(0, std::int64_t{work.bottom} - work.top - outer_height) / 2;
    return {saturate(work.left + free_x), saturate(work.top + free_y)};
}

}  // namespace qd::gui
