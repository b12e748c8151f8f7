// The main window on the Win32 side: its state record and the thread's slot
// for it, fonts and brushes, the child controls, and the operations that put a
// phase on the screen. Every decision comes from gui/phases.h, gui/layout.h and
// gui/colors.h; this side reads the window and carries the decisions out.
// Include only from *_win.cpp files.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "checks/scan_types.h"
#include "checks/win32_util.h"
#include "gui/layout.h"
#include "gui/phases.h"

inline constexpr const wchar_t* main_window_class = L"QuellixDetectWindow";
inline constexpr const wchar_t* main_window_title = L"Quellix Detect";
// WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN: no sizing border, no maximise box.
inline constexpr DWORD main_window_style = 0x02CA0000;

// Child control ids.
namespace control_id {
inline constexpr int header = 100;
inline constexpr int first_label = 110;  // 110 + row
inline constexpr int first_value = 120;  // 120 + row
inline constexpr int message = 130;
inline constexpr int link_box = 131;
inline constexpr int footnote = 132;
inline constexpr int primary = 1;
inline constexpr int secondary = 2;
}  // namespace control_id

inline constexpr UINT_PTR countdown_timer = 1;
inline constexpr UINT countdown_period_ms = 1000;

// The four fonts of the window for one DPI; a font that could not be made is empty.
struct FontSet {
    UniqueFont title_font;   // header
    UniqueFont body_font;    // row labels, message line, link box
    UniqueFont strong_font;  // row values, buttons
    UniqueFont small_font;   // footnote
};

FontSet create_font_set(std::uint32_t dpi);
// Deletes the four fonts in member order and leaves the set empty.
void delete_font_set(FontSet& fonts);

// Hands the fonts to the controls, the link box its margins and the window its icons.
void apply_fonts(HWND window, const FontSet& fonts, std::uint32_t dpi);

// The brushes of the user-interface thread, made together on first use and never deleted.
HBRUSH window_brush();
HBRUSH card_brush();
HBRUSH line_brush();

struct WindowState {
    ScanReport report;  // the findings received so far
    std::string link;   // the report link last built; empty until then
    UiPhase phase;
    HWND window = nullptr;
    FontSet fonts;
    std::uint32_t dpi = 96;
};

// The user-interface thread's slot for the WindowState. Empty before set-up
// puts the state in and after tear-down takes it out.
void put_window_state(std::unique_ptr<WindowState> state);
// Takes the state out of the slot; nothing when the slot is in use or empty.
std::unique_ptr<WindowState> take_out_window_state();

// Exclusive use of the slot, never waiting: a guard made while another guard
// holds the slot, or while the slot is empty, holds nothing and is false.
class StateGuard {
public:
    StateGuard();
    StateGuard(const StateGuard&) = delete;
    StateGuard& operator=(const StateGuard&) = delete;
    ~StateGuard() { release(); }

    explicit operator bool() const { return state_ != nullptr; }
    WindowState& operator*() const { return *state_; }
    WindowState* operator->() const { return state_; }
    // Gives the slot back early, before a call that may need it again.
    void release();

private:
    WindowState* state_ = nullptr;
};

// Registers the window class; 0 on failure.
ATOM register_main_window_class(HMODULE module);

// Creates the hidden 100 x 100 main window at the start-up position for the
// work area, asks for its dark title bar, then makes its eighteen child controls. Null when the window cannot be made.
HWND create_main_window(HMODULE module, const Rect& work);

// The window's DPI, raised to 96 when lower (0 is a failure).
std::uint32_t initial_dpi(HWND window);

// A new WindowState in the Scanning phase, with fonts for `dpi` already applied.
std::unique_ptr<WindowState> make_window_state(HWND window, std::uint32_t dpi);

// Places every control for the state's phase and DPI and sizes the window.
void relayout(WindowState& state);

// Stores the phase and puts it on the screen; the caller holds the state.
void apply_phase(WindowState& state, const UiPhase& phase);

// Button 1 when it is visible, else button 2.
void focus_default_button(HWND window);

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Enter and Escape pressed anywhere in the window become messages for it:
// WM_APP+3 for Escape, WM_COMMAND for the focused button (or button 1) for
// Enter. True when the key was consumed and must not be dispatched.
bool forward_dialog_key(HWND window, const MSG& msg);

// Runs the message loop until WM_QUIT or an error.
void run_message_loop(HWND window);

// Painting and colours.
void paint_main_window(HWND window);
LRESULT draw_button(const DRAWITEMSTRUCT& item);
LRESULT control_colors(HDC dc, HWND control);
