// The main window's procedure and the message loop that feeds it.
// Include only from *_win.cpp and *_win.h files.
#pragma once
#include "checks/platform_win.h"

namespace qd::gui {

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Enter and Escape pressed anywhere in the window become messages for it:
// wm_escape_key for Escape, WM_COMMAND for the focused button (or button 1) for
// Enter. True when the key was consumed and must not be dispatched.
bool forward_dialog_key(HWND window, const MSG& msg);

// Runs the message loop until WM_QUIT or an error.
void run_message_loop(HWND window);

}  // namespace qd::gui
