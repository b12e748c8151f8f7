// The display reader's calls to the system, gathered so that a test can answer
// them the way a real machine does. Include only from *_win.cpp files.
#pragma once
#include "checks/display.h"
#include "checks/platform_win.h"

namespace qd::checks {

// Plain function pointers: each gets `context` first (a test's answers; the
// system's calls need none).
struct DisplayApi {
    void* context = nullptr;
    // EnumDisplayDevicesW(nullptr, index, device, 0): the display devices in order.
    using EnumDevices = BOOL (*)(void* context, DWORD index, DISPLAY_DEVICEW* device);

    EnumDevices enum_devices = [](void*, DWORD index, DISPLAY_DEVICEW* device) {
        return EnumDisplayDevicesW(nullptr, index, device, 0);
    };
    // EnumDisplaySettingsW: one mode of a device (nullptr: the calling thread's display).
    using EnumSettings = BOOL (*)(void* context, const wchar_t* device, DWORD mode_index, DEVMODEW* mode);

    EnumSettings enum_settings = [](void*, const wchar_t* device, DWORD mode_index, DEVMODEW* mode) {
        return EnumDisplaySettingsW(device, mode_index, mode);
    };
};

// Every display attached to the desktop with its current mode and its modes;
// when none can be read, the display of the calling thread.
DisplayProbe probe_display(const DisplayApi& api = {});

}  // namespace qd::checks
