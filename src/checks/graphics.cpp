#include "checks/graphics.h"

#include <algorithm>
#include <array>

#include "checks/text.h"

namespace qd::checks {

namespace {

constexpr std::uint32_t microsoft_vendor = 0x1414;  // the Basic Render Driver and other software adapters

// Matched anywhere in the lower-cased description, not as whole words.
constexpr std::array<std::string_view, 8> virtual_adapter_keywords = {"basic", "virtual", "remote", "parsec",
                                                                      "meta",  "mirage",  "citrix", "displaylink"};
constexpr std::array<std::string_view, 7> discrete_family_keywords = {
    "nvidia", "radeon rx", "radeon pro", "arc(tm) a", "arc(tm) b", "arc a", "arc b"};

// Why an adapter does not represent the machine, or empty when it may.
enum class Exclusion { None, Software, Unnamed, Virtual };

template <std::size_t N>
bool contains_any(std::string_view text, const std::array<std::string_view, N>& keywords)
{
    for (const std::string_view keyword : keywords)
        if (contains(text, keyword)) return true;
    return false;
}

// n in decimal, with leading zeros up to `width` digits.
std::string zero_padded(std::uint32_t n, std::size_t width)
{
    std::string text = decimal(n);
    if (text.size() < width) text.insert(0, width - text.size(), '0');
    return text;
}

bool is_leap_year(std::uint32_t year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

std::uint32_t days_in_month(std::uint32_t year, std::uint32_t month)
{
    constexpr std::array<std::uint32_t, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month == 2 && is_leap_year(year)) return 29;
    return days[month - 1];
}

Exclusion exclusion(const AdapterInfo& adapter)
{
    if (adapter.is_software || adapter.vendor_id == microsoft_vendor) return Exclusion::Software;
    // A description of white space only names nothing; such an adapter
    // would be reported as an empty name.
    if (collapse_whitespace(adapter.description).empty()) return Exclusion::Unnamed;
    if (contains_any(to_lower(adapter.description), virtual_adapter_keywords)) return Exclusion::Virtual;
    return Exclusion::None;
}

}  // namespace

std::optional<std::string> select_graphics_name(const std::vector<AdapterInfo>& adapters)
{
    const AdapterInfo* choice = nullptr;
    bool choice_discrete = false;
    const std::size_t count = std::min(adapters.size(), max_adapters);
    for (std::size_t i = 0; i < count; ++i) {
        const AdapterInfo& adapter = adapters[i];
        if (exclusion(adapter) != Exclusion::None) continue;
        const bool discrete = contains_any(to_lower(adapter.description), discrete_family_keywords);
        if (choice == nullptr || adapter.dedicated_video_memory > choice->dedicated_video_memory ||
            (adapter.dedicated_video_memory == choice->dedicated_video_memory && discrete && !choice_discrete)) {
            choice = &adapter;
            choice_discrete = discrete;
        }
    }
    if (choice == nullptr) return std::nullopt;
    return collapse_whitespace(choice->description);
}

Finding<std::string> graphics_finding(const AdapterList& list)
{
    if (list.open_failure != 0) return absent<std::string>(call_failed_hresult("CreateDXGIFactory1", list.open_failure));
    if (auto name = select_graphics_name(list.adapters)) return found(std::move(*name));
    const std::size_t listed = list.adapters.size() + list.undescribed;
    if (listed == 0) {
        if (list.list_failure == 0) return absent<std::string>("DXGI: no adapters listed");
        return absent<std::string>("DXGI: no adapters listed, " + call_failed_hresult("EnumAdapters1", list.list_failure));
    }
    std::string why = "DXGI: " + counted(listed, "adapter") + ", none a named physical one (";
    if (list.adapters.empty()) {
        why += "none could be described, GetDesc1 failed with HRESULT " + hex32(list.describe_failure) + ")";
        return absent<std::string>(why);
    }
    std::size_t software = 0, unnamed = 0, virtual_ = 0;
    const std::size_t count = std::min(list.adapters.size(), max_adapters);
    for (std::size_t i = 0; i < count; ++i) {
        switch (exclusion(list.adapters[i])) {
        case Exclusion::Software: ++software; break;
        case Exclusion::Unnamed: ++unnamed; break;
        case Exclusion::Virtual: ++virtual_; break;
        case Exclusion::None: break;
        }
    }
    why += decimal(software) + " software or Microsoft, " + decimal(virtual_) + " virtual or remote, " +
           decimal(unnamed) + " unnamed, " + decimal(list.undescribed) + " not described)";
    return absent<std::string>(why);
}

std::string display_class_subkey(unsigned index)
{
    std::string key(display_class_key);
    key += '\\';
    key += zero_padded(index, 4);
    return key;
}

// DriverDate is month-day-year as the driver package wrote it: "6-14-2024",
// sometimes with slashes ("06/14/2024").
std::optional<std::string> parse_driver_date(std::string_view text)
{
    text = trim(text);
    std::array<std::uint32_t, 3> parts = {};
    std::size_t count = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != '-' && text[i] != '/') continue;
        if (count == parts.size()) return std::nullopt;  // a fourth piece
        const std::optional<std::uint32_t> value = parse_u32(trim(text.substr(start, i - start)));
        if (!value) return std::nullopt;
        parts[count++] = *value;
        start = i + 1;
    }
    if (count != parts.size()) return std::nullopt;
    const auto [month, day, year] = parts;
    if (month < 1 || month > 12 || year < 2000 || year > 2100) return std::nullopt;
    if (day < 1 || day > days_in_month(year, month)) return std::nullopt;
    return decimal(year) + zero_padded(month, 2) + zero_padded(day, 2);
}

Finding<std::string> find_driver_date(const std::optional<std::string>& graphics_name,
                                      const RegistryTextReader& read_text)
{
    if (!graphics_name || graphics_name->empty()) return absent<std::string>("no graphics card to look up");
    for (unsigned i = 0; i < max_display_class_subkeys; ++i) {
        const std::string key = display_class_subkey(i);
        const std::optional<std::string> desc = read_text.read(read_text.context, key, "DriverDesc");
        if (!desc || !ascii_iequals(collapse_whitespace(*desc), *graphics_name)) continue;
        const std::string entry = "display-class entry " + zero_padded(i, 4);
        const std::optional<std::string> date = read_text.read(read_text.context, key, "DriverDate");
        if (!date) return absent<std::string>(entry + " has no readable DriverDate");
        return found_or(parse_driver_date(*date), [&] {
            return entry + ": DriverDate \"" + first_scalars(*date, 32) + "\" is not a day of 2000 to 2100";
        });
    }
    return absent<std::string>("no display-class entry 0000 to 0031 names the graphics card");
}

}  // namespace qd::checks
