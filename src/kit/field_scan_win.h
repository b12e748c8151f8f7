// The field kit's scan: the program's readers run in the program's order
// through one set of system calls, either the real ones with every answer
// written down (recording), or answers taken from a record (replay).
// Include only from *_win.cpp files.
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "checks/display_win.h"
#include "checks/finding.h"
#include "checks/graphics_win.h"
#include "checks/memory_win.h"
#include "checks/platform_win.h"
#include "checks/registry.h"
#include "checks/scan_types.h"
#include "checks/settings_win.h"
#include "checks/storage_win.h"
#include "kit/machine_record.h"

namespace qd::kit {

// The registry reads of the processor, driver-date and settings probes, with
// the status of a read that failed.
struct RegistryApi {
    std::function<checks::RegistryRead<std::string>(HKEY root, std::string_view subkey, std::string_view name,
                                                    std::size_t capacity)>
        text = [](HKEY root, std::string_view subkey, std::string_view name, std::size_t capacity) {
            return checks::read_registry_text_status(root, subkey, name, capacity);
        };
    std::function<checks::RegistryRead<std::uint32_t>(HKEY root, std::string_view subkey, std::string_view name)>
        dword = [](HKEY root, std::string_view subkey, std::string_view name) {
            return checks::read_registry_dword_status(root, subkey, name);
        };
};

// The Windows-build read of the settings step: RtlGetVersion of ntdll; false
// when it cannot be had.
struct WindowsApi {
    std::function<bool(RTL_OSVERSIONINFOW* info, LONG* status)> version = system_version;

    static bool system_version(RTL_OSVERSIONINFOW* info, LONG* status);
};

// Every system call of the scan. The readers' structs hand their calls a
// context; what those contexts point at lives in `state`, shared by copies.
struct MachineApi {
    checks::DisplayApi display;
    checks::GraphicsApi graphics;
    checks::MemoryApi memory;
    checks::StorageApi storage;
    checks::PowerApi power;
    checks::DiskApi disk;
    RegistryApi registry;
    WindowsApi windows;
    std::shared_ptr<void> state;
};

// What a scan found, how long each probe took, and why each absent finding is absent.
struct TimedScan {
    checks::ScanReport report;
    std::vector<std::pair<std::string, double>> times_ms;  // ("graphics", 213.8)
    checks::AbsentFindings absent;                         // ("storage", "PhysicalDrive0..15: ...")
};

// The scan in the program's order: the five hardware rows, then the settings
// step's probes, with the same readers and pure decisions as the program.
TimedScan scan_machine(const MachineApi& api);

// The real calls, each answer written into `record` as it comes back. The
// record must outlive the calls.
MachineApi recording_api(MachineRecord& record);

// Calls answered from `record`, the way the system answers them: a structure
// whose size field was not set is refused, drives are real handles the caller
// must close. The record must outlive the calls, and the drive calls need the
// returned api (its state) alive too.
MachineApi replay_api(const MachineRecord& record);

}  // namespace qd::kit
