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

}  // namespace

std::optional<std::string> select_graphics_name(const std::vector<AdapterInfo>& adapters)
{
    const AdapterInfo* choice = nullptr;
    bool choice_discrete = false;
    const std::size_t count = std::min(adapters.size(), max_adapters);
    for (std::size_t i = 0; i < count; ++i) {
        const AdapterInfo& adapter = adapters[i];
        if (adapter.is_software || adapter.vendor_id == microsoft_vendor) continue;
        // A description of white space only names nothing; such an adapter
        // would be reported as an empty name.
        if (collapse_whitespace(adapter.description).empty()) continue;
        const std::string lower = to_lower(adapter.description);
        if (contains_any(lower, virtual_adapter_keywords)) continue;
        const bool discrete = contains_any(lower, discrete_family_keywords);
        if (choice == nullptr || adapter.dedicated_video_memory > choice->dedicated_video_memory ||
            (adapter.dedicated_video_memory == choice->dedicated_video_memory && discrete && !choice_discrete)) {
            choice = &adapter;
            choice_discrete = discrete;
        }
    }
    if (choice == nullptr) return std::nullopt;
    return collapse_whitespace(choice->description);
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

std::optional<std::string> find_driver_date(const std::optional<std::string>& graphics_name,
                                            const RegistryTextReader& read_text)
{
    if (!graphics_name || graphics_name->empty()) return std::nullopt;
    for (unsigned i = 0; i < max_display_class_subkeys; ++i) {
        const std::string key = display_class_subkey(i);
        const std::optional<std::string> desc = read_text.read(read_text.context, key, "DriverDesc");
        if (!desc || !ascii_iequals(collapse_whitespace(*desc), *graphics_name)) continue;
        const std::optional<std::string> date = read_text.read(read_text.context, key, "DriverDate");
        if (!date) return std::nullopt;
        return parse_driver_date(*date);
    }
    return std::nullopt;
}

}  // namespace qd::checks
