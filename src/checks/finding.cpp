#include "checks/finding.h"

#include "checks/text.h"

namespace qd::checks {

namespace {

constexpr std::size_t max_reason_characters = 200;

}  // namespace

std::string debug_line(const AbsentFinding& absent)
{
    std::string line(program_name);
    line += ": ";
    line += absent.finding;
    line += ": ";
    line += first_scalars(absent.reason, max_reason_characters);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
    return line;
}

std::string timed_out_reason(std::uint32_t deadline_ms) { return "timed out after " + decimal(deadline_ms) + " ms"; }

std::string call_failed(std::string_view call, std::uint32_t error)
{
    return std::string(call) + " failed with error " + decimal(error);
}

std::string counted(std::uint64_t n, std::string_view thing)
{
    std::string text = decimal(n) + " " + std::string(thing);
    if (n != 1) text += 's';
    return text;
}

std::string hex32(std::uint32_t value)
{
    constexpr char digits[] = "0123456789abcdef";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += digits[(value >> shift) & 0xF];
    return text;
}

std::string call_failed_hresult(std::string_view call, std::uint32_t hresult)
{
    return std::string(call) + " failed with HRESULT " + hex32(hresult);
}

std::string registry_reason(std::string_view value_name, std::uint32_t status, std::uint32_t bytes)
{
    std::string reason(value_name);
    reason += ": ";
    if (status != 0) return reason + call_failed("RegGetValueW", status);
    return reason + "a REG_DWORD of " + decimal(bytes) + " bytes";
}

}  // namespace qd::checks
