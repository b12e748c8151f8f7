// Drive replies: the two IOCTL_STORAGE_QUERY_PROPERTY replies as the device
// fills them, and the list of drives that answered.
// Input: a flags byte (bit 0: descriptor query ok, bit 1: seek query ok), the
// two returned lengths (four bytes each), the 40-byte descriptor reply, the
// 12-byte seek-penalty reply, a property id (four bytes), then drives of five
// bytes each: bus type (four), seek-penalty byte.
#include <algorithm>
#include <vector>

#include "checks/bytes.h"
#include "checks/storage.h"
#include "fuzz_support.h"

using namespace qd::checks;

namespace {

template <std::size_t N>
std::array<std::uint8_t, N> reply_from(FuzzInput& in)
{
    std::array<std::uint8_t, N> reply{};
    for (std::uint8_t& b : reply) b = in.u8();
    return reply;
}

void check_replies(FuzzInput& in)
{
    const std::uint8_t flags = in.u8();
    const bool descriptor_ok = (flags & 1) != 0;
    const bool seek_ok = (flags & 2) != 0;
    const std::uint32_t descriptor_returned = in.u32();
    const std::uint32_t seek_returned = in.u32();
    const DeviceDescriptorReply descriptor = reply_from<40>(in);
    const SeekPenaltyReply seek = reply_from<12>(in);

    const std::optional<std::uint32_t> bus = bus_type_from_reply(descriptor_ok, descriptor, descriptor_returned);
    FUZZ_CHECK(bus.has_value() == (descriptor_ok && descriptor_returned >= 8));
    if (bus) FUZZ_CHECK(*bus == read_le(descriptor, 28, 4));

    const std::uint8_t penalty = seek_penalty_from_reply(seek_ok, seek, seek_returned);
    if (!seek_ok || seek_returned <= 8)
        FUZZ_CHECK(penalty == seek_penalty_unknown);
    else
        FUZZ_CHECK(penalty == seek[8]);

    const std::uint32_t property = in.u32();
    const StoragePropertyQuery query = storage_property_query(property);
    FUZZ_CHECK(read_le(query, 0, 4) == property);
    FUZZ_CHECK(std::all_of(query.begin() + 4, query.end(), [](std::uint8_t b) { return b == 0; }));
}

void check_classification(FuzzInput& in)
{
    std::vector<DriveInfo> drives;
    while (!in.empty()) {
        DriveInfo drive;
        drive.bus_type = in.u32();
        drive.seek_penalty = in.u8();
        drives.push_back(drive);
    }
    const std::optional<std::string_view> kind = classify_storage(drives);
    FUZZ_CHECK(!kind || *kind == "nvme" || *kind == "ssd" || *kind == "hdd");

    // Only the first max_physical_drives count, in any order.
    std::vector<DriveInfo> first(drives.begin(),
                                 drives.begin() + std::min<std::size_t>(drives.size(), max_physical_drives));
    FUZZ_CHECK(classify_storage(first) == kind);
    std::reverse(first.begin(), first.end());
    FUZZ_CHECK(classify_storage(first) == kind);
    const bool any_nvme = std::any_of(first.begin(), first.end(), [](const DriveInfo& d) { return d.bus_type == 17; });
    FUZZ_CHECK((kind == "nvme") == any_nvme);

    // A USB drive never changes the answer, whatever its seek penalty.
    if (first.size() < max_physical_drives) {
        first.push_back(DriveInfo{7, 0});
        FUZZ_CHECK(classify_storage(first) == kind);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    check_replies(in);
    check_classification(in);
    return 0;
}
