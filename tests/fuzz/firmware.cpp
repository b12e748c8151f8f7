// Firmware tables: the raw SMBIOS buffer and the length the firmware call
// claims to have written, as memory_speeds_from_smbios gets them.
// Input: one byte choosing how `got` relates to the buffer, four bytes of
// `got`, eight bytes of a memory size in KiB, then the buffer itself.
#include <vector>

#include "checks/memory.h"
#include "fuzz_support.h"

using namespace qd::checks;

namespace {

bool same(const MemorySpeeds& a, const MemorySpeeds& b) { return a.rated == b.rated && a.configured == b.configured; }

bool plausible(const std::optional<std::uint32_t>& speed) { return !speed || (*speed >= 1 && *speed <= 20000); }

void check_memory_size(std::uint64_t kib)
{
    const std::optional<std::uint32_t> gib = memory_gb_from_kib(kib);
    if (gib) {
        // The nearest whole GiB, from 1 to 4096: within half a GiB of the size, halves rounded up.
        FUZZ_CHECK(*gib >= 1 && *gib <= 4096);
        const std::int64_t diff = static_cast<std::int64_t>(kib) - std::int64_t{*gib} * 1048576;
        FUZZ_CHECK(diff >= -524288 && diff < 524288);
    } else {
        // Absent exactly when the nearest whole GiB is 0 or above 4096.
        FUZZ_CHECK(kib < 524288 || kib >= 4096ull * 1048576 + 524288);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::uint8_t mode = in.u8();
    const std::uint32_t raw_got = in.u32();
    check_memory_size(in.u64());
    const std::span<const std::uint8_t> rest = in.rest();
    // A heap copy of exactly the buffer's size, so that any read past it is caught.
    const std::vector<std::uint8_t> buffer(rest.begin(), rest.end());
    const auto n = static_cast<std::uint32_t>(buffer.size());
    std::uint32_t got = raw_got;
    if (mode % 3 == 0) got = n;
    if (mode % 3 == 1) got = raw_got % (n + 1);

    const MemorySpeeds speeds = memory_speeds_from_smbios(buffer, got);
    FUZZ_CHECK(plausible(speeds.rated) && plausible(speeds.configured));
    if (got > n || got < 8) FUZZ_CHECK(!speeds.rated && !speeds.configured);
    if (got <= n) {
        // Bytes past `got` are not the table's: changing them changes nothing.
        std::vector<std::uint8_t> changed = buffer;
        for (std::size_t i = got; i < changed.size(); ++i) changed[i] = static_cast<std::uint8_t>(~changed[i]);
        FUZZ_CHECK(same(memory_speeds_from_smbios(changed, got), speeds));
        // Nor does the room left in the buffer after them.
        const std::vector<std::uint8_t> exact(buffer.begin(), buffer.begin() + got);
        FUZZ_CHECK(same(memory_speeds_from_smbios(exact, got), speeds));
    }
    return 0;
}
