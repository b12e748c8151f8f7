// The graphics adapter probe and the driver date of the chosen adapter.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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
std::optional<std::string> find_driver_date(const std::optional<std::string>& graphics_name,
                                            const RegistryTextReader& read_text);

std::optional<std::string> probe_driver_date(const std::optional<std::string>& graphics_name);

}  // namespace qd::checks
