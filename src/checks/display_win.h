// The display reader's calls to the system, gathered so that a test can answer
// them the way a real machine does. Include only from *_win.cpp files.
#pragma once
#include <functional>

#include "checks/display.h"
#include "checks/platform_win.h"

namespace qd::checks {

struct DisplayApi {
    // EnumDisplayDevicesW(nullptr, index, device, 0): the display devices in order.
    std::function<BOOL(DWORD index, DISPLAY_DEVICEW* device)> enum_devices = [](DWORD index, DISPLAY_DEVICEW* device) {
        return EnumDisplayDevicesW(nullptr, index, device, 0);
    };
    // EnumDisplaySettingsW: one mode of a device (nullptr: the calling thread's display).
    std::function<BOOL(const wchar_t* device, DWORD mode_index, DEVMODEW* mode)> enum_settings = EnumDisplaySettingsW;
};

// Every display attached to the desktop with its current mode and its modes;
// when none can be read, the display of the calling thread.
DisplayProbe probe_display(const DisplayApi& api = {});

}  // namespace qd::checks
