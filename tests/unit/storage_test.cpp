#include "checks/storage.h"

#include <gtest/gtest.h>

using namespace qd::checks;

namespace {

constexpr std::uint32_t sata = 11;
constexpr std::uint32_t nvme = 17;
constexpr std::uint8_t no_penalty = 0;
constexpr std::uint8_t penalty = 1;
constexpr std::uint8_t unknown = 2;

}  // namespace

TEST(StorageClassification, BestDriveCounts)
{
    struct Case {
        const char* what;
        std::vector<DriveInfo> drives;
        std::optional<std::string_view> expected;
    };
    const Case cases[] = {
        {"no drives", {}, std::nullopt},
        {"NVMe system drive and SATA hard drive", {{nvme, no_penalty}, {sata, penalty}}, "nvme"},
        {"hard drive first, NVMe later", {{sata, penalty}, {sata, penalty}, {nvme, no_penalty}}, "nvme"},
        {"SATA SSD and hard drive", {{sata, penalty}, {sata, no_penalty}}, "ssd"},
        {"USB flash drive does not count", {{7, no_penalty}, {sata, penalty}}, "hdd"},
        {"SD, MMC and virtual disks do not count",
         {{12, no_penalty}, {13, no_penalty}, {14, no_penalty}, {15, no_penalty}},
         std::nullopt},
        {"USB NVMe enclosure does not count", {{7, no_penalty}}, std::nullopt},
        {"RAID without seek penalty", {{8, no_penalty}}, "ssd"},
        {"SAS without seek penalty", {{10, no_penalty}}, "ssd"},
        {"unknown bus with a seek penalty", {{0, penalty}}, "hdd"},
        {"any other penalty byte is a penalty", {{sata, 0x80}}, "hdd"},
        {"NVMe whose seek penalty is unknown", {{nvme, unknown}}, "nvme"},
        {"SATA whose seek penalty is unknown", {{sata, unknown}}, std::nullopt},
        {"unknown beside a hard drive", {{sata, unknown}, {1, penalty}}, "hdd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(classify_storage(c.drives), c.expected);
    }
}

TEST(StorageClassification, LooksAtSixteenDrivesOnly)
{
    std::vector<DriveInfo> drives(max_physical_drives, DriveInfo{sata, penalty});
    drives.push_back({nvme, no_penalty});
    EXPECT_EQ(classify_storage(drives), "hdd");
}

TEST(StorageQuery, PathsAndQueryBytes)
{
    EXPECT_EQ(physical_drive_path(0), "\\\\.\\PhysicalDrive0");
    EXPECT_EQ(physical_drive_path(15), "\\\\.\\PhysicalDrive15");
    EXPECT_EQ(storage_property_query(storage_device_property), (StoragePropertyQuery{}));
    EXPECT_EQ(storage_property_query(storage_seek_penalty_property),
              (StoragePropertyQuery{7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(storage_property_query(0x01020304), (StoragePropertyQuery{4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(StorageQuery, DeviceDescriptorReply)
{
    DeviceDescriptorReply reply = {};
    reply[0] = 1;   // Version
    reply[4] = 40;  // Size
    reply[28] = nvme;
    reply[29] = 0x01;  // BusType is a full u32
    EXPECT_EQ(bus_type_from_reply(true, reply, 40), 0x0111u);
    EXPECT_EQ(bus_type_from_reply(false, reply, 40), std::nullopt);
    EXPECT_EQ(bus_type_from_reply(true, reply, 7), std::nullopt);
    EXPECT_EQ(bus_type_from_reply(true, reply, 0), std::nullopt);
    // Only the header came back: the zero fill reads as bus 0, unknown.
    EXPECT_EQ(bus_type_from_reply(true, DeviceDescriptorReply{1, 0, 0, 0, 8}, 8), 0u);
}

TEST(StorageQuery, SeekPenaltyReply)
{
    SeekPenaltyReply reply = {};
    reply[0] = 1;
    reply[4] = 12;
    reply[8] = 1;
    EXPECT_EQ(seek_penalty_from_reply(true, reply, 12), 1);
    EXPECT_EQ(seek_penalty_from_reply(true, reply, 9), 1);
    EXPECT_EQ(seek_penalty_from_reply(false, reply, 12), unknown);
    reply[8] = 0;
    EXPECT_EQ(seek_penalty_from_reply(true, reply, 12), 0);
    // A reply that stops before the byte says nothing about the seek penalty,
    // even though the zero fill there would read as "none".
    EXPECT_EQ(seek_penalty_from_reply(true, reply, 8), unknown);
    EXPECT_EQ(seek_penalty_from_reply(true, reply, 4), unknown);
}
