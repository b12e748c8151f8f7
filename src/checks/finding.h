// A finding or why it is absent, and the one-line reasons the scan reports for
// its absent findings. The reasons are made here, from the numbers the Win32
// readers hand over (an error code, an HRESULT, what was read): they name the
// call that failed or what was refused, never a serial number, a user or a
// machine name.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qd::checks {

// What one probe found: its value, or the reason it has none (one line).
template <typename T>
struct Finding {
    std::optional<T> value;
    std::string why_absent;  // empty when the value is present
};

template <typename T>
Finding<T> found(T value)
{
    return {std::move(value), {}};
}

template <typename T>
Finding<T> absent(std::string why)
{
    return {std::nullopt, std::move(why)};
}

// The value if there is one, else absent with the reason `why()` gives.
template <typename T, typename Why>
Finding<T> found_or(std::optional<T> value, Why why)
{
    if (value) return found(std::move(*value));
    return absent<T>(why());
}

// One absent finding of a scan: its name ("graphics", "power plan") and why.
struct AbsentFinding {
    std::string finding;
    std::string reason;
    friend bool operator==(const AbsentFinding&, const AbsentFinding&) = default;
};
using AbsentFindings = std::vector<AbsentFinding>;

inline constexpr std::string_view program_name = "Quellix Detect";

// "Quellix Detect: graphics: timed out after 10000 ms". Control characters
// become blanks, so a line is always one line; a reason is cut at 200 characters.
std::string debug_line(const AbsentFinding& absent);

// "timed out after 10000 ms"
std::string timed_out_reason(std::uint32_t deadline_ms);
// "GetSystemPowerStatus failed with error 5"
std::string call_failed(std::string_view call, std::uint32_t error);
// "CreateDXGIFactory1 failed with HRESULT 0x887a0004" (also NTSTATUS values)
std::string call_failed_hresult(std::string_view call, std::uint32_t hresult);
// "1 memory device", "3 memory devices"
std::string counted(std::uint64_t n, std::string_view thing);
// 0x-prefixed, 8 small hexadecimal digits.
std::string hex32(std::uint32_t value);

// A registry value that could not be used: RegGetValueW's status, or, when
// the call succeeded, a REG_DWORD of the wrong size ("HwSchMode: a REG_DWORD
// of 2 bytes").
std::string registry_reason(std::string_view value_name, std::uint32_t status, std::uint32_t bytes);

}  // namespace qd::checks
