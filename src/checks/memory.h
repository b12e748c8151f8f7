// The memory probes: installed size and the memory devices' speeds.
#pragma once
#include <cstdint>
#include <optional>
#include <span>

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

// The rated and configured speeds (MT/s) of the first populated memory device
// (SMBIOS type 17) that has at least one speed in 1..20000. `buffer` is what was
// allocated for the table, `got` the bytes the firmware call says it wrote;
// every read stays inside both.
MemorySpeeds memory_speeds_from_smbios(std::span<const std::uint8_t> buffer, std::uint32_t got);

}  // namespace qd::checks
