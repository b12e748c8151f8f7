// Findings for tests that need every setting present.
#pragma once

#include "checks/scan_types.h"

namespace qd::test {

using namespace qd::checks;

inline SettingsSnapshot full_settings()
{
    SettingsSnapshot s;
    s.power_plan = "hp";
    s.power_mode = "best";
    s.game_mode = TriState::On;
    s.gpu_scheduling = TriState::Off;
    s.game_capture = TriState::On;
    s.memory_integrity = TriState::Off;
    s.windowed_optimizations = TriState::On;
    s.mouse_acceleration = TriState::Off;
    s.max_refresh_hz = 240;
    s.free_space_gb = 512;
    s.on_battery = TriState::Off;
    s.memory_rated_speed = 6000;
    s.memory_configured_speed = 5600;
    s.gpu_driver_date = "20240614";
    s.os_build = 22631;
    return s;
}

}  // namespace qd::test
