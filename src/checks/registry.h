// Registry reads of the probes. Roots are the predefined keys, passed as HKEY
// by the Win32 readers; the header stays free of <windows.h> for portable code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The platform's own key type, declared as <windows.h> declares it.
struct HKEY__;

namespace qd::checks {

using RegistryRoot = ::HKEY__*;

// What one registry read gave: the value, or RegGetValueW's status (0 with no
// value: a REG_DWORD of `bytes` bytes, not 4).
template <typename T>
struct RegistryRead {
    std::optional<T> value;
    std::uint32_t status = 0;
    std::uint32_t bytes = 0;
};

// A REG_SZ value of at most 1023 characters, as UTF-8. Anything else reads as absent.
std::optional<std::string> read_registry_text(RegistryRoot root, std::string_view subkey, std::string_view value_name);
// The same with a buffer of `capacity` UTF-16 units: a longer value reads as absent.
std::optional<std::string> read_registry_text(RegistryRoot root, std::string_view subkey, std::string_view value_name,
                                              std::size_t capacity);

// A REG_DWORD value. A value of another type or size reads as absent.
std::optional<std::uint32_t> read_registry_dword(RegistryRoot root, std::string_view subkey,
                                                 std::string_view value_name);

// The same two reads with the status of a failed read.
RegistryRead<std::string> read_registry_text_status(RegistryRoot root, std::string_view subkey,
                                                    std::string_view value_name, std::size_t capacity = 1024);
RegistryRead<std::uint32_t> read_registry_dword_status(RegistryRoot root, std::string_view subkey,
                                                       std::string_view value_name);

}  // namespace qd::checks
