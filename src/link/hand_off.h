// The four things the window does with the report link: open it, cancel a
// pending opening, copy it, and close the window. Include only from *_win.cpp files.
#pragma once
#include <windows.h>

#include <cstdint>

#include "gui/phases.h"

// Performs one action for the main window. The state is taken without
// waiting (an action that finds it in use or missing does nothing) and is
// never held across the shell or clipboard calls. None does nothing.
void hand_off(HWND window, HandOffAction action);

// OpenLink's call into the shell: the link as NUL-terminated UTF-16 in,
// ShellExecuteW's result out (33 or more: a browser was started).
using ShellOpen = std::intptr_t (*)(const wchar_t* link);
// Puts another opener in the shell's place (tests); null restores the shell.
void set_shell_open(ShellOpen open);
