// The fixed dark palette and the colours each ColorRole asks for.
#pragma once
#include <cstdint>

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

enum class BrushKind : std::uint8_t { Window, Card, Line };

struct RoleColors {
    std::uint32_t text = 0;
    std::uint32_t background = 0;
    BrushKind brush = BrushKind::Window;
};

// Colours of a control by the value in its user-data slot; any value outside 1..6 is Plain.
RoleColors role_colors(std::intptr_t role);

struct ButtonColors {
    std::uint32_t fill = 0;
    std::uint32_t caption = 0;
};
ButtonColors button_colors(int id, bool pressed);

// Which mark a row's value role draws.
enum class RowMark : std::uint8_t { Pending, Found, Missing };
RowMark row_mark(std::intptr_t value_role);
