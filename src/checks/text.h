// Text utilities shared by the probes. Text is UTF-8 everywhere inside the program.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qd::checks {

// UTF-16 units up to the first NUL or `capacity` units, whichever comes first,
// decoded to UTF-8. Unpaired surrogates become U+FFFD.
std::string wide_to_text(const char16_t* units, std::size_t capacity);

// UTF-8 to UTF-16 (no terminator added; std::u16string keeps one anyway).
// Malformed UTF-8 sequences become U+FFFD.
std::u16string text_to_wide(std::string_view text);

// UTF-8 <-> UTF-32 (scalar values). Malformed sequences become U+FFFD.
std::u32string utf8_to_utf32(std::string_view text);
std::string utf32_to_utf8(std::u32string_view text);

// The first `limit` scalar values of the text, as valid UTF-8: malformed bytes
// become U+FFFD first, so a cut never ends inside a sequence.
std::string first_scalars(std::string_view text, std::size_t limit);

// Splits at Unicode White_Space, drops empty pieces, joins with one blank.
std::string collapse_whitespace(std::string_view text);

// Removes leading and trailing Unicode White_Space.
std::string_view trim(std::string_view text);

// Full Unicode lower-case mapping, with the final-sigma rule.
std::string to_lower(std::string_view text);

// True when `needle`'s bytes occur contiguously in `haystack`; an empty needle is found.
bool contains(std::string_view haystack, std::string_view needle);

// Equal lengths and equal bytes once A-Z are mapped to a-z.
bool ascii_iequals(std::string_view a, std::string_view b);

// An optional "+", then one or more ASCII digits, at most 4294967295.
std::optional<std::uint32_t> parse_u32(std::string_view text);

// Decimal writing, no sign, no separators.
std::string decimal(std::uint64_t value);

}  // namespace qd::checks
