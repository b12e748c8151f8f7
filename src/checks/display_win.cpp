#include "checks/display_win.h"

#include <cwchar>
#include <string>

namespace qd::checks {

namespace {

static_assert(sizeof(DEVMODEW) == 220 && sizeof(DISPLAY_DEVICEW) == 840);

// One mode of a display (nullptr: the display of the calling thread);
// `index` is a mode number or ENUM_CURRENT_SETTINGS.
std::optional<DisplayMode> read_mode(const DisplayApi& api, const wchar_t* device, DWORD index)
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    if (!api.enum_settings(api.context, device, index, &mode)) return std::nullopt;
    return DisplayMode{mode.dmPelsWidth, mode.dmPelsHeight, mode.dmDisplayFrequency};
}

std::optional<DisplayInfo> read_display(const DisplayApi& api, const wchar_t* device)
{
    const std::optional<DisplayMode> current = read_mode(api, device, ENUM_CURRENT_SETTINGS);
    if (!current) return std::nullopt;
    DisplayInfo info;
    info.current = *current;
    for (DWORD index = 0; index < max_display_modes; ++index) {
        const std::optional<DisplayMode> mode = read_mode(api, device, index);
        if (!mode) break;
        info.modes.push_back(*mode);
    }
    return info;
}

std::vector<DisplayInfo> enumerate_displays(const DisplayApi& api)
{
    std::vector<DisplayInfo> displays;
    for (DWORD index = 0; index < max_display_devices; ++index) {
        DISPLAY_DEVICEW device = {};
        device.cb = sizeof(device);
        if (!api.enum_devices(api.context, index, &device)) break;
        if ((device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) == 0) continue;
        // The name fills a fixed array of 32 units; terminate it ourselves.
        const std::wstring name(device.DeviceName, wcsnlen(device.DeviceName, 32));
        if (auto info = read_display(api, name.c_str())) displays.push_back(std::move(*info));
    }
    if (displays.empty())
        if (auto info = read_display(api, nullptr)) displays.push_back(std::move(*info));
    return displays;
}

}  // namespace

DisplayProbe probe_display(const DisplayApi& api)
{
    DisplayProbe probe;
    probe.displays = enumerate_displays(api);
    DisplayRow row = display_findings(probe.displays);
    probe.display_size = row.display_size;
    probe.refresh_hz = row.refresh_hz;
    return probe;
}

}  // namespace qd::checks
