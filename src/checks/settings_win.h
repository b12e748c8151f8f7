// The settings step's probes and the power readers' calls to the system,
// gathered so that a test can answer them the way a real machine does.
// Include only from *_win.cpp files.
#pragma once
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "checks/platform_win.h"
#include "checks/settings.h"

namespace qd::checks {

// PowerGetActiveScheme(nullptr, scheme) of System32's powrprof.dll:
// ERROR_SUCCESS with a GUID the caller frees with LocalFree, else an error code.
DWORD system_active_scheme(GUID** scheme);

struct PowerApi {
    std::function<DWORD(GUID** scheme)> active_scheme = system_active_scheme;
    // GetSystemPowerStatus.
    std::function<BOOL(SYSTEM_POWER_STATUS* status)> power_status = GetSystemPowerStatus;
};

// The active power scheme; absent when it cannot be read, with the call's status.
std::optional<Guid> read_active_scheme(const PowerApi& api = {}, std::uint32_t* status = nullptr);
// The line and battery bytes of the power status; absent when the call fails.
std::optional<PowerStatus> read_power_status(const PowerApi& api = {});

// One probe of the settings step: fills its own fields of the snapshot and
// adds a line for each it leaves absent. It runs on a thread of its own, on a
// copy of the snapshot so far, and keeps whatever it was given alive itself.
struct SettingsProbe {
    std::string_view finding;  // its name where it missed its deadline: "power plan"
    std::function<void(SettingsSnapshot& snapshot, AbsentFindings& absent)> read;
};

// The settings step's probes in order; the driver date and the highest
// refresh rate take copies of the kept graphics name and displays.
std::vector<SettingsProbe> settings_probes(const std::optional<std::string>& graphics_name,
                                           const std::vector<DisplayInfo>& displays);

// Runs `probes` in order, each within `deadline_ms`. A probe that misses it
// leaves its own fields absent ("power plan: timed out after 10000 ms") and
// the others keep theirs.
SettingsSnapshot scan_settings(const std::vector<SettingsProbe>& probes, std::uint32_t deadline_ms,
                               AbsentFindings& absent);

}  // namespace qd::checks
