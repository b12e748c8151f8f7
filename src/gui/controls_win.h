// The main window and its nineteen child controls: creating them, and putting
// a phase on the screen. Every decision comes from gui/phases.h, gui/layout.h
// and gui/colors.h; this side carries it out.
// Include only from *_win.cpp and *_win.h files.
#pragma once
#include <cstdint>

#include "checks/platform_win.h"
#include "gui/layout.h"
#include "gui/phases.h"
#include "gui/window_state_win.h"

namespace qd::gui {

inline constexpr const wchar_t* main_window_class = L"QuellixDetectWindow";
inline constexpr const wchar_t* main_window_title = L"Quellix Detect";
// No sizing border and no maximise box.
inline constexpr DWORD main_window_style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// Registers the window class; 0 on failure.
ATOM register_main_window_class(HMODULE module);

// Creates the hidden 100 x 100 main window at the start-up position for the
// work area, asks for its dark title bar, then makes its nineteen child
// controls. Null when the window cannot be made.
HWND create_main_window(HMODULE module, const Rect& work);

// The window's DPI, raised to 96 when lower (0 is a failure).
std::uint32_t initial_dpi(HWND window);

// Places every control for the state's phase and DPI and sizes the window.
void relayout(WindowState& state);

// The window's outer size (frame included) for its laid-out client area at
// `dpi`, with or without the link box.
SIZE laid_out_window_size(std::uint32_t dpi, bool link_shown);

// Places every control for the state's phase and DPI, then moves the window
// to `left`, `top` with its laid-out size in one SetWindowPos.
void relayout_at(WindowState& state, int left, int top);

// Stores the phase and puts it on the screen; the caller holds the state.
// Starts the countdown timer for a phase with a count and stops it for any other.
void apply_phase(WindowState& state, const UiPhase& phase);

// True when the child control `id` exists and is visible.
bool control_visible(HWND window, int id);

// Button 1 when it is visible, else button 2.
void focus_default_button(HWND window);

}  // namespace qd::gui
