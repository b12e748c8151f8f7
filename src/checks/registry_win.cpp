#include "checks/registry.h"

#include "checks/wide_win.h"

namespace qd::checks {

std::optional<std::string> read_registry_text(RegistryRoot root, std::string_view subkey, std::string_view value_name)
{
    return read_registry_text(root, subkey, value_name, 1024);
}

std::optional<std::string> read_registry_text(RegistryRoot root, std::string_view subkey, std::string_view value_name,
                                              std::size_t capacity)
{
    const std::wstring key = to_wide(subkey);
    const std::wstring name = to_wide(value_name);
    std::wstring buffer(capacity, L'\0');
    DWORD size = static_cast<DWORD>(capacity * sizeof(wchar_t));
    if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    return from_wide(buffer.data(), capacity);
}

std::optional<std::uint32_t> read_registry_dword(RegistryRoot root, std::string_view subkey,
                                                 std::string_view value_name)
{
    const std::wstring key = to_wide(subkey);
    const std::wstring name = to_wide(value_name);
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    // A REG_DWORD stored with fewer than four bytes is malformed, not a small number.
    if (size != sizeof(value)) return std::nullopt;
    return value;
}

}  // namespace qd::checks
