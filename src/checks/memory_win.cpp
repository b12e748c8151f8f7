#include "checks/memory_win.h"

#include <vector>

namespace qd::checks {

std::optional<std::uint32_t> probe_memory_size(const MemoryApi& api)
{
    // The memory in the slots first; what the system can use is a little less
    // and only a fallback (15.88 GiB still rounds to 16).
    ULONGLONG installed_kib = 0;
    if (api.installed_kib(api.context, &installed_kib))
        if (const auto gb = memory_gb_from_kib(installed_kib)) return gb;

    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    static_assert(sizeof(MEMORYSTATUSEX) == 64);
    if (!api.memory_status(api.context, &status)) return std::nullopt;
    return memory_gb_from_kib(status.ullTotalPhys >> 10);
}

MemorySpeeds probe_memory_speeds(const MemoryApi& api)
{
    const UINT size = api.firmware_table(api.context, smbios_provider, 0, nullptr, 0);
    if (size == 0 || size > smbios_max_bytes) return {};
    std::vector<std::uint8_t> buffer(size);
    const UINT got = api.firmware_table(api.context, smbios_provider, 0, buffer.data(), size);
    return memory_speeds_from_smbios(buffer, got);
}

}  // namespace qd::checks
