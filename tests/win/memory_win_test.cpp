// The memory reader against the memory sizes and SMBIOS tables of
// real-looking machines.
#include "checks/memory_win.h"

#include <gtest/gtest.h>

#include "machines.h"

using namespace qd::test;
using namespace qd::checks;

TEST(MemoryReader, SizeOfEachMachine)
{
    ASSERT_GE(machines().size(), 4u);
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.file + ": " + m.what());
        EXPECT_EQ(shown(probe_memory_size(qd::kit::replay_api(m.record).memory).value), expected(m, "memory-gb"));
    }
}

TEST(MemoryReader, FallsBackToTotalMemoryWhenTheSlotsSayNothingUsable)
{
    MachineRecord m = machine("desktop-rtx3070-nvme.txt").record;
    m.installed_kib = 0;  // read, but no size
    EXPECT_EQ(probe_memory_size(qd::kit::replay_api(m).memory).value, 32u);
    MemoryApi failing = qd::kit::replay_api(m).memory;
    failing.memory_status = [](void*, MEMORYSTATUSEX*) -> BOOL {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    };
    EXPECT_EQ(probe_memory_size(failing).value, std::nullopt);
    EXPECT_EQ(probe_memory_size(failing).why_absent,
              "GetPhysicallyInstalledSystemMemory: 0 KiB, not 1 to 4096 GiB; GlobalMemoryStatusEx failed with error 87");
    // Like the system, GlobalMemoryStatusEx refuses a structure whose length was not set.
    MEMORYSTATUSEX unset = {};
    const MemoryApi replayed = qd::kit::replay_api(m).memory;
    EXPECT_FALSE(replayed.memory_status(replayed.context, &unset));
}

TEST(MemoryReader, SpeedsOfEachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.file + ": " + m.what());
        const MemorySpeeds speeds = probe_memory_speeds(qd::kit::replay_api(m.record).memory).value.value_or(MemorySpeeds{});
        EXPECT_EQ(shown(speeds.rated), expected(m, "memory-rated-speed"));
        EXPECT_EQ(shown(speeds.configured), expected(m, "memory-configured-speed"));
    }
}

TEST(MemoryReader, FirmwareTableThatCannotBeRead)
{
    MachineRecord m = machine("desktop-rtx3070-nvme.txt").record;
    ASSERT_TRUE(probe_memory_speeds(qd::kit::replay_api(m).memory).value);
    // The size call works, the read fails.
    m.smbios.got = 0;
    EXPECT_FALSE(probe_memory_speeds(qd::kit::replay_api(m).memory).value);
    // A read that stops inside the header.
    m.smbios.got = 7;
    EXPECT_FALSE(probe_memory_speeds(qd::kit::replay_api(m).memory).value);
    // A table larger than the program reads.
    m.smbios.got.reset();
    m.smbios.size = smbios_max_bytes + 1;
    EXPECT_FALSE(probe_memory_speeds(qd::kit::replay_api(m).memory).value);
    EXPECT_EQ(probe_memory_speeds(qd::kit::replay_api(m).memory).why_absent,
              "SMBIOS: a table of 1048577 bytes, more than 1048576");
    m.smbios.size = 0;
    EXPECT_FALSE(probe_memory_speeds(qd::kit::replay_api(m).memory).value);
    m.smbios.present = false;
    EXPECT_FALSE(probe_memory_speeds(qd::kit::replay_api(m).memory).value);
}
