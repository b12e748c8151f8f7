// The memory probes: installed size and the memory devices' speeds.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "checks/finding.h"

namespace qd::checks {

struct MemorySpeeds {
    std::optional<std::uint32_t> rated;
    std::optional<std::uint32_t> configured;
};

// The nearest whole GiB of a size in KiB, halves rounded up; absent unless 1 to 4096.
std::optional<std::uint32_t> memory_gb_from_kib(std::uint64_t kib);

// GetSystemFirmwareTable provider 'RSMB': the raw SMBIOS table.
inline constexpr std::uint32_t smbios_provider = 0x52534D42;
// A firmware table larger than this is not read at all.
inline constexpr std::uint32_t smbios_max_bytes = 1048576;

// What the memory-size reader got: each call's answer, or its error.
struct MemorySizeRead {
    std::optional<std::uint64_t> installed_kib;  // GetPhysicallyInstalledSystemMemory
    std::uint32_t installed_error = 0;
    std::optional<std::uint64_t> total_bytes;  // GlobalMemoryStatusEx's ullTotalPhys
    std::uint32_t status_error = 0;
};

// The memory in the slots, else what the system can use; or why neither
// gives a size: "GetPhysicallyInstalledSystemMemory failed with error 1;
// GlobalMemoryStatusEx: 0 bytes, not 1 to 4096 GiB".
Finding<std::uint32_t> memory_size_finding(const MemorySizeRead& read);

// What the walk over the SMBIOS table saw.
struct SmbiosMemory {
    MemorySpeeds speeds;
    unsigned devices = 0;       // memory devices (type 17) seen
    unsigned populated = 0;     // of those, with a size
    bool malformed = false;     // the walk stopped at a structure that does not fit
    std::uint32_t table_bytes = 0;  // the structure table's length as read
};
SmbiosMemory smbios_memory(std::span<const std::uint8_t> buffer, std::uint32_t got);

// Why the memory speeds are absent: "SMBIOS: 3 memory devices, none with a valid speed".
std::string memory_speeds_reason(const SmbiosMemory& walk);

// The rated and configured speeds (MT/s) of the first populated memory device
// (SMBIOS type 17) that has at least one speed in 1..20000. `buffer` is what was
// allocated for the table, `got` the bytes the firmware call says it wrote;
// every read stays inside both.
MemorySpeeds memory_speeds_from_smbios(std::span<const std::uint8_t> buffer, std::uint32_t got);


}  // namespace qd::checks
