// The display reader against the display devices and modes of real-looking
// machines.
#include "checks/display_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "machines.h"

using namespace qd::test;
using namespace qd::checks;

namespace {

// Display calls answered from a machine. Like the system, both refuse a
// structure whose size field was not set.
DisplayApi display_api(const Machine& m)
{
    DisplayApi api;
    api.context = context_of(m);
    api.enum_devices = [](void* context, DWORD index, DISPLAY_DEVICEW* device) -> BOOL {
        const Machine& m = machine_in(context);
        if (device->cb != sizeof(DISPLAY_DEVICEW) || m.device_list_fails || index >= m.displays.size()) return FALSE;
        const FakeDisplay& d = m.displays[index];
        wcsncpy(device->DeviceName, d.name.c_str(), 32);
        wcsncpy(device->DeviceString, L"Acme Graphics Adapter", 128);
        device->StateFlags = d.flags;
        return TRUE;
    };
    api.enum_settings = [](void* context, const wchar_t* name, DWORD mode_index, DEVMODEW* mode) -> BOOL {
        const Machine& m = machine_in(context);
        if (mode->dmSize != sizeof(DEVMODEW)) return FALSE;
        const FakeDisplay* display = nullptr;
        for (const FakeDisplay& d : m.displays)
            if (name == nullptr ? (d.flags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0 : d.name == name) display = &d;
        if (display == nullptr) return FALSE;
        DisplayMode chosen;
        if (mode_index == ENUM_CURRENT_SETTINGS) {
            if (!display->current) return FALSE;
            chosen = *display->current;
        } else {
            if (mode_index >= display->modes.size()) return FALSE;
            chosen = display->modes[mode_index];
        }
        mode->dmPelsWidth = chosen.width;
        mode->dmPelsHeight = chosen.height;
        mode->dmDisplayFrequency = chosen.rate_hz;
        mode->dmBitsPerPel = 32;
        mode->dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY | DM_BITSPERPEL;
        return TRUE;
    };
    return api;
}

}  // namespace

TEST(DisplayReader, EachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        const DisplayProbe probe = probe_display(display_api(m));
        EXPECT_EQ(probe.display_size, m.display_size);
        EXPECT_EQ(probe.refresh_hz, m.refresh_hz);
        EXPECT_EQ(max_refresh(probe.displays), m.max_refresh_hz);
    }
}

TEST(DisplayReader, EveryAttachedDisplayWithItsModesInOrder)
{
    const Machine& laptop = machines()[1];
    const DisplayProbe probe = probe_display(display_api(laptop));
    ASSERT_EQ(probe.displays.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const FakeDisplay& expected = laptop.displays[i == 0 ? 0 : 4];
        EXPECT_EQ(probe.displays[i].current.width, expected.current->width);
        ASSERT_EQ(probe.displays[i].modes.size(), expected.modes.size());
        for (std::size_t j = 0; j < expected.modes.size(); ++j)
            EXPECT_EQ(probe.displays[i].modes[j].rate_hz, expected.modes[j].rate_hz) << i << " " << j;
    }
}

TEST(DisplayReader, NothingReadableGivesNoDisplay)
{
    Machine blank{.what = "no display at all", .device_list_fails = true};
    const DisplayProbe probe = probe_display(display_api(blank));
    EXPECT_TRUE(probe.displays.empty());
    EXPECT_FALSE(probe.display_size);
    // Listed and attached, but its current mode cannot be read: the calling
    // thread's display stands in.
    Machine unreadable{.what = "attached display without a current mode",
                       .displays = {{L"\\\\.\\DISPLAY1", primary, std::nullopt, {{1920, 1080, 60}}}}};
    EXPECT_FALSE(probe_display(display_api(unreadable)).display_size);
}
