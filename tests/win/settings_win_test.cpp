// The power plan and battery readers against real-looking machines.
#include "checks/settings_win.h"

#include <gtest/gtest.h>

#include "machines.h"

using namespace qd::test;
using namespace qd::checks;

namespace {

// SYSTEM_POWER_STATUS: line, battery flag, percent, then the rest a real machine fills.
SYSTEM_POWER_STATUS power(BYTE ac, BYTE battery_flag, BYTE percent)
{
    SYSTEM_POWER_STATUS s = {};
    s.ACLineStatus = ac;
    s.BatteryFlag = battery_flag;
    s.BatteryLifePercent = percent;
    s.BatteryLifeTime = ac == 0 ? 9000 : 0xFFFFFFFF;
    s.BatteryFullLifeTime = 0xFFFFFFFF;
    return s;
}

}  // namespace

TEST(PowerReader, PlanOfEachMachine)
{
    ASSERT_GE(machines().size(), 4u);
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.file + ": " + m.what());
        EXPECT_EQ(shown(power_plan_code(read_active_scheme(qd::kit::replay_api(m.record).power))),
                  expected(m, "power-plan"));
    }
    MachineRecord unreadable = machine("desktop-rtx3070-nvme.txt").record;
    unreadable.scheme.reset();
    EXPECT_EQ(read_active_scheme(qd::kit::replay_api(unreadable).power), std::nullopt);
}

TEST(PowerReader, BatteryOfEachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.file + ": " + m.what());
        EXPECT_EQ(shown(on_battery_state(read_power_status(qd::kit::replay_api(m.record).power))),
                  expected(m, "on-battery"));
    }
    const struct {
        SYSTEM_POWER_STATUS status;
        TriState state;
    } laptops[] = {
        {power(1, 8 | 2, 40), TriState::Off},  // on mains, charging a low battery
        {power(1, 1, 100), TriState::Off},     // on mains, full
        {power(0, 4, 3), TriState::On},        // on battery, critical
        {power(0, 128, 255), TriState::Absent},
    };
    for (const auto& c : laptops) {
        PowerApi api;
        api.power_status = [&c](SYSTEM_POWER_STATUS* s) -> BOOL {
            *s = c.status;
            return TRUE;
        };
        EXPECT_EQ(shown(on_battery_state(read_power_status(api))), shown(c.state))
            << int{c.status.ACLineStatus} << " " << int{c.status.BatteryFlag};
    }
    PowerApi failing;
    failing.power_status = [](SYSTEM_POWER_STATUS*) -> BOOL { return FALSE; };
    EXPECT_FALSE(read_power_status(failing));
}
