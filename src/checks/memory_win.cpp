#include "checks/memory_win.h"

#include <vector>

namespace qd::checks {

Finding<std::uint32_t> probe_memory_size(const MemoryApi& api)
{
    // The memory in the slots first; what the system can use is a little less
    // and only a fallback (15.88 GiB still rounds to 16).
    MemorySizeRead read;
    ULONGLONG installed_kib = 0;
    if (api.installed_kib(api.context, &installed_kib))
        read.installed_kib = installed_kib;
    else
        read.installed_error = GetLastError();
    if (!read.installed_kib || !memory_gb_from_kib(*read.installed_kib)) {
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof(status);
        static_assert(sizeof(MEMORYSTATUSEX) == 64);
        if (api.memory_status(api.context, &status))
            read.total_bytes = status.ullTotalPhys;
        else
            read.status_error = GetLastError();
    }
    return memory_size_finding(read);
}

Finding<MemorySpeeds> probe_memory_speeds(const MemoryApi& api)
{
    constexpr std::string_view call = "GetSystemFirmwareTable('RSMB')";
    const UINT size = api.firmware_table(api.context, smbios_provider, 0, nullptr, 0);
    if (size == 0) return absent<MemorySpeeds>(call_failed(call, GetLastError()));
    if (size > smbios_max_bytes)
        return absent<MemorySpeeds>("SMBIOS: a table of " + counted(size, "byte") + ", more than 1048576");
    std::vector<std::uint8_t> buffer(size);
    const UINT got = api.firmware_table(api.context, smbios_provider, 0, buffer.data(), size);
    if (got == 0) return absent<MemorySpeeds>(call_failed(call, GetLastError()));
    const SmbiosMemory walk = smbios_memory(buffer, got);
    if (!walk.speeds.rated && !walk.speeds.configured) return absent<MemorySpeeds>(memory_speeds_reason(walk));
    return found(walk.speeds);
}

}  // namespace qd::checks
