// SMBIOS tables for the tests, built from named fields: the raw 'RSMB' buffer
// that GetSystemFirmwareTable hands over.
#pragma once
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "checks/bytes.h"

namespace qd::test {

using namespace qd::checks;

namespace smbios_fixture {

using Bytes = std::vector<std::uint8_t>;

// One structure: formatted part of `length` bytes, then its strings and the closing NUL.
inline Bytes structure(std::uint8_t type, std::size_t length, std::initializer_list<std::string> strings = {})
{
    Bytes bytes(length, 0);
    bytes[0] = type;
    bytes[1] = static_cast<std::uint8_t>(length);
    for (const std::string& s : strings) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        bytes.push_back(0);
    }
    if (strings.size() == 0) bytes.push_back(0);
    bytes.push_back(0);
    return bytes;
}

// A type-17 Memory Device. Its formatted length grew with the versions:
// 0x1B in 2.3, 0x28 in 2.8, 0x54 in 3.2, 0x5C in 3.3.
struct Device {
    std::size_t length = 0x5C;
    std::uint32_t size = 0x4000;  // MiB; 0 is an empty slot, 0xFFFF unknown
    std::uint32_t speed = 0;      // MT/s; 0 unknown, 0xFFFF: see the extended field
    std::uint32_t configured = 0;
    std::uint32_t extended_speed = 0;
    std::uint32_t extended_configured = 0;
};

// Fields beyond the device's formatted length are left out.
inline Bytes memory_device(const Device& d)
{
    Bytes bytes = structure(17, d.length, {"DIMM A1", "Acme"});
    const auto set = [&](std::size_t offset, std::uint32_t value, std::size_t width) {
        if (offset + width <= d.length) write_le(bytes, offset, value, width);
    };
    set(0x0C, d.size, 2);
    set(0x15, d.speed, 2);
    set(0x20, d.configured, 2);
    set(0x54, d.extended_speed, 4);
    set(0x58, d.extended_configured, 4);
    return bytes;
}

inline const Bytes bios = structure(0, 0x1A, {"Acme Firmware", "1.07", "03/14/2024"});
inline const Bytes system_info = structure(1, 0x1B, {"Acme", "Board"});
inline const Bytes memory_array = structure(16, 0x17);
inline const Bytes end_of_table = structure(127, 4);

// The 8-byte header (calling method, SMBIOS major and minor version, DMI
// revision, table length), then the structures.
inline Bytes smbios(std::uint8_t major, std::uint8_t minor, std::initializer_list<Bytes> structures)
{
    Bytes table;
    for (const Bytes& s : structures) table.insert(table.end(), s.begin(), s.end());
    Bytes raw = {0, major, minor, 0, 0, 0, 0, 0};
    write_le(raw, 4, static_cast<std::uint32_t>(table.size()), 4);
    raw.insert(raw.end(), table.begin(), table.end());
    return raw;
}

inline Bytes smbios(std::initializer_list<Bytes> structures) { return smbios(3, 4, structures); }

}  // namespace smbios_fixture

}  // namespace qd::test
