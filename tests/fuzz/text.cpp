// The text utilities: UTF-16 to UTF-8 and back, UTF-8 to scalar values and
// back, white-space collapsing and trimming, lower-casing, the scalar cut.
// Input: a byte of capacity, a byte of cut length, then the text; the same
// bytes read two at a time are the UTF-16 units and four at a time the
// scalar values.
#include <algorithm>
#include <vector>

#include "checks/text.h"
#include "fuzz_support.h"

using namespace qd::checks;

namespace {

bool is_scalar(char32_t cp) { return cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF); }

bool is_ascii_white(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Every surrogate in its place: a high one followed by a low one.
bool is_well_formed_utf16(std::u16string_view units)
{
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF)
            ++i;
        else if (u >= 0xD800 && u <= 0xDFFF)
            return false;
    }
    return true;
}

void check_wide(std::span<const std::uint8_t> bytes, std::size_t capacity_byte)
{
    // An exact heap copy, so a read past the capacity is caught.
    std::vector<char16_t> units(bytes.size() / 2);
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    const std::size_t capacity = std::min(capacity_byte, units.size());
    const std::string text = wide_to_text(units.data(), capacity);
    FUZZ_CHECK(is_valid_utf8(text));

    std::u16string_view read(units.data(), capacity);
    read = read.substr(0, read.find(u'\0'));
    const std::u16string back = text_to_wide(text);
    FUZZ_CHECK(is_well_formed_utf16(back));
    if (is_well_formed_utf16(read)) FUZZ_CHECK(back == read);
}

void check_scalars(std::span<const std::uint8_t> bytes)
{
    std::u32string values;
    for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4)
        values += static_cast<char32_t>(bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16) |
                                        (std::uint32_t{bytes[i + 3]} << 24));
    const std::string text = utf32_to_utf8(values);
    FUZZ_CHECK(is_valid_utf8(text));
    FUZZ_CHECK(scalar_count(text) == values.size());
    if (std::all_of(values.begin(), values.end(), is_scalar)) FUZZ_CHECK(utf8_to_utf32(text) == values);
}

// Returns the text decoded and encoded again: malformed bytes replaced.
std::string check_utf8(const std::string& text, bool valid)
{
    const std::u32string values = utf8_to_utf32(text);
    FUZZ_CHECK(std::all_of(values.begin(), values.end(), is_scalar));
    std::string repaired = utf32_to_utf8(values);
    FUZZ_CHECK(is_valid_utf8(repaired));
    if (valid) FUZZ_CHECK(repaired == text);

    const std::u16string units = text_to_wide(text);
    FUZZ_CHECK(is_well_formed_utf16(units));
    if (text.find('\0') == std::string::npos) FUZZ_CHECK(wide_to_text(units.data(), units.size()) == repaired);
    return repaired;
}

void check_white_space(const std::string& text, bool valid)
{
    const std::string collapsed = collapse_whitespace(text);
    if (valid) FUZZ_CHECK(is_valid_utf8(collapsed));
    FUZZ_CHECK(collapse_whitespace(collapsed) == collapsed);
    FUZZ_CHECK(collapsed.find("  ") == std::string::npos);
    FUZZ_CHECK(collapsed.empty() || (!is_ascii_white(collapsed.front()) && !is_ascii_white(collapsed.back())));

    const std::string_view trimmed = trim(text);
    FUZZ_CHECK(trimmed.data() >= text.data() && trimmed.data() + trimmed.size() <= text.data() + text.size());
    FUZZ_CHECK(trim(trimmed) == trimmed);
    FUZZ_CHECK(trimmed.empty() == collapsed.empty());
    FUZZ_CHECK(collapse_whitespace(trimmed) == collapsed);
}

void check_case(const std::string& text)
{
    const std::string lower = to_lower(text);
    FUZZ_CHECK(is_valid_utf8(lower));
    FUZZ_CHECK(to_lower(lower) == lower);
    if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
        std::string ascii = text;
        for (char& c : ascii)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        FUZZ_CHECK(lower == ascii);
        FUZZ_CHECK(ascii_iequals(text, ascii));
    }
    const std::size_t half = text.size() / 2;
    FUZZ_CHECK(contains(text, std::string_view(text).substr(half / 2, half)));
}

// `whole` is the text with malformed bytes replaced (check_utf8).
void check_cut(const std::string& text, const std::string& whole, std::size_t limit)
{
    const std::string cut = first_scalars(text, limit);
    FUZZ_CHECK(is_valid_utf8(cut));
    FUZZ_CHECK(whole.compare(0, cut.size(), cut) == 0);
    FUZZ_CHECK(scalar_count(cut) == std::min(limit, scalar_count(whole)));
    // The cut ends on a scalar boundary of the whole text.
    FUZZ_CHECK(cut.size() == whole.size() || (static_cast<unsigned char>(whole[cut.size()]) & 0xC0) != 0x80);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::size_t capacity = in.u8();
    const std::size_t limit = in.u8();
    const std::span<const std::uint8_t> bytes = in.rest();
    const std::string text(reinterpret_cast<const char*>(bytes.data()), bytes.size());

    check_wide(bytes, capacity);
    check_scalars(bytes);
    const bool valid = is_valid_utf8(text);
    const std::string repaired = check_utf8(text, valid);
    check_white_space(text, valid);
    check_case(text);
    check_cut(text, repaired, limit);
    return 0;
}
