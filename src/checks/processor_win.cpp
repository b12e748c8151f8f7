#include "checks/processor.h"

#include "checks/win32_util.h"

std::optional<std::string> probe_processor()
{
    // 256 units: a longer name does not fit and makes the read fail.
    wchar_t buffer[256] = {};
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", L"ProcessorNameString",
                     RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return processor_name_from(from_wide(buffer, 256));
}
