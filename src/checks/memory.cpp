#include "checks/memory.h"

#include <algorithm>
#include <cmath>

#include "checks/bytes.h"
#include "checks/text.h"

namespace qd::checks {

namespace {

constexpr std::uint32_t max_memory_gib = 4096;
constexpr std::uint32_t max_memory_speed = 20000;  // MT/s

constexpr std::uint8_t smbios_memory_device = 17;
constexpr std::uint8_t smbios_end_of_table = 127;
constexpr std::size_t smbios_header_bytes = 8;

// Offsets inside a type-17 structure.
constexpr std::size_t device_size = 0x0C;
constexpr std::size_t device_speed = 0x15;
constexpr std::size_t device_configured_speed = 0x20;
constexpr std::size_t device_extended_speed = 0x54;
constexpr std::size_t device_extended_configured_speed = 0x58;

// Fields of one structure's formatted part; a field is readable only when it
// lies wholly inside the formatted length.
struct Formatted {
    std::span<const std::uint8_t> bytes;

    std::optional<std::uint32_t> field(std::size_t offset, std::size_t width) const
    {
        if (offset + width > bytes.size()) return std::nullopt;
        return read_le(bytes, offset, width);
    }

    // The 16-bit speed, or its 32-bit extension when the 16-bit field says 0xFFFF.
    std::optional<std::uint32_t> speed(std::size_t offset16, std::size_t offset32) const
    {
        std::optional<std::uint32_t> value = field(offset16, 2);
        if (value == 0xFFFFu) value = field(offset32, 4);
        if (!value || *value < 1 || *value > max_memory_speed) return std::nullopt;
        return value;
    }
};

}  // namespace

std::optional<std::uint32_t> memory_gb_from_kib(std::uint64_t kib)
{
    const double nearest = std::round(static_cast<double>(kib) / 1048576.0);  // halves away from zero
    if (nearest < 1.0 || nearest > static_cast<double>(max_memory_gib)) return std::nullopt;
    return static_cast<std::uint32_t>(nearest);
}

// Raw 'RSMB' buffer: calling method, major, minor, DMI revision (1 byte each),
// the u32 length of the structure table, then the table. Each structure is
//   type, length, handle (2), fields ... | strings "Acme\0" "DIMM 0\0" "\0"
// where `length` covers type to the last field and the string set ends in two NULs.
MemorySpeeds memory_speeds_from_smbios(std::span<const std::uint8_t> buffer, std::uint32_t got)
{
    return smbios_memory(buffer, got).speeds;
}

SmbiosMemory smbios_memory(std::span<const std::uint8_t> buffer, std::uint32_t got)
{
    SmbiosMemory walk;
    if (buffer.size() > smbios_max_bytes || got == 0 || got > buffer.size() || got < smbios_header_bytes) {
        walk.malformed = true;
        return walk;
    }
    const std::uint64_t declared = read_le(buffer, 4, 4);
    const std::size_t table_length =
        static_cast<std::size_t>(std::min<std::uint64_t>(got, declared + smbios_header_bytes)) - smbios_header_bytes;
    const std::span<const std::uint8_t> table = buffer.subspan(smbios_header_bytes, table_length);
    walk.table_bytes = static_cast<std::uint32_t>(table_length);

    std::size_t p = 0;
    while (p + 4 <= table.size()) {
        const std::uint8_t type = table[p];
        const std::size_t length = table[p + 1];
        if (length < 4 || p + length > table.size()) {
            walk.malformed = true;
            return walk;
        }
        if (type == smbios_end_of_table) return walk;
        if (type == smbios_memory_device) {
            ++walk.devices;
            const Formatted device{table.subspan(p, length)};
            const std::optional<std::uint32_t> size = device.field(device_size, 2);
            if (size && *size != 0 && *size != 0xFFFF) {
                ++walk.populated;
                MemorySpeeds speeds{device.speed(device_speed, device_extended_speed),
                                    device.speed(device_configured_speed, device_extended_configured_speed)};
                if (speeds.rated || speeds.configured) {
                    walk.speeds = speeds;
                    return walk;
                }
            }
        }
        // Skip the string set: up to and past its two NULs.
        std::size_t q = p + length;
        while (q + 1 < table.size() && !(table[q] == 0 && table[q + 1] == 0)) ++q;
        p = q + 2;
    }
    return walk;
}

std::string memory_speeds_reason(const SmbiosMemory& walk)
{
    if (walk.malformed && walk.devices == 0)
        return "SMBIOS: a malformed table of " + counted(walk.table_bytes, "byte") + ", no memory device read";
    if (walk.devices == 0) return "SMBIOS: no memory device in " + counted(walk.table_bytes, "byte");
    const std::string devices = "SMBIOS: " + counted(walk.devices, "memory device");
    if (walk.populated == 0) return devices + ", none populated";
    return devices + ", none with a valid speed";
}

Finding<std::uint32_t> memory_size_finding(const MemorySizeRead& read)
{
    if (read.installed_kib)
        if (const auto gb = memory_gb_from_kib(*read.installed_kib)) return found(*gb);
    if (read.total_bytes)
        if (const auto gb = memory_gb_from_kib(*read.total_bytes >> 10)) return found(*gb);
    const std::string installed =
        read.installed_kib
            ? "GetPhysicallyInstalledSystemMemory: " + decimal(*read.installed_kib) + " KiB, not 1 to 4096 GiB"
            : call_failed("GetPhysicallyInstalledSystemMemory", read.installed_error);
    const std::string total = read.total_bytes
                                  ? "GlobalMemoryStatusEx: " + decimal(*read.total_bytes) + " bytes, not 1 to 4096 GiB"
                                  : call_failed("GlobalMemoryStatusEx", read.status_error);
    return absent<std::uint32_t>(installed + "; " + total);
}

}  // namespace qd::checks
