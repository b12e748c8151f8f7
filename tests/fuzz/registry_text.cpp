// Registry texts: the processor name, the DirectX settings string, the mouse
// speed, the driver date, GUIDs, decimals. Every parser reads the same text.
// Input: 16 bytes of a GUID, 8 bytes of a number, a date as month, day and
// year (four bytes each) and a byte of separators, then the text.
#include <chrono>
#include <string>

#include "checks/graphics.h"
#include "checks/processor.h"
#include "checks/settings.h"
#include "checks/text.h"
#include "fuzz_support.h"

using namespace qd::checks;

namespace {

bool is_white(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

bool is_real_day(std::uint32_t year, std::uint32_t month, std::uint32_t day)
{
    if (year > 9999 || month > 12 || day > 31) return false;
    using namespace std::chrono;
    return year_month_day{std::chrono::year(static_cast<int>(year)), std::chrono::month(month), std::chrono::day(day)}
        .ok();
}

void check_processor_name(const std::string& text, std::string_view trimmed)
{
    const std::optional<std::string> name = processor_name_from(text);
    FUZZ_CHECK(name.has_value() == !trimmed.empty());
    if (!name) return;
    FUZZ_CHECK(!is_white(name->front()) && !is_white(name->back()));
    FUZZ_CHECK(name->find("  ") == std::string::npos);
    FUZZ_CHECK(processor_name_from(*name) == name);
    if (is_valid_utf8(text)) FUZZ_CHECK(is_valid_utf8(*name));
}

void check_directx_settings(const std::string& text, std::string_view trimmed)
{
    const TriState state = windowed_optimizations_state(text);
    FUZZ_CHECK(state == TriState::On || state == TriState::Off || state == TriState::Absent);
    // The first decisive piece wins: one put in front decides, one put behind
    // decides only when nothing before it did.
    FUZZ_CHECK(windowed_optimizations_state("SwapEffectUpgradeEnable=0;" + text) == TriState::Off);
    FUZZ_CHECK(windowed_optimizations_state(" swapeffectupgradeenable = 1 ;" + text) == TriState::On);
    const TriState later = windowed_optimizations_state(text + ";SwapEffectUpgradeEnable=1");
    FUZZ_CHECK(later == (state == TriState::Absent ? TriState::On : state));
    FUZZ_CHECK(windowed_optimizations_state(std::nullopt) == TriState::Absent);

    const TriState mouse = mouse_acceleration_state(text);
    FUZZ_CHECK((mouse == TriState::Off) == (trimmed == "0"));
    FUZZ_CHECK((mouse == TriState::On) == (trimmed == "1" || trimmed == "2"));
}

void check_driver_date(const std::string& text, FuzzInput& in)
{
    if (const std::optional<std::string> date = parse_driver_date(text)) {
        FUZZ_CHECK(date->size() == 8);
        const std::optional<std::uint32_t> year = parse_u32(date->substr(0, 4));
        const std::optional<std::uint32_t> month = parse_u32(date->substr(4, 2));
        const std::optional<std::uint32_t> day = parse_u32(date->substr(6, 2));
        FUZZ_CHECK(year && month && day && *year >= 2000 && *year <= 2100 && is_real_day(*year, *month, *day));
        // Written back month-day-year, it parses to itself.
        FUZZ_CHECK(parse_driver_date(decimal(*month) + "/" + decimal(*day) + "/" + decimal(*year)) == date);
    }
    // A date built from numbers parses exactly when it is a real day of 2000 to 2100.
    const std::uint32_t month = in.u32();
    const std::uint32_t day = in.u32();
    const std::uint32_t year = in.u32();
    const std::uint8_t style = in.u8();
    const std::string sep = (style & 1) != 0 ? "/" : "-";
    const std::string pad = (style & 2) != 0 ? " " : "";
    const std::string zeros = (style & 4) != 0 ? "0" : "";
    const std::string built =
        pad + zeros + decimal(month) + pad + sep + pad + zeros + decimal(day) + pad + sep + pad + decimal(year) + pad;
    const std::optional<std::string> parsed = parse_driver_date(built);
    const bool real = year >= 2000 && year <= 2100 && is_real_day(year, month, day);
    FUZZ_CHECK(parsed.has_value() == real);
    if (parsed) {
        const std::string mm = (month < 10 ? "0" : "") + decimal(month);
        const std::string dd = (day < 10 ? "0" : "") + decimal(day);
        FUZZ_CHECK(*parsed == decimal(year) + mm + dd);
    }
}

bool is_lower_hex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

void check_guids(const std::string& text, FuzzInput& in)
{
    Guid guid;
    guid.data1 = in.u32();
    guid.data2 = static_cast<std::uint16_t>(in.u64(2));
    guid.data3 = static_cast<std::uint16_t>(in.u64(2));
    for (std::uint8_t& b : guid.data4) b = in.u8();

    // 8-4-4-4-12 small hex digits that read back as the same GUID.
    const std::string written = guid_text(guid);
    FUZZ_CHECK(written.size() == 36);
    for (std::size_t i = 0; i < written.size(); ++i)
        FUZZ_CHECK((i == 8 || i == 13 || i == 18 || i == 23) ? written[i] == '-' : is_lower_hex(written[i]));
    Guid read;
    read.data1 = static_cast<std::uint32_t>(std::stoul(written.substr(0, 8), nullptr, 16));
    read.data2 = static_cast<std::uint16_t>(std::stoul(written.substr(9, 4), nullptr, 16));
    read.data3 = static_cast<std::uint16_t>(std::stoul(written.substr(14, 4), nullptr, 16));
    const std::string tail = written.substr(19, 4) + written.substr(24, 12);
    for (std::size_t i = 0; i < 8; ++i)
        read.data4[i] = static_cast<std::uint8_t>(std::stoul(tail.substr(2 * i, 2), nullptr, 16));
    FUZZ_CHECK(read.data1 == guid.data1 && read.data2 == guid.data2 && read.data3 == guid.data3 &&
               read.data4 == guid.data4);
    FUZZ_CHECK(power_plan_code(guid).has_value());

    // As the registry may store it: braces, capitals, blanks.
    std::string stored = " {" + written + "}\t";
    for (char& c : stored)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    FUZZ_CHECK(normalize_guid_text(stored) == written);

    const std::string normal = normalize_guid_text(text);
    FUZZ_CHECK(normal.size() <= text.size());
    for (const char c : normal) FUZZ_CHECK(!(c >= 'A' && c <= 'Z'));
    FUZZ_CHECK(normal.empty() ||
               (normal.front() != '{' && normal.front() != '}' && normal.back() != '{' && normal.back() != '}'));
    const std::optional<std::string_view> mode = power_mode_code(text);
    FUZZ_CHECK(!mode || *mode == "best" || *mode == "eff" || *mode == "bal");
}

void check_decimals(const std::string& text, FuzzInput& in)
{
    if (const std::optional<std::uint32_t> value = parse_u32(text)) {
        // The digits with the sign and leading zeros dropped.
        std::string_view digits = text;
        if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
        while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
        FUZZ_CHECK(decimal(*value) == digits);
    }
    const std::uint64_t number = in.u64();
    const std::string written = decimal(number);
    FUZZ_CHECK(!written.empty() && written.size() <= 20 && (written.size() == 1 || written.front() != '0'));
    const std::optional<std::uint32_t> back = parse_u32("+" + written);
    FUZZ_CHECK(back == (number <= 0xFFFFFFFFu ? std::optional<std::uint32_t>(static_cast<std::uint32_t>(number))
                                              : std::nullopt));
    FUZZ_CHECK(parse_u32(written) == back);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    FuzzInput guid_bytes = in;
    for (int i = 0; i < 16; ++i) in.u8();
    FuzzInput number_bytes = in;
    in.u64();
    FuzzInput date_bytes = in;
    for (int i = 0; i < 13; ++i) in.u8();
    const std::string text = in.rest_text();
    const std::string_view trimmed = trim(text);

    check_processor_name(text, trimmed);
    check_directx_settings(text, trimmed);
    check_driver_date(text, date_bytes);
    check_guids(text, guid_bytes);
    check_decimals(text, number_bytes);
    return 0;
}
