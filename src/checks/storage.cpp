#include "checks/storage.h"

#include <algorithm>

#include "checks/bytes.h"
#include "checks/text.h"

namespace qd::checks {

namespace {

constexpr std::array<std::uint32_t, 5> excluded_bus_types = {
    7,   // USB
    12,  // SD
    13,  // MMC
    14,  // virtual
    15,  // file-backed virtual
};
constexpr std::uint32_t nvme_bus = 17;

constexpr std::uint32_t reply_header_bytes = 8;  // Version and Size
constexpr std::size_t bus_type_offset = 28;
constexpr std::size_t seek_penalty_offset = 8;

// Kinds by rank, worst first; rank 0 is "not ranked".
constexpr std::array<std::string_view, 4> kinds = {"", "hdd", "ssd", "nvme"};

int rank(const DriveInfo& drive)
{
    if (std::find(excluded_bus_types.begin(), excluded_bus_types.end(), drive.bus_type) != excluded_bus_types.end())
        return 0;
    if (drive.bus_type == nvme_bus) return 3;
    if (drive.seek_penalty == seek_penalty_unknown) return 0;
    if (drive.seek_penalty == 0) return 2;
    return 1;
}

}  // namespace

std::string physical_drive_path(unsigned n) { return "\\\\.\\PhysicalDrive" + decimal(n); }

StoragePropertyQuery storage_property_query(std::uint32_t property_id)
{
    StoragePropertyQuery query = {};
    write_le(query, 0, property_id, 4);
    write_le(query, 4, 0, 4);  // PropertyStandardQuery
    return query;
}

std::optional<std::uint32_t> bus_type_from_reply(bool ok, const DeviceDescriptorReply& reply, std::uint32_t returned)
{
    if (!ok || returned < reply_header_bytes) return std::nullopt;
    // A short descriptor leaves the zero fill: bus type 0, unknown.
    return read_le(reply, bus_type_offset, 4);
}

std::uint8_t seek_penalty_from_reply(bool ok, const SeekPenaltyReply& reply, std::uint32_t returned)
{
    if (!ok || returned <= seek_penalty_offset) return seek_penalty_unknown;
    return reply[seek_penalty_offset];
}

std::optional<std::string_view> classify_storage(const std::vector<DriveInfo>& drives)
{
    int best = 0;
    const std::size_t count = std::min<std::size_t>(drives.size(), max_physical_drives);
    for (std::size_t i = 0; i < count; ++i) best = std::max(best, rank(drives[i]));
    if (best == 0) return std::nullopt;
    return kinds[static_cast<std::size_t>(best)];
}

Finding<std::string_view> storage_finding(const StorageRead& read)
{
    if (const auto kind = classify_storage(read.drives)) return found(*kind);
    const std::string drives = "PhysicalDrive0..15: ";
    const auto error = [](std::uint32_t code) { return code != 0 ? " (error " + decimal(code) + ")" : std::string(); };
    if (read.opened == 0) return absent<std::string_view>(drives + "none could be opened" + error(read.open_error));
    if (read.drives.empty())
        return absent<std::string_view>(drives + decimal(read.opened) + " opened, none answered the device query" +
                                        error(read.device_error));
    const std::size_t count = std::min<std::size_t>(read.drives.size(), max_physical_drives);
    const bool any_internal = std::any_of(read.drives.begin(), read.drives.begin() + static_cast<std::ptrdiff_t>(count),
                                          [](const DriveInfo& d) {
                                              return std::find(excluded_bus_types.begin(), excluded_bus_types.end(),
                                                               d.bus_type) == excluded_bus_types.end();
                                          });
    if (!any_internal)
        return absent<std::string_view>(drives + decimal(read.drives.size()) +
                                        " answered, all on USB, SD, MMC or virtual buses");
    return absent<std::string_view>(drives + "none answered the seek-penalty query" + error(read.seek_error));
}

}  // namespace qd::checks
