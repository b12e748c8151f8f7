#include "checks/memory.h"

#include <gtest/gtest.h>

#include <vector>

#include "smbios_fixture.h"

using namespace qd::test;

using namespace qd::checks;

namespace {

using namespace smbios_fixture;

MemorySpeeds speeds_of(const Bytes& raw)
{
    return memory_speeds_from_smbios(raw, static_cast<std::uint32_t>(raw.size()));
}

void expect_speeds(const MemorySpeeds& got, std::optional<std::uint32_t> rated, std::optional<std::uint32_t> configured)
{
    EXPECT_EQ(got.rated, rated);
    EXPECT_EQ(got.configured, configured);
}

}  // namespace

TEST(MemorySize, NearestWholeGibWithinRange)
{
    const struct {
        std::uint64_t kib;
        std::optional<std::uint32_t> gib;
    } cases[] = {
        {16777216, 16u},         // exactly 16 GiB
        {16651292, 16u},         // what Windows can use of 16 GiB
        {524288, 1u},            // 0.5 GiB: halves round up
        {516096, std::nullopt},  // below half a GiB
        {0, std::nullopt},
        {16252928, 16u},                                      // 15.5 GiB
        {4294967296, 4096u},                                  // the largest accepted
        {4295491584, std::nullopt},                           // 4096.5 GiB
        {(std::uint64_t{1} << 52) + 16777216, std::nullopt},  // 2^32 + 16 GiB: not wrapped to 16
        {0xFFFFFFFFFFFFFFFF, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(memory_gb_from_kib(c.kib), c.gib) << c.kib;
}

TEST(SmbiosSpeeds, RealWorldTableTakesTheFirstPopulatedDevice)
{
    // Four slots: A1 empty, A2 populated (DDR4-3200 running at 2933), B1 empty, B2 populated at other speeds.
    const Bytes raw =
        smbios({bios, system_info, memory_array, memory_device({.length = 0x28, .size = 0}),
                memory_device({.length = 0x28, .size = 0x4000, .speed = 3200, .configured = 2933}),
                memory_device({.length = 0x28, .size = 0}),
                memory_device({.length = 0x28, .size = 0x2000, .speed = 2666, .configured = 2666}), end_of_table});
    expect_speeds(speeds_of(raw), 3200u, 2933u);
}

TEST(SmbiosSpeeds, DeviceFieldRules)
{
    struct Case {
        const char* what;
        Device device;
        std::optional<std::uint32_t> rated;
        std::optional<std::uint32_t> configured;
    };
    const Case cases[] = {
        {"plain", {.speed = 4800, .configured = 4400}, 4800u, 4400u},
        {"extended speeds",
         {.speed = 0xFFFF, .configured = 0xFFFF, .extended_speed = 8400, .extended_configured = 6400},
         8400u,
         6400u},
        {"extension ignored unless asked for",
         {.speed = 6000, .configured = 5600, .extended_speed = 8400},
         6000u,
         5600u},
        {"extended speed not covered", {.length = 0x54, .speed = 0xFFFF, .configured = 3200}, std::nullopt, 3200u},
        {"extended speed 3 bytes short",
         {.length = 0x57, .speed = 0xFFFF, .configured = 3200, .extended_speed = 6400},
         std::nullopt,
         3200u},
        {"extended speed just covered",
         {.length = 0x58, .speed = 0xFFFF, .configured = 0xFFFF, .extended_speed = 6400, .extended_configured = 6000},
         6400u,
         std::nullopt},
        {"unknown rated speed", {.speed = 0, .configured = 3200}, std::nullopt, 3200u},
        {"rated only", {.speed = 3200, .configured = 0}, 3200u, std::nullopt},
        {"out of range", {.speed = 25000, .configured = 20000}, std::nullopt, 20000u},
        {"extended out of range", {.speed = 0xFFFF, .configured = 1, .extended_speed = 20001}, std::nullopt, 1u},
        {"configured speed not covered (SMBIOS 2.3)",
         {.length = 0x1B, .speed = 2133, .configured = 1866},
         2133u,
         std::nullopt},
        {"configured speed half covered", {.length = 0x21, .speed = 2133, .configured = 1866}, 2133u, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        expect_speeds(speeds_of(smbios({bios, memory_device(c.device), end_of_table})), c.rated, c.configured);
    }
}

TEST(SmbiosSpeeds, DevicesWithoutModuleOrSpeedArePassedOver)
{
    const Device empty_slot{.size = 0, .speed = 4800, .configured = 4800};
    const Device unknown_size{.size = 0xFFFF, .speed = 4800, .configured = 4800};
    const Device no_speeds{.size = 0x4000, .speed = 0, .configured = 0};
    const Device populated{.size = 0x2000, .speed = 5600, .configured = 5200};
    expect_speeds(speeds_of(smbios({memory_device(empty_slot), memory_device(unknown_size), memory_device(no_speeds),
                                    memory_device(populated), end_of_table})),
                  5600u, 5200u);
    // A device too short to hold Size is not counted either.
    expect_speeds(speeds_of(smbios({memory_device({.length = 0x0D, .speed = 4800}), memory_device(populated)})), 5600u,
                  5200u);
    // Nothing usable at all.
    expect_speeds(speeds_of(smbios({bios, memory_device(empty_slot), memory_device(no_speeds), end_of_table})),
                  std::nullopt, std::nullopt);
}

TEST(SmbiosSpeeds, EndOfTableStopsTheWalk)
{
    const Bytes populated = memory_device({.speed = 3200, .configured = 3200});
    expect_speeds(speeds_of(smbios({end_of_table, populated})), std::nullopt, std::nullopt);
    expect_speeds(speeds_of(smbios({populated, end_of_table})), 3200u, 3200u);
}

TEST(SmbiosSpeeds, MalformedBuffersGiveNothing)
{
    const Bytes populated = memory_device({.speed = 3200, .configured = 3000});
    const Bytes good = smbios({bios, populated, end_of_table});
    ASSERT_EQ(speeds_of(good).rated, 3200u);

    // Empty, shorter than the header, more bytes claimed than the buffer holds.
    EXPECT_FALSE(memory_speeds_from_smbios({}, 0).rated);
    EXPECT_FALSE(memory_speeds_from_smbios(good, 0).rated);
    EXPECT_FALSE(memory_speeds_from_smbios(std::span(good).first(7), 7).rated);
    EXPECT_FALSE(memory_speeds_from_smbios(std::span(good).first(20), static_cast<std::uint32_t>(good.size())).rated);

    // Larger than 1 MiB: not read at all, even though the device is in it.
    Bytes huge = good;
    huge.resize(smbios_max_bytes + 1);
    EXPECT_FALSE(memory_speeds_from_smbios(huge, static_cast<std::uint32_t>(good.size())).rated);
    huge.resize(smbios_max_bytes);
    EXPECT_EQ(memory_speeds_from_smbios(huge, static_cast<std::uint32_t>(good.size())).rated, 3200u);

    // Bytes past what the firmware call wrote are never looked at.
    Bytes spare = smbios({bios});
    const auto got = static_cast<std::uint32_t>(spare.size());
    write_le(spare, 4, got - 8 + static_cast<std::uint32_t>(populated.size()), 4);
    spare.insert(spare.end(), populated.begin(), populated.end());
    EXPECT_FALSE(memory_speeds_from_smbios(spare, got).rated);
    EXPECT_EQ(memory_speeds_from_smbios(spare, static_cast<std::uint32_t>(spare.size())).rated, 3200u);

    // The header's table length cuts the table short of the device...
    Bytes cut = good;
    write_le(cut, 4, static_cast<std::uint32_t>(bios.size() + 0x20), 4);
    EXPECT_FALSE(speeds_of(cut).rated);
    // ...and one larger than what was returned is limited to it.
    Bytes overstated = good;
    write_le(overstated, 4, 0xFFFFFFFF, 4);
    EXPECT_EQ(speeds_of(overstated).rated, 3200u);

    // A structure length below 4 ends the walk, even with a device after it.
    Bytes short_length = structure(1, 4);
    short_length[1] = 3;
    EXPECT_FALSE(speeds_of(smbios({short_length, populated})).rated);
    // A length running past the table's end.
    Bytes overrun = smbios({bios, populated});
    overrun[8 + bios.size() + 1] = 0xFF;
    EXPECT_FALSE(speeds_of(overrun).rated);
    // A device cut off after its formatted part begins.
    const Bytes whole = smbios({bios, populated});
    EXPECT_FALSE(memory_speeds_from_smbios(whole, static_cast<std::uint32_t>(8 + bios.size() + 0x40)).rated);
    // A string set with no double NUL before the end, and fewer than 4 bytes left over.
    Bytes unterminated = smbios({bios});
    unterminated.resize(unterminated.size() - 2);  // drop the string set's closing NULs
    write_le(unterminated, 4, static_cast<std::uint32_t>(unterminated.size() - 8), 4);
    EXPECT_FALSE(speeds_of(unterminated).rated);
    EXPECT_FALSE(speeds_of(smbios({bios, Bytes{17, 0x5C, 0}})).rated);
}
