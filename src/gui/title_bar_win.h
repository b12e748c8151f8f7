// The window's dark title bar in the palette's colours, asked of the desktop
// window manager. Include only from *_win.cpp files.
#pragma once
#include <windows.h>

// The three attributes, by number (older SDK headers do not name them).
inline constexpr DWORD dwm_use_immersive_dark_mode = 20;  // DWMWA_USE_IMMERSIVE_DARK_MODE
inline constexpr DWORD dwm_caption_color = 35;            // DWMWA_CAPTION_COLOR
inline constexpr DWORD dwm_text_color = 36;               // DWMWA_TEXT_COLOR

// Asks for a dark title bar with the window colour behind the palette's text
// colour. Without dwmapi.dll or its function the title bar stays as it is.
// Windows before 11 ignore the colours and Wine ignores all three.
void set_dark_title_bar(HWND window);

// DwmSetWindowAttribute's shape. Tests put a recorder in its place; null
// restores the one found in System32.
using WindowAttributeCall = HRESULT(WINAPI*)(HWND window, DWORD attribute, LPCVOID value, DWORD size);
void set_window_attribute_call(WindowAttributeCall call);
