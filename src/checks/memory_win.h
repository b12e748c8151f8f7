// The memory readers' calls to the system, gathered so that a test can answer
// them the way a real machine does. Include only from *_win.cpp files.
#pragma once
#include <functional>

#include "checks/memory.h"
#include "checks/platform_win.h"

namespace qd::checks {

struct MemoryApi {
    // GetPhysicallyInstalledSystemMemory: the KiB in the memory slots.
    std::function<BOOL(ULONGLONG* kib)> installed_kib = GetPhysicallyInstalledSystemMemory;
    // GlobalMemoryStatusEx: what the system can use.
    std::function<BOOL(MEMORYSTATUSEX* status)> memory_status = GlobalMemoryStatusEx;
    // GetSystemFirmwareTable: the size of the table, or the bytes written into `buffer`.
    std::function<UINT(DWORD provider, DWORD table_id, void* buffer, DWORD size)> firmware_table =
        GetSystemFirmwareTable;
};

// The installed memory in whole GiB; when the slots cannot be read, the
// memory the system can use.
Finding<std::uint32_t> probe_memory_size(const MemoryApi& api = {});
// The speeds of the first populated memory device in the SMBIOS table; absent
// when neither speed is there.
Finding<MemorySpeeds> probe_memory_speeds(const MemoryApi& api = {});

}  // namespace qd::checks
