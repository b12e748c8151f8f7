// The power plan and battery readers against real-looking machines.
#include "checks/settings_win.h"

#include <gtest/gtest.h>

#include "machines.h"

using namespace qd::test;
using namespace qd::checks;

namespace {

PowerApi power_api(const Machine& m)
{
    PowerApi api;
    // Like the system, hands over a copy the caller frees with LocalFree.
    api.active_scheme = [&m](GUID** scheme) -> DWORD {
        if (!m.scheme) return ERROR_FILE_NOT_FOUND;
        *scheme = static_cast<GUID*>(LocalAlloc(LMEM_FIXED, sizeof(GUID)));
        **scheme = *m.scheme;
        return ERROR_SUCCESS;
    };
    api.power_status = [&m](SYSTEM_POWER_STATUS* status) -> BOOL {
        *status = m.power;
        return TRUE;
    };
    return api;
}

const char* name(TriState t) { return t == TriState::On ? "On" : t == TriState::Off ? "Off" : "Absent"; }

}  // namespace

TEST(PowerReader, PlanOfEachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        EXPECT_EQ(power_plan_code(read_active_scheme(power_api(m))), m.power_plan);
    }
    Machine unreadable = machines()[0];
    unreadable.scheme.reset();
    EXPECT_EQ(read_active_scheme(power_api(unreadable)), std::nullopt);
}

TEST(PowerReader, BatteryOfEachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        EXPECT_STREQ(name(on_battery_state(read_power_status(power_api(m)))), name(m.on_battery));
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
        EXPECT_STREQ(name(on_battery_state(read_power_status(api))), name(c.state))
            << int{c.status.ACLineStatus} << " " << int{c.status.BatteryFlag};
    }
    PowerApi failing;
    failing.power_status = [](SYSTEM_POWER_STATUS*) -> BOOL { return FALSE; };
    EXPECT_FALSE(read_power_status(failing));
}
