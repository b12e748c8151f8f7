#include "checks/display.h"

#include <cwchar>
#include <string>

#include "checks/win32_util.h"

namespace {

static_assert(sizeof(DEVMODEW) == 220 && sizeof(DISPLAY_DEVICEW) == 840);

// One mode of a display (nullptr: the display of the calling thread);
// `index` is a mode number or ENUM_CURRENT_SETTINGS.
std::optional<DisplayMode> read_mode(const wchar_t* device, DWORD index)
{
    DEVMODEW mode = {};
    mode.dmSize = sizeof(mode);
    if (!EnumDisplaySettingsW(device, index, &mode)) return std::nullopt;
    return DisplayMode{mode.dmPelsWidth, mode.dmPelsHeight, mode.dmDisplayFrequency};
}

std::optional<DisplayInfo> read_display(const wchar_t* device)
{
    const std::optional<DisplayMode> current = read_mode(device, ENUM_CURRENT_SETTINGS);
    if (!current) return std::nullopt;
    DisplayInfo info;
    info.current = *current;
    for (DWORD index = 0; index < max_display_modes; ++index) {
        const std::optional<DisplayMode> mode = read_mode(device, index);
        if (!mode) break;
        info.modes.push_back(*mode);
    }
    return info;
}

std::vector<DisplayInfo> enumerate_displays()
{
    std::vector<DisplayInfo> displays;
    for (DWORD index = 0; index < max_display_devices; ++index) {
        DISPLAY_DEVICEW device = {};
        device.cb = sizeof(device);
        if (!EnumDisplayDevicesW(nullptr, index, &device, 0)) break;
        if ((device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) == 0) continue;
        // The name fills a fixed array of 32 units; terminate it ourselves.
        const std::wstring name(device.DeviceName, wcsnlen(device.DeviceName, 32));
        if (auto info = read_display(name.c_str())) displays.push_back(std::move(*info));
    }
    if (displays.empty())
        if (auto info = read_display(nullptr)) displays.push_back(std::move(*info));
    return displays;
}

}  // namespace

DisplayProbe probe_display()
{
    DisplayProbe probe;
    probe.displays = enumerate_displays();
    DisplayRow row = display_findings(probe.displays);
    probe.display_size = row.display_size;
    probe.refresh_hz = row.refresh_hz;
    return probe;
}
