// The four things the window does with the report link: open it, cancel a
// pending opening, copy it, and close the window.
// Include only from *_win.cpp and *_win.h files.
#pragma once
#include "checks/platform_win.h"
#include "gui/phases.h"

namespace qd::gui {

// Performs one action for the main window. The state is taken without
// waiting (an action that finds it in use or missing does nothing) and is
// never held across the shell or clipboard calls. None does nothing.
void hand_off(HWND window, HandOffAction action);

}  // namespace qd::gui
