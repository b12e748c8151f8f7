#include "checks/registry.h"

#include "checks/wide_win.h"

namespace qd::checks {

std::optional<std::string> read_registry_text(RegistryRoot root, std::string_view subkey, std::string_view value_name)
{
    return read_registry_text_status(root, subkey, value_name).value;
}

std::optional<std::string> read_registry_text(RegistryRoot root, std::string_view subkey, std::string_view value_name,
                                              std::size_t capacity)
{
    return read_registry_text_status(root, subkey, value_name, capacity).value;
}

std::optional<std::uint32_t> read_registry_dword(RegistryRoot root, std::string_view subkey,
                                                 std::string_view value_name)
{
    return read_registry_dword_status(root, subkey, value_name).value;
}

RegistryRead<std::string> read_registry_text_status(RegistryRoot root, std::string_view subkey,
                                                    std::string_view value_name, std::size_t capacity)
{
    const std::wstring key = to_wide(subkey);
    const std::wstring name = to_wide(value_name);
    std::wstring buffer(capacity, L'\0');
    DWORD size = static_cast<DWORD>(capacity * sizeof(wchar_t));
    const LSTATUS status = RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, buffer.data(), &size);
    if (status != ERROR_SUCCESS) return {std::nullopt, static_cast<std::uint32_t>(status), 0};
    return {from_wide(buffer.data(), capacity), 0, size};
}

RegistryRead<std::uint32_t> read_registry_dword_status(RegistryRoot root, std::string_view subkey,
                                                       std::string_view value_name)
{
    const std::wstring key = to_wide(subkey);
    const std::wstring name = to_wide(value_name);
    DWORD value = 0;
    DWORD size = sizeof(value);
    const LSTATUS status = RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value, &size);
    if (status != ERROR_SUCCESS) return {std::nullopt, static_cast<std::uint32_t>(status), 0};
    // A REG_DWORD stored with fewer than four bytes is malformed, not a small number.
    if (size != sizeof(value)) return {std::nullopt, 0, size};
    return {value, 0, size};
}

}  // namespace qd::checks
