// The storage probe: the best kind of internal drive.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checks/finding.h"

namespace qd::checks {

// One drive that answered the device query.
struct DriveInfo {
    std::uint32_t bus_type = 0;     // STORAGE_BUS_TYPE
    std::uint8_t seek_penalty = 2;  // 0 none, 2 unknown, anything else: a seek penalty
};

inline constexpr unsigned max_physical_drives = 16;
inline constexpr std::uint8_t seek_penalty_unknown = 2;

// IOCTL_STORAGE_QUERY_PROPERTY and the two properties asked for.
inline constexpr std::uint32_t ioctl_storage_query_property = 0x2D1400;
inline constexpr std::uint32_t storage_device_property = 0;
inline constexpr std::uint32_t storage_seek_penalty_property = 7;

// "\\.\PhysicalDrive<n>"
std::string physical_drive_path(unsigned n);

// The 12-byte STORAGE_PROPERTY_QUERY: PropertyId, QueryType 0 (standard), one
// byte of additional parameters, padding.
using StoragePropertyQuery = std::array<std::uint8_t, 12>;
StoragePropertyQuery storage_property_query(std::uint32_t property_id);

// Replies, zero-filled before the query. A STORAGE_DEVICE_DESCRIPTOR keeps
// BusType at 28; a DEVICE_SEEK_PENALTY_DESCRIPTOR keeps IncursSeekPenalty at 8.
using DeviceDescriptorReply = std::array<std::uint8_t, 40>;
using SeekPenaltyReply = std::array<std::uint8_t, 12>;

// The bus type, or absent when the query failed or returned less than its 8-byte header.
std::optional<std::uint32_t> bus_type_from_reply(bool ok, const DeviceDescriptorReply& reply, std::uint32_t returned);
// The seek-penalty byte, or seek_penalty_unknown when the query failed or the
// reply stops before the byte.
std::uint8_t seek_penalty_from_reply(bool ok, const SeekPenaltyReply& reply, std::uint32_t returned);

// "nvme" when any internal drive is on the NVMe bus, else "ssd" when one has no
// seek penalty, else "hdd" when one has; USB, SD, MMC and virtual disks do not
// count. Looks at the first max_physical_drives drives.
std::optional<std::string_view> classify_storage(const std::vector<DriveInfo>& drives);

// What the storage reader got from PhysicalDrive0 to PhysicalDrive15.
struct StorageRead {
    std::vector<DriveInfo> drives;  // those that answered the device query
    unsigned opened = 0;            // drives that could be opened
    std::uint32_t open_error = 0;   // the error of the first drive that could not be opened
    std::uint32_t device_error = 0;  // the last error of a failed device query
    std::uint32_t seek_error = 0;    // the last error of a failed seek-penalty query
};

// The kind, or why there is none: "PhysicalDrive0..15: none answered the
// seek-penalty query (error 50)".
Finding<std::string_view> storage_finding(const StorageRead& read);

}  // namespace qd::checks
