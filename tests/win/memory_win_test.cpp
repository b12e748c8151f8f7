// The memory reader against the memory sizes and SMBIOS tables of
// real-looking machines.
#include "checks/memory_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "machines.h"

using namespace qd::test;
using namespace qd::checks;

namespace {

constexpr ULONGLONG gib = 1ULL << 30;

// Memory calls answered from a machine. GlobalMemoryStatusEx refuses a
// structure whose length was not set, as the system does.
MemoryApi memory_api(const Machine& m)
{
    MemoryApi api;
    api.context = context_of(m);
    api.installed_kib = [](void* context, ULONGLONG* kib) -> BOOL {
        const Machine& m = machine_in(context);
        if (!m.installed_kib) {
            SetLastError(ERROR_INVALID_DATA);
            return FALSE;
        }
        *kib = *m.installed_kib;
        return TRUE;
    };
    api.memory_status = [](void* context, MEMORYSTATUSEX* status) -> BOOL {
        const Machine& m = machine_in(context);
        if (status->dwLength != sizeof(MEMORYSTATUSEX)) return FALSE;
        status->dwMemoryLoad = static_cast<DWORD>(100 - m.available_bytes * 100 / m.total_bytes);
        status->ullTotalPhys = m.total_bytes;
        status->ullAvailPhys = m.available_bytes;
        status->ullTotalPageFile = m.total_bytes + 4 * gib;
        status->ullAvailPageFile = m.available_bytes + 2 * gib;
        status->ullTotalVirtual = 0x7FFFFFFE0000;
        status->ullAvailVirtual = 0x7FFFFFF00000;
        return TRUE;
    };
    api.firmware_table = [](void* context, DWORD provider, DWORD table_id, void* buffer, DWORD size) -> UINT {
        const Machine& m = machine_in(context);
        if (provider != smbios_provider || table_id != 0 || m.smbios.empty()) return 0;
        const auto needed = static_cast<UINT>(m.smbios.size());
        // Too small a buffer: the size needed, nothing written.
        if (buffer != nullptr && size >= needed) std::memcpy(buffer, m.smbios.data(), needed);
        return needed;
    };
    return api;
}

}  // namespace

TEST(MemoryReader, SizeOfEachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        EXPECT_EQ(probe_memory_size(memory_api(m)).value, m.memory_gb);
    }
}

TEST(MemoryReader, FallsBackToTotalMemoryWhenTheSlotsSayNothingUsable)
{
    Machine m = machines()[0];
    m.installed_kib = 0;  // read, but no size
    EXPECT_EQ(probe_memory_size(memory_api(m)).value, 32u);
    MemoryApi failing = memory_api(m);
    failing.memory_status = [](void*, MEMORYSTATUSEX*) -> BOOL { return FALSE; };
    EXPECT_EQ(probe_memory_size(failing).value, std::nullopt);
}

TEST(MemoryReader, SpeedsOfEachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        const MemorySpeeds speeds = probe_memory_speeds(memory_api(m)).value.value_or(MemorySpeeds{});
        EXPECT_EQ(speeds.rated, m.speeds.rated);
        EXPECT_EQ(speeds.configured, m.speeds.configured);
    }
}

TEST(MemoryReader, FirmwareTableThatCannotBeRead)
{
    Machine m = machines()[0];
    MemoryApi api = memory_api(m);
    // The size call works, the read fails.
    api.firmware_table = [](void* context, DWORD, DWORD, void* buffer, DWORD) -> UINT {
        const Machine& m = machine_in(context);
        return buffer == nullptr ? static_cast<UINT>(m.smbios.size()) : 0;
    };
    EXPECT_FALSE(probe_memory_speeds(api).value);
    // A table larger than the program reads.
    api.firmware_table = [](void*, DWORD, DWORD, void*, DWORD) -> UINT { return smbios_max_bytes + 1; };
    EXPECT_FALSE(probe_memory_speeds(api).value);
    EXPECT_EQ(probe_memory_speeds(api).why_absent, "SMBIOS: a table of 1048577 bytes, more than 1048576");
    m.smbios.clear();
    EXPECT_FALSE(probe_memory_speeds(memory_api(m)).value);
}
