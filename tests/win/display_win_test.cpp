// The display reader against the display devices and modes of real-looking
// machines.
#include "checks/display_win.h"

#include <gtest/gtest.h>

#include "machines.h"

using namespace qd::test;
using namespace qd::checks;

TEST(DisplayReader, EachMachine)
{
    ASSERT_GE(machines().size(), 4u);
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.file + ": " + m.what());
        const DisplayProbe probe = probe_display(qd::kit::replay_api(m.record).display);
        EXPECT_EQ(shown(probe.display_size), expected(m, "display-size"));
        EXPECT_EQ(shown(probe.refresh_hz), expected(m, "refresh-hz"));
        EXPECT_EQ(shown(max_refresh(probe.displays)), expected(m, "max-refresh-hz"));
    }
}

TEST(DisplayReader, EveryAttachedDisplayWithItsModesInOrder)
{
    const MachineRecord& laptop = machine("hybrid-laptop-on-battery.txt").record;
    const DisplayProbe probe = probe_display(qd::kit::replay_api(laptop).display);
    ASSERT_EQ(probe.displays.size(), 2u);
    const char* const names[] = {"\\\\.\\DISPLAY1", "\\\\.\\DISPLAY5"};
    for (std::size_t i = 0; i < 2; ++i) {
        std::vector<DisplayMode> modes;
        std::optional<DisplayMode> current;
        for (const qd::kit::RecordedMode& m : laptop.modes) {
            if (m.device != names[i]) continue;
            if (m.index) modes.push_back(*m.mode);
            else current = m.mode;
        }
        ASSERT_TRUE(current);
        EXPECT_EQ(probe.displays[i].current.width, current->width);
        ASSERT_EQ(probe.displays[i].modes.size(), modes.size());
        for (std::size_t j = 0; j < modes.size(); ++j)
            EXPECT_EQ(probe.displays[i].modes[j].rate_hz, modes[j].rate_hz) << i << " " << j;
    }
}

TEST(DisplayReader, NothingReadableGivesNoDisplay)
{
    const MachineRecord blank = record_from("quellix-record 1\nwhat no display at all\ndisplay-device 0 fails=yes\n");
    const DisplayProbe probe = probe_display(qd::kit::replay_api(blank).display);
    EXPECT_TRUE(probe.displays.empty());
    EXPECT_FALSE(probe.display_size);
    // Listed and attached, but its current mode cannot be read: the calling
    // thread's display stands in, and it has none either.
    const MachineRecord unreadable = record_from("quellix-record 1\n"
                                                 "what attached display without a current mode\n"
                                                 "display-device 0 flags=0x5 name=\\\\.\\DISPLAY1\n"
                                                 "mode \\\\.\\DISPLAY1 current fails\n"
                                                 "mode \\\\.\\DISPLAY1 0 1920x1080@60\n");
    EXPECT_FALSE(probe_display(qd::kit::replay_api(unreadable).display).display_size);
}
