// The power readers' calls to the system, gathered so that a test can answer
// them the way a real machine does. Include only from *_win.cpp files.
#pragma once
#include <functional>
#include <optional>

#include "checks/settings.h"
#include "checks/platform_win.h"

struct PowerApi {
    // GetSystemPowerStatus.
    std::function<BOOL(SYSTEM_POWER_STATUS* status)> power_status = GetSystemPowerStatus;
};

// The line and battery bytes of the power status; absent when the call fails.
std::optional<PowerStatus> read_power_status(const PowerApi& api = {});
