// The power readers' calls to the system, gathered so that a test can answer
// them the way a real machine does. Include only from *_win.cpp files.
#pragma once
#include <optional>

#include "checks/platform_win.h"
#include "checks/settings.h"

namespace qd::checks {

// PowerGetActiveScheme(nullptr, scheme) of System32's powrprof.dll:
// ERROR_SUCCESS with a GUID the caller frees with LocalFree, else an error code.
DWORD system_active_scheme(GUID** scheme);

// Plain function pointers: each gets `context` first (a test's answers; the
// system's calls need none).
struct PowerApi {
    void* context = nullptr;
    DWORD (*active_scheme)
    (void* context, GUID** scheme) = [](void*, GUID** scheme) { return system_active_scheme(scheme); };
    // GetSystemPowerStatus.
    BOOL (*power_status)
    (void* context, SYSTEM_POWER_STATUS* status) =
        [](void*, SYSTEM_POWER_STATUS* status) { return GetSystemPowerStatus(status); };
};

// The active power scheme; absent when it cannot be read.
std::optional<Guid> read_active_scheme(const PowerApi& api = {});
// The line and battery bytes of the power status; absent when the call fails.
std::optional<PowerStatus> read_power_status(const PowerApi& api = {});

}  // namespace qd::checks
