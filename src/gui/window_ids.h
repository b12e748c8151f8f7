// The numbers that name the main window's parts: its child controls, its
// countdown timer and the message it posts itself. Portable, so the pure
// decisions and the tests use the same names as the window.
#pragma once
#include <cstdint>

namespace qd::gui {

namespace control_id {
inline constexpr int primary = 1;    // button 1
inline constexpr int secondary = 2;  // button 2
inline constexpr int header = 100;
inline constexpr int first_label = 110;  // 110 + row
inline constexpr int first_value = 120;  // 120 + row
inline constexpr int message = 130;
inline constexpr int link_box = 131;
inline constexpr int footnote = 132;
inline constexpr int announcer = 133;  // says each row as it fills in; no size, never shown
}  // namespace control_id

inline constexpr std::uintptr_t countdown_timer = 1;
inline constexpr unsigned countdown_period_ms = 1000;

// Escape pressed anywhere in the window, posted by the message loop (WM_APP+3).
inline constexpr unsigned wm_escape_key = 0x8003;

}  // namespace qd::gui
