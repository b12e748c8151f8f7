// The one way into the Windows headers: <windows.h> first, then the headers
// that need it, then what Debian's mingw-w64 headers do not declare yet.
// dwmapi, oleacc and powrprof are here for their declarations only: the program
// loads those DLLs itself, from System32 (checks/system_dll_win.h), or, for
// oleacc, has COM load it.
// Include only from *_win.cpp and *_win.h files.
#pragma once
#include <windows.h>

#include <dwmapi.h>
#include <oleacc.h>
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

// Dynamic annotation (oleacc.dll, which COM loads from System32): the class and
// its interface, and UI Automation's LiveSetting property with its value
// Polite. Spelled out here so that no import library brings oleacc in.
inline constexpr GUID clsid_acc_prop_services = {
    0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
inline constexpr GUID iid_acc_prop_services = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};
inline constexpr GUID live_setting_property = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
inline constexpr LONG live_setting_polite = 1;
