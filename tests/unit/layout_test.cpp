#include "gui/layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

using namespace qd::gui;

namespace {

constexpr std::uint32_t huge_dpi = UINT32_MAX;

bool inside(const Box& b, int width, int height)
{
    return b.x >= 0 && b.y >= 0 && b.width >= 0 && b.height >= 0 && b.x + b.width <= width && b.y + b.height <= height;
}

bool inside(const Box& b, const Rect& r)
{
    return b.x >= r.left && b.y >= r.top && b.x + b.width <= r.right && b.y + b.height <= r.bottom;
}

}  // namespace

TEST(Scale, FloorsAndSaturates)
{
    struct Case {
        std::uint32_t dpi;
        int n;
        int expected;
    };
    const Case cases[] = {
        {96, 34, 34},
        {120, 34, 42},
        {120, 62, 77},
        {144, 34, 51},
        {95, 1, 0},
        {97, 96, 97},
        {0, 520, 0},
        {120, -1, -2},  // floor, not truncation
        {96, INT_MAX, INT_MAX},
        {96, INT_MIN, INT_MIN},
        {huge_dpi, 520, INT_MAX},
        {huge_dpi, -520, INT_MIN},
        {huge_dpi, INT_MAX, INT_MAX},
        {huge_dpi, INT_MIN, INT_MIN},
        {huge_dpi, 1, 44739242},  // (2^32 - 1) / 96, still in range
    };
    for (const Case& c : cases) EXPECT_EQ(scale(c.dpi, c.n), c.expected) << c.dpi << " dpi, n " << c.n;
}

TEST(LayoutMetrics, MatchesTheDesignAt96And120Dpi)
{
    struct Case {
        std::uint32_t dpi;
        bool link;
        Rect header, card, message, link_rect, footnote;
        int client_width, client_height, buttons_top;
    };
    const Case cases[] = {
        {96,
         false,
         {24, 18, 496, 50},
         {24, 62, 496, 266},
         {24, 282, 496, 322},
         {24, 330, 496, 362},
         {24, 384, 496, 420},
         520,
         434,
         330},
        {96,
         true,
         {24, 18, 496, 50},
         {24, 62, 496, 266},
         {24, 282, 496, 322},
         {24, 330, 496, 362},
         {24, 430, 496, 466},
         520,
         480,
         376},
        // Term by term: the card ends at s(62) + 6 * s(34) = 329, not s(266) = 332.
        {120,
         false,
         {30, 22, 620, 62},
         {30, 77, 620, 329},
         {30, 349, 620, 399},
         {30, 409, 620, 449},
         {30, 476, 620, 521},
         650,
         538,
         409},
        {120,
         true,
         {30, 22, 620, 62},
         {30, 77, 620, 329},
         {30, 349, 620, 399},
         {30, 409, 620, 449},
         {30, 533, 620, 578},
         650,
         595,
         466},
        // Exactly twice the 96-DPI design.
        {192,
         false,
         {48, 36, 992, 100},
         {48, 124, 992, 532},
         {48, 564, 992, 644},
         {48, 660, 992, 724},
         {48, 768, 992, 840},
         1040,
         868,
         660},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi, link " << c.link);
        const LayoutMetrics m = layout_metrics(c.dpi, c.link);
        EXPECT_EQ(m.header_rect, c.header);
        EXPECT_EQ(m.card_rect, c.card);
        EXPECT_EQ(m.message_rect, c.message);
        EXPECT_EQ(m.link_rect, c.link_rect);
        EXPECT_EQ(m.footnote_rect, c.footnote);
        EXPECT_EQ(m.client_width, c.client_width);
        EXPECT_EQ(m.client_height, c.client_height);
        EXPECT_EQ(m.buttons_top, c.buttons_top);
    }
}

TEST(LayoutMetrics, ClientSizeAtCommonDpis)
{
    struct Case {
        std::uint32_t dpi;
        int width, height_plain, height_with_link;
    };
    const Case cases[] = {{96, 520, 434, 480}, {120, 650, 538, 595}, {144, 780, 651, 720}, {192, 1040, 868, 960}};
    for (const Case& c : cases) {
        EXPECT_EQ(layout_metrics(c.dpi, false).client_width, c.width) << c.dpi;
        EXPECT_EQ(layout_metrics(c.dpi, true).client_width, c.width) << c.dpi;
        EXPECT_EQ(layout_metrics(c.dpi, false).client_height, c.height_plain) << c.dpi;
        EXPECT_EQ(layout_metrics(c.dpi, true).client_height, c.height_with_link) << c.dpi;
    }
}

TEST(LayoutMetrics, ColumnsAndButtonsAt96And120Dpi)
{
    const LayoutMetrics m = layout_metrics(96, false);
    EXPECT_EQ(m.margin, 24);
    EXPECT_EQ(m.row_height, 34);
    EXPECT_EQ(m.mark_left, 38);
    EXPECT_EQ(m.label_left, 64);
    EXPECT_EQ(m.label_width, 132);
    EXPECT_EQ(m.value_left, 190);
    EXPECT_EQ(m.value_right, 482);
    EXPECT_EQ(m.button_width, 124);
    EXPECT_EQ(m.button_height, 36);
    EXPECT_EQ(m.button_gap, 10);

    // 120 DPI floors each term: 30 + s(14) = 30 + 17, 650 - 30 - 17 = 603.
    const LayoutMetrics w = layout_metrics(120, false);
    EXPECT_EQ(w.margin, 30);
    EXPECT_EQ(w.row_height, 42);
    EXPECT_EQ(w.mark_left, 47);
    EXPECT_EQ(w.label_left, 80);
    EXPECT_EQ(w.label_width, 165);
    EXPECT_EQ(w.value_left, 237);
    EXPECT_EQ(w.value_right, 603);
    EXPECT_EQ(w.button_width, 155);
    EXPECT_EQ(w.button_height, 45);
    EXPECT_EQ(w.button_gap, 12);
}

// Whatever the DPI, the pieces stay in order, inside the client area, and the
// link box's band adds exactly s(32) + s(14) to the height.
TEST(LayoutMetrics, StaysOrderedAtAnyDpi)
{
    std::vector<std::uint32_t> dpis;
    for (std::uint32_t dpi = 0; dpi <= 1000; ++dpi) dpis.push_back(dpi);
    for (std::uint32_t dpi : {4095u, 65535u, max_layout_dpi, max_layout_dpi + 1, 1u << 31, huge_dpi})
        dpis.push_back(dpi);
    for (std::uint32_t dpi : dpis) {
        for (bool link : {false, true}) {
            SCOPED_TRACE(testing::Message() << dpi << " dpi, link " << link);
            const LayoutMetrics m = layout_metrics(dpi, link);
            ASSERT_LE(m.header_rect.bottom, m.card_rect.top);
            ASSERT_LE(m.card_rect.bottom, m.message_rect.top);
            ASSERT_LE(m.message_rect.bottom, m.link_rect.top);
            ASSERT_LE(m.buttons_top + m.button_height, m.footnote_rect.top);
            ASSERT_LE(m.footnote_rect.bottom, m.client_height);
            ASSERT_LE(m.value_right, m.client_width - m.margin);
            if (link) {
                ASSERT_LE(m.link_rect.bottom, m.buttons_top);
            }
            const std::uint32_t d = layout_dpi(dpi);
            ASSERT_EQ(layout_metrics(dpi, true).client_height - layout_metrics(dpi, false).client_height,
                      scale(d, 32) + scale(d, 14));

            const ControlLayout c = control_layout(dpi, link, true);
            for (const Box& b : {c.header, c.message, c.link_box, c.footnote, c.button1, c.button2})
                ASSERT_TRUE(inside(b, m.client_width, m.client_height));
            for (std::size_t i = 0; i < 6; ++i) {
                ASSERT_TRUE(inside(c.labels[i], m.card_rect));
                ASSERT_TRUE(inside(c.values[i], m.card_rect));
                ASSERT_LT(c.labels[i].x, c.values[i].x);
            }
            for (const Rect& line : separator_rects(dpi, m)) {
                ASSERT_TRUE(line.left >= m.card_rect.left && line.right <= m.card_rect.right);
                ASSERT_TRUE(line.top > m.card_rect.top && line.bottom < m.card_rect.bottom);
            }
            ASSERT_TRUE(inside(c.link_box, m.link_rect));
            ASSERT_LE(c.button1.x + c.button1.width, c.button2.x);
        }
    }
}

TEST(LayoutMetrics, HugeDpisAreLaidOutAsTheLargestFollowed)
{
    EXPECT_EQ(layout_dpi(120), 120u);
    EXPECT_EQ(layout_dpi(huge_dpi), max_layout_dpi);
    for (std::uint32_t dpi : {max_layout_dpi + 1, 1u << 31, huge_dpi}) {
        EXPECT_EQ(layout_metrics(dpi, true).client_height, layout_metrics(max_layout_dpi, true).client_height);
        EXPECT_EQ(control_layout(dpi, true, true).button1, control_layout(max_layout_dpi, true, true).button1);
    }
    EXPECT_EQ(layout_metrics(max_layout_dpi, false).client_width, 520 * 1024);
}

TEST(ControlLayout, PlacesEveryControlAt96Dpi)
{
    const ControlLayout c = control_layout(96, false, true);
    EXPECT_EQ(c.header, (Box{24, 18, 472, 32}));
    for (int i = 0; i < 6; ++i) {
        const auto row = static_cast<std::size_t>(i);
        EXPECT_EQ(c.labels[row], (Box{64, 63 + 34 * i, 132, 32})) << i;
        EXPECT_EQ(c.values[row], (Box{190, 63 + 34 * i, 292, 32})) << i;
    }
    EXPECT_EQ(c.message, (Box{24, 282, 472, 40}));
    EXPECT_EQ(c.link_box, (Box{28, 336, 464, 20}));
    EXPECT_EQ(c.footnote, (Box{24, 384, 472, 36}));

    const ControlLayout linked = control_layout(96, true, true);
    EXPECT_EQ(linked.link_box, (Box{28, 336, 464, 20}));  // the band does not move
    EXPECT_EQ(linked.footnote, (Box{24, 430, 472, 36}));
}

TEST(ControlLayout, ButtonsAreRightAlignedWithButton2Rightmost)
{
    struct Case {
        std::uint32_t dpi;
        bool link, button2;
        Box button1, button2_box;
    };
    const Case cases[] = {
        {96, false, true, {238, 330, 124, 36}, {372, 330, 124, 36}},
        {96, true, true, {238, 376, 124, 36}, {372, 376, 124, 36}},
        {96, false, false, {372, 330, 124, 36}, {}},
        {96, true, false, {372, 376, 124, 36}, {}},
        // 650 - (30 + 155) = 465; 465 - (12 + 155) = 298.
        {120, false, true, {298, 409, 155, 45}, {465, 409, 155, 45}},
        {120, true, false, {465, 466, 155, 45}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi, link " << c.link << ", button 2 " << c.button2);
        const ControlLayout layout = control_layout(c.dpi, c.link, c.button2);
        EXPECT_EQ(layout.button1, c.button1);
        EXPECT_EQ(layout.button2, c.button2_box);
    }
}

TEST(ControlLayout, LinkBoxIsCentredInItsBandWithIntegerHalving)
{
    // 120 DPI: band (30, 409, 620, 449) is 40 high, the box s(20) = 25, so the
    // spare 15 pixels split 7 above and 8 below.
    EXPECT_EQ(control_layout(120, true, true).link_box, (Box{35, 416, 580, 25}));
    EXPECT_EQ(control_layout(192, true, true).link_box, (Box{56, 672, 928, 40}));
}

TEST(ControlLayout, DpisBelow96AreLaidOutAt96)
{
    // A window's DPI read as 0 must not put the row boxes and separators a pixel
    // outside the card, as the fixed insets did when every length scaled to 0.
    const ControlLayout at96 = control_layout(96, true, true);
    const LayoutMetrics m96 = layout_metrics(96, true);
    for (std::uint32_t dpi : {0u, 1u, 2u, 3u, 48u, 95u}) {
        SCOPED_TRACE(testing::Message() << dpi << " dpi");
        EXPECT_EQ(layout_dpi(dpi), 96u);
        const ControlLayout c = control_layout(dpi, true, true);
        EXPECT_EQ(c.labels, at96.labels);
        EXPECT_EQ(c.values, at96.values);
        EXPECT_EQ(c.button2, at96.button2);
        const LayoutMetrics m = layout_metrics(dpi, true);
        EXPECT_EQ(m.card_rect, m96.card_rect);
        EXPECT_EQ(separator_rects(dpi, m), separator_rects(96, m96));
        EXPECT_EQ(row_mark_geometry(dpi, m, 2).circle, row_mark_geometry(96, m96, 2).circle);
    }
}

TEST(FontHeights, NegativeCharacterHeightsIn64Bits)
{
    struct Case {
        std::uint32_t dpi;
        std::array<int, 4> heights;
        int margin;
    };
    const Case cases[] = {
        {96, {-20, -14, -14, -12}, 8},
        {120, {-25, -17, -17, -15}, 10},
        {144, {-30, -21, -21, -18}, 12},
        {192, {-40, -28, -28, -24}, 16},
        {191, {-39, -27, -27, -23}, 15},
        {0, {0, 0, 0, 0}, 0},
        // 20 * (2^32 - 1) would wrap in 32 bits.
        {huge_dpi, {-894784853, -626349397, -626349397, -536870911}, 357913941},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(font_heights(c.dpi), c.heights) << c.dpi;
        EXPECT_EQ(link_box_margin(c.dpi), c.margin) << c.dpi;
    }
}

TEST(SeparatorRects, LinesBetweenRowsOnly)
{
    const std::array<Rect, 5> at96 = separator_rects(96, layout_metrics(96, false));
    const int ys[] = {96, 130, 164, 198, 232};
    for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ(at96[k], (Rect{36, ys[k], 484, ys[k] + 1})) << k;

    // 192 DPI: two pixels thick, s(12) = 24 in from the card.
    const std::array<Rect, 5> at192 = separator_rects(192, layout_metrics(192, false));
    for (std::size_t k = 0; k < 5; ++k) {
        const int y = 124 + 68 * static_cast<int>(k + 1);
        EXPECT_EQ(at192[k], (Rect{72, y, 968, y + 2})) << k;
    }
}

TEST(RowMarkGeometry, ShapesAt96Dpi)
{
    const LayoutMetrics m = layout_metrics(96, false);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const int cy = 79 + 34 * i;
        const RowMarkGeometry g = row_mark_geometry(96, m, i);
        EXPECT_EQ(g.check, (std::array<Point, 3>{Point{39, cy}, Point{43, cy + 4}, Point{51, cy - 5}}));
        EXPECT_EQ(g.dash, (std::array<Point, 2>{Point{41, cy}, Point{49, cy}}));
        EXPECT_EQ(g.circle, (Rect{40, cy - 5, 50, cy + 5}));
    }
}

TEST(RowMarkGeometry, PenWidthsHaveFloors)
{
    struct Case {
        std::uint32_t dpi;
        int mark_pen, circle_pen;
    };
    const Case cases[] = {{48, 2, 1}, {96, 2, 1}, {120, 2, 1}, {144, 3, 1}, {192, 4, 2}};
    for (const Case& c : cases) {
        const RowMarkGeometry g = row_mark_geometry(c.dpi, layout_metrics(c.dpi, false), 0);
        EXPECT_EQ(g.mark_pen_width, c.mark_pen) << c.dpi;
        EXPECT_EQ(g.circle_pen_width, c.circle_pen) << c.dpi;
    }
    // 192 DPI, row 1: mark_left 76, cy = 124 + 68 + 34 = 226.
    const RowMarkGeometry g = row_mark_geometry(192, layout_metrics(192, false), 1);
    EXPECT_EQ(g.check, (std::array<Point, 3>{Point{78, 226}, Point{86, 234}, Point{102, 216}}));
    EXPECT_EQ(g.circle, (Rect{80, 216, 100, 236}));
}

TEST(RowMarkGeometry, StrayRowsAndMetricsDoNotOverflow)
{
    LayoutMetrics m;
    m.card_rect = {0, INT_MAX - 10, 0, INT_MAX};
    m.row_height = INT_MAX;
    m.mark_left = INT_MAX - 1;
    const RowMarkGeometry g = row_mark_geometry(96, m, 5);
    EXPECT_EQ(g.check[2].x, INT_MAX);
    EXPECT_EQ(g.circle.bottom, INT_MAX);
    m.row_height = INT_MIN;
    EXPECT_EQ(row_mark_geometry(96, m, INT_MAX).circle.top, INT_MIN);
    m.card_rect = {INT_MIN, 0, INT_MAX, INT_MAX};
    m.row_height = INT_MAX;
    const std::array<Rect, 5> lines = separator_rects(96, m);
    EXPECT_EQ(lines[4].bottom, INT_MAX);
    EXPECT_EQ(lines[0].left, INT_MIN + 12);
}

TEST(ButtonGeometry, RingAndBodyInsets)
{
    struct Case {
        std::uint32_t dpi;
        Rect item, ring;
        int ring_corner, ring_pen;
        Rect body;
        int body_corner;
    };
    const Case cases[] = {
        {96, {0, 0, 124, 36}, {1, 1, 123, 35}, 12, 2, {4, 4, 121, 33}, 8},
        {96, {238, 330, 362, 366}, {239, 331, 361, 365}, 12, 2, {242, 334, 359, 363}, 8},
        {120, {0, 0, 155, 45}, {1, 1, 154, 44}, 15, 2, {5, 5, 152, 42}, 10},
        {192, {0, 0, 248, 72}, {2, 2, 246, 70}, 24, 4, {8, 8, 242, 66}, 16},
        // An item rectangle at the edge of int saturates instead of wrapping.
        {96,
         {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
         {INT_MIN + 1, INT_MIN + 1, INT_MAX - 1, INT_MAX - 1},
         12,
         2,
         {INT_MIN + 4, INT_MIN + 4, INT_MAX - 3, INT_MAX - 3},
         8},
        {96,
         {INT_MAX - 2, INT_MAX - 2, INT_MIN + 1, INT_MIN + 1},
         {INT_MAX - 1, INT_MAX - 1, INT_MIN, INT_MIN},
         12,
         2,
         {INT_MAX, INT_MAX, INT_MIN, INT_MIN},
         8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.dpi << " dpi, item left " << c.item.left);
        const ButtonGeometry g = button_geometry(c.dpi, c.item);
        EXPECT_EQ(g.focus_ring, c.ring);
        EXPECT_EQ(g.focus_corner, c.ring_corner);
        EXPECT_EQ(g.focus_pen_width, c.ring_pen);
        EXPECT_EQ(g.body, c.body);
        EXPECT_EQ(g.body_corner, c.body_corner);
    }
}

TEST(WindowPosition, FirstPositionHalvesTowardZero)
{
    struct Case {
        Rect work;
        Point expected;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1040}, {910, 470}},
        {{-1919, 0, 0, 1040}, {-1009, 470}},  // -1919 / 2 = -959, not -960
        {{0, 0, 1024, 768}, {462, 334}},      // the fallback when the monitor cannot be asked
        {{1920, -1, 3840, 0}, {2830, -50}},   // -1 / 2 = 0
        {{INT_MAX, INT_MAX, INT_MAX, INT_MAX}, {INT_MAX - 50, INT_MAX - 50}},
        {{INT_MIN, INT_MIN, INT_MIN, INT_MIN}, {INT_MIN, INT_MIN}},
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {-50, -50}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(initial_window_position(c.work), c.expected) << c.work.left << "," << c.work.top;
}

TEST(WindowPosition, CentredPositionRaisesFreeSpaceToZeroThenHalves)
{
    struct Case {
        Rect work;
        int width, height;
        Point expected;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1040}, 600, 500, {660, 270}},
        {{0, 0, 2001, 1040}, 600, 500, {700, 270}},  // free width 1401 gives 700
        {{100, 50, 700, 450}, 800, 500, {100, 50}},  // larger than the work area: its corner
        {{-1920, 0, 0, 1040}, 600, 500, {-1260, 270}},
        {{0, 0, 1920, 1040}, 0, 0, {960, 520}},  // the window's size could not be read
        {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, 0, 0, {-1, -1}},
        {{0, 0, 100, 100}, INT_MIN, INT_MIN, {1073741874, 1073741874}},  // 100 - INT_MIN needs 64 bits
    };
    for (const Case& c : cases)
        EXPECT_EQ(centred_window_position(c.work, c.width, c.height), c.expected) << c.width << "x" << c.height;
}
