// The window's dark title bar in the palette's colours, asked of the desktop
// window manager. Include only from *_win.cpp and *_win.h files.
#pragma once
#include "checks/platform_win.h"

namespace qd::gui {

// Asks for a dark title bar with the window colour behind the palette's text
// colour. Without dwmapi.dll or its function the title bar stays as it is.
// Windows before 11 ignore the colours and Wine ignores all three.
void set_dark_title_bar(HWND window);
// Takes the dark request back: the system's own title bar, as a High Contrast
// theme draws it.
void set_system_title_bar(HWND window);

// DwmSetWindowAttribute's shape. Tests put a recorder in its place; null
// restores the one found in System32.
using WindowAttributeCall = HRESULT(WINAPI*)(HWND window, DWORD attribute, LPCVOID value, DWORD size);
void set_window_attribute_call(WindowAttributeCall call);

}  // namespace qd::gui
