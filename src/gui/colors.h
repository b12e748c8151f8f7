// The colours the window paints: its own dark palette, or the system colours
// while High Contrast is on; and the colours each ColorRole asks for. Pure.
#pragma once
#include <cstdint>
#include <optional>

namespace qd::gui {

// COLORREF values, 0x00BBGGRR.
namespace palette {
inline constexpr std::uint32_t window = 0x001C1C1C;
inline constexpr std::uint32_t card = 0x00262626;
inline constexpr std::uint32_t line = 0x00303030;
inline constexpr std::uint32_t dim = 0x003A3A3A;
inline constexpr std::uint32_t text = 0x00EFF1F1;
inline constexpr std::uint32_t muted = 0x00A2A7A6;
inline constexpr std::uint32_t accent = 0x008AD39F;
inline constexpr std::uint32_t accent_pressed = 0x00A4E3B7;
inline constexpr std::uint32_t on_accent = 0x00142017;
// The title bar: the window's own background behind the text colour.
inline constexpr std::uint32_t caption = window;
inline constexpr std::uint32_t caption_text = text;
}  // namespace palette

// The number kept in each child control's user-data slot: selects its colours
// and, for row values, records the row's state.
enum class ColorRole : std::uint8_t {
    Plain = 0,
    Footnote = 1,
    RowLabel = 2,
    ValuePending = 3,
    ValueFound = 4,
    ValueMissing = 5,
    LinkBox = 6,
};

// The system colours the window takes while High Contrast is on, as
// GetSysColor gives them (COLORREF, 0x00BBGGRR).
struct SystemColors {
    std::uint32_t window = 0;          // COLOR_WINDOW
    std::uint32_t window_text = 0;     // COLOR_WINDOWTEXT
    std::uint32_t button_face = 0;     // COLOR_BTNFACE
    std::uint32_t button_text = 0;     // COLOR_BTNTEXT
    std::uint32_t highlight = 0;       // COLOR_HIGHLIGHT
    std::uint32_t highlight_text = 0;  // COLOR_HIGHLIGHTTEXT
    std::uint32_t gray_text = 0;       // COLOR_GRAYTEXT
    friend bool operator==(const SystemColors&, const SystemColors&) = default;
};

struct ButtonScheme {
    std::uint32_t fill = 0;
    std::uint32_t caption = 0;
    std::uint32_t pressed_fill = 0;
    std::uint32_t pressed_caption = 0;
    std::optional<std::uint32_t> outline;  // drawn round the body; none: the fill alone sets it off
    friend bool operator==(const ButtonScheme&, const ButtonScheme&) = default;
};

// Every colour the window paints, by what it is used for.
struct ColorScheme {
    std::uint32_t window = 0;     // the window's background, behind header, message, footnote, buttons
    std::uint32_t card = 0;       // the card behind the rows, behind row labels and values
    std::uint32_t band = 0;       // the link band, behind the link box
    std::uint32_t separator = 0;  // the lines between the rows
    bool outlined = false;        // card and link band outlined in the separator colour
    std::uint32_t text = 0;       // header, message, found values, the link
    std::uint32_t label = 0;      // row labels and the footnote
    std::uint32_t pending = 0;    // values still being read
    std::uint32_t missing = 0;    // "not found"
    std::uint32_t mark_found = 0;
    std::uint32_t mark_missing = 0;
    std::uint32_t mark_pending = 0;
    std::uint32_t focus_ring = 0;
    ButtonScheme primary;    // button 1
    ButtonScheme secondary;  // any other button
    bool dark_title_bar = false;
    friend bool operator==(const ColorScheme&, const ColorScheme&) = default;
};

// The palette's scheme: what the window paints while High Contrast is off.
inline constexpr ColorScheme dark_scheme = {
    .window = palette::window,
    .card = palette::card,
    .band = palette::line,
    .separator = palette::line,
    .outlined = false,
    .text = palette::text,
    .label = palette::muted,
    .pending = palette::muted,
    .missing = palette::muted,
    .mark_found = palette::accent,
    .mark_missing = palette::muted,
    .mark_pending = palette::dim,
    .focus_ring = palette::text,
    .primary = {palette::accent, palette::on_accent, palette::accent_pressed, palette::on_accent, std::nullopt},
    .secondary = {palette::line, palette::text, palette::dim, palette::text, std::nullopt},
    .dark_title_bar = true,
};

// The scheme for the High Contrast setting and the system colours: the
// palette while it is off (the system colours then play no part), and only
// system colours while it is on.
ColorScheme color_scheme(bool high_contrast, const SystemColors& system);

enum class BrushKind : std::uint8_t { Window, Card, Line };

struct RoleColors {
    std::uint32_t text = 0;
    std::uint32_t background = 0;
    BrushKind brush = BrushKind::Window;  // Line: the link band's brush
};

// Colours of a control by the value in its user-data slot; any value outside 1..6 is Plain.
RoleColors role_colors(const ColorScheme& scheme, std::intptr_t role);

struct ButtonColors {
    std::uint32_t fill = 0;
    std::uint32_t caption = 0;
    std::optional<std::uint32_t> outline;
};
ButtonColors button_colors(const ColorScheme& scheme, int id, bool pressed);

// Which mark a row's value role draws, and in which colour.
enum class RowMark : std::uint8_t { Pending, Found, Missing };
RowMark row_mark(std::intptr_t value_role);
std::uint32_t mark_color(const ColorScheme& scheme, RowMark mark);

}  // namespace qd::gui
