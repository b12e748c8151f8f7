// The one way into the Windows headers: <windows.h> first, then the headers
// that need it, then what Debian's mingw-w64 headers do not declare yet.
// dwmapi and powrprof are here for their declarations only: the program
// loads those DLLs itself, from System32 (checks/system_dll_win.h).
// Include only from *_win.cpp and *_win.h files.
#pragma once
#include <windows.h>

#include <dwmapi.h>
#include <powrprof.h>
#include <shellapi.h>
#include <winioctl.h>

// CreateWaitableTimerExW flag (Windows 10 1803 and later).
#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// DwmSetWindowAttribute attributes, by number for the title bar (Windows 10 20H1 and
// Windows 11); older systems refuse them, which costs nothing.
inline constexpr DWORD dwm_use_immersive_dark_mode = 20;
inline constexpr DWORD dwm_caption_color = 35;
inline constexpr DWORD dwm_text_color = 36;
inline constexpr COLORREF dwm_color_default = 0xFFFFFFFF;  // DWMWA_COLOR_DEFAULT: the system's own colour
