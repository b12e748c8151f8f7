// The memory readers' calls to the system, gathered so that a test can answer
// them the way a real machine does. Include only from *_win.cpp files.
#pragma once
#include "checks/memory.h"
#include "checks/platform_win.h"

namespace qd::checks {

// Plain function pointers: each gets `context` first (a test's answers; the
// system's calls need none).
struct MemoryApi {
    void* context = nullptr;
    // GetPhysicallyInstalledSystemMemory: the KiB in the memory slots.
    using InstalledKib = BOOL (*)(void* context, ULONGLONG* kib);

    InstalledKib installed_kib = [](void*, ULONGLONG* kib) { return GetPhysicallyInstalledSystemMemory(kib); };
    // GlobalMemoryStatusEx: what the system can use.
    using MemoryStatus = BOOL (*)(void* context, MEMORYSTATUSEX* status);

    MemoryStatus memory_status = [](void*, MEMORYSTATUSEX* status) { return GlobalMemoryStatusEx(status); };
    // GetSystemFirmwareTable: the size of the table, or the bytes written into `buffer`.
    using FirmwareTable = UINT (*)(void* context, DWORD provider, DWORD table_id, void* buffer, DWORD size);

    FirmwareTable firmware_table = [](void*, DWORD provider, DWORD table_id, void* buffer, DWORD size) {
        return GetSystemFirmwareTable(provider, table_id, buffer, size);
    };
};

// The installed memory in whole GiB; when the slots cannot be read, the
// memory the system can use.
Finding<std::uint32_t> probe_memory_size(const MemoryApi& api = {});
// The speeds of the first populated memory device in the SMBIOS table; absent
// when neither speed is there.
Finding<MemorySpeeds> probe_memory_speeds(const MemoryApi& api = {});

}  // namespace qd::checks
