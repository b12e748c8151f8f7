// Layout of the main window: every length is designed at 96 DPI and scaled
// term by term with s(n) = floor(dpi * n / 96). Pure arithmetic.
#pragma once
#include <array>
#include <cstdint>

namespace qd::gui {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
};

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// A control's place as MoveWindow takes it; negative sizes are passed as 0.
struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Box&, const Box&) = default;
};

// s(n) for a DPI, computed wide enough for any DPI; a result beyond int saturates.
int scale(std::uint32_t dpi, int n);

// The DPIs the geometry below follows. Windows never goes below 96, and a
// window's DPI read as 0 (a failed call) is laid out at 96, as at start-up:
// below 3 DPI every length is 0 and the fixed one-pixel insets would put boxes
// outside the card. Above 1024 times the design size a DPI is laid out as that
// one, so that every coordinate, and any sum or difference of two, stays far
// inside int. Real screens stay below 500.
inline constexpr std::uint32_t min_layout_dpi = 96;
inline constexpr std::uint32_t max_layout_dpi = 96u * 1024u;
std::uint32_t layout_dpi(std::uint32_t dpi);

struct LayoutMetrics {
    Rect header_rect;
    Rect card_rect;
    Rect message_rect;
    Rect link_rect;
    Rect footnote_rect;
    int client_width = 0;
    int client_height = 0;
    int margin = 0;
    int row_height = 0;
    int mark_left = 0;
    int label_left = 0;
    int label_width = 0;
    int value_left = 0;
    int value_right = 0;
    int buttons_top = 0;
    int button_width = 0;
    int button_height = 0;
    int button_gap = 0;
};

LayoutMetrics layout_metrics(std::uint32_t dpi, bool link_shown);

// Where relayout puts every child control.
struct ControlLayout {
    Box header;
    std::array<Box, 6> labels;
    std::array<Box, 6> values;
    Box message;
    Box link_box;
    Box footnote;
    Box button1;
    Box button2;  // placed only when button 2 is shown; all zero otherwise
};
ControlLayout control_layout(std::uint32_t dpi, bool link_shown, bool button2_shown);

// Font heights (negative: character height) of the title, body, strong and small fonts.
std::array<int, 4> font_heights(std::uint32_t dpi);

// The link box's left and right margins.
int link_box_margin(std::uint32_t dpi);

// The painted shapes.
std::array<Rect, 5> separator_rects(std::uint32_t dpi, const LayoutMetrics& m);

struct RowMarkGeometry {
    std::array<Point, 3> check;  // found
    std::array<Point, 2> dash;   // not found
    Rect circle;                 // pending
    int mark_pen_width = 0;      // check and dash
    int circle_pen_width = 0;
};
RowMarkGeometry row_mark_geometry(std::uint32_t dpi, const LayoutMetrics& m, int row);

struct ButtonGeometry {
    Rect focus_ring;
    int focus_corner = 0;
    int focus_pen_width = 0;
    Rect body;
    int body_corner = 0;
};
ButtonGeometry button_geometry(std::uint32_t dpi, const Rect& item);

// Window placement at start-up: the first position of the 100 x 100 window in
// the work area, and the centred position once the final size is known.
Point initial_window_position(const Rect& work);
Point centred_window_position(const Rect& work, int outer_width, int outer_height);

}  // namespace qd::gui
