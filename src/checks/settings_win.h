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

// Plain function pointers: each gets `context` first (a test's answers; the
// system's calls need none).
struct PowerApi {
    void* context = nullptr;
    using ActiveScheme = DWORD (*)(void* context, GUID** scheme);

    ActiveScheme active_scheme = [](void*, GUID** scheme) { return system_active_scheme(scheme); };
    // GetSystemPowerStatus.
    using SystemPowerStatus = BOOL (*)(void* context, SYSTEM_POWER_STATUS* status);

    SystemPowerStatus power_status = [](void*, SYSTEM_POWER_STATUS* status) { return GetSystemPowerStatus(status); };
};

// The free-space reader's calls. Plain function pointers: each gets `context`
// first (a test's answers; the system's calls need none).
struct DiskApi {
    void* context = nullptr;
    // GetSystemWindowsDirectoryW: the length of the path without its terminator.
    using WindowsDirectory = UINT (*)(void* context, wchar_t* buffer, UINT size);

    WindowsDirectory windows_directory = [](void*, wchar_t* buffer, UINT size) {
        return GetSystemWindowsDirectoryW(buffer, size);
    };
    // GetDiskFreeSpaceExW: fills each figure it is given a place for.
    using DiskFreeSpace = BOOL (*)(void* context, const wchar_t* root, ULARGE_INTEGER* free_to_caller,
                                   ULARGE_INTEGER* total, ULARGE_INTEGER* total_free);

    DiskFreeSpace disk_free_space = [](void*, const wchar_t* root, ULARGE_INTEGER* free_to_caller,
                                       ULARGE_INTEGER* total, ULARGE_INTEGER* total_free) {
        return GetDiskFreeSpaceExW(root, free_to_caller, total, total_free);
    };
};

// The free space of the Windows drive in whole GiB: all its free bytes, not
// only those the user's quota allows; or why it cannot be read.
Finding<std::uint64_t> read_free_space_gb(const DiskApi& api = {});

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
