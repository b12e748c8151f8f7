// The graphics adapter probe and the driver date of the chosen adapter.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checks/finding.h"

namespace qd::checks {

// One adapter as DXGI describes it.
struct AdapterInfo {
    std::string description;
    std::uint64_t dedicated_video_memory = 0;  // bytes
    std::uint32_t vendor_id = 0;
    bool is_software = false;
};

inline constexpr std::size_t max_adapters = 16;

// The adapter that represents the machine: physical adapters only (no software,
// Microsoft, virtual or remote ones, none without a name), the most dedicated
// memory first, a discrete product family breaking ties. Gives its description
// with white space collapsed, or absent when no adapter qualifies. Only the
// first max_adapters entries are looked at.
std::optional<std::string> select_graphics_name(const std::vector<AdapterInfo>& adapters);

// What the graphics reader got from DXGI.
struct AdapterList {
    // The HRESULT of opening DXGI's list (a DLL or function that cannot be had
    // as HRESULT_FROM_WIN32 of its error); 0 when it opened.
    std::uint32_t open_failure = 0;
    std::vector<AdapterInfo> adapters;   // those that could be described
    unsigned undescribed = 0;            // listed adapters GetDesc1 failed for
    std::uint32_t describe_failure = 0;  // the HRESULT of the last such failure
    // The HRESULT EnumAdapters1 ended the list with, other than
    // DXGI_ERROR_NOT_FOUND (past the last adapter); 0 otherwise.
    std::uint32_t list_failure = 0;
};

// The chosen adapter's name, or why there is none: "DXGI: 2 adapters, none a
// named physical one (1 software or Microsoft, 1 virtual or remote)".
Finding<std::string> graphics_finding(const AdapterList& list);

// The display class key under HKEY_LOCAL_MACHINE and its driver subkey number i ("...\0007").
inline constexpr std::string_view display_class_key =
    "SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";
inline constexpr unsigned max_display_class_subkeys = 32;
std::string display_class_subkey(unsigned index);

// A DriverDate value ("6-14-2024", "6/14/2024", " 6 - 14 - 2024 ") as YYYYMMDD,
// or absent unless it names a real day of the years 2000 to 2100.
std::optional<std::string> parse_driver_date(std::string_view text);

// Reads one REG_SZ value of a subkey of HKEY_LOCAL_MACHINE; absent when
// unreadable. `read` gets `context` first (a test's registry; the real one needs none).
struct RegistryTextReader {
    void* context = nullptr;
    std::optional<std::string> (*read)(void* context, const std::string& subkey, std::string_view value_name);
};

// The driver date of the first display-class subkey whose DriverDesc names the
// adapter (white space collapsed, ASCII case ignored). That subkey ends the search
// even when its date is missing or malformed.
Finding<std::string> find_driver_date(const std::optional<std::string>& graphics_name,
                                      const RegistryTextReader& read_text);

Finding<std::string> probe_driver_date(const std::optional<std::string>& graphics_name);

}  // namespace qd::checks
