#include "checks/text.h"

#include "checks/unicode.h"

namespace qd::checks {

namespace {

constexpr char32_t replacement = 0xFFFD;

void append_utf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one scalar value at text[i], advancing i. Overlong forms, surrogates,
// values past U+10FFFF and truncated sequences give U+FFFD for one byte.
char32_t next_scalar(std::string_view text, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        extra = 1;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        extra = 2;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        extra = 3;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        ++i;
        return replacement;
    }
    if (text.size() - i <= static_cast<std::size_t>(extra)) {
        ++i;
        return replacement;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return replacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return replacement;
    }
    i += static_cast<std::size_t>(extra) + 1;
    return cp;
}

bool is_white_space_at(std::string_view text, std::size_t& i)
{
    std::size_t j = i;
    const char32_t cp = next_scalar(text, j);
    if (!is_white_space(cp)) return false;
    i = j;
    return true;
}

}  // namespace

std::string wide_to_text(const char16_t* units, std::size_t capacity)
{
    std::string out;
    std::size_t n = 0;
    while (n < capacity && units[n] != 0) ++n;
    out.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const char16_t u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            append_utf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(units[i + 1]) - 0xDC00));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            append_utf8(out, replacement);
        } else {
            append_utf8(out, u);
        }
    }
    return out;
}

std::u32string utf8_to_utf32(std::string_view text)
{
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) out += next_scalar(text, i);
    return out;
}

std::string utf32_to_utf8(std::u32string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text) {
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = replacement;
        append_utf8(out, cp);
    }
    return out;
}

std::string first_scalars(std::string_view text, std::size_t limit)
{
    std::u32string scalars = utf8_to_utf32(text);
    if (scalars.size() > limit) scalars.resize(limit);
    return utf32_to_utf8(scalars);
}

std::u16string text_to_wide(std::string_view text)
{
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = next_scalar(text, i);
        if (cp >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp);
        }
    }
    return out;
}

std::string collapse_whitespace(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool pending_blank = false;
    for (std::size_t i = 0; i < text.size();) {
        if (is_white_space_at(text, i)) {
            pending_blank = !out.empty();
            continue;
        }
        if (pending_blank) out += ' ';
        pending_blank = false;
        std::size_t j = i;
        next_scalar(text, j);
        out.append(text.substr(i, j - i));
        i = j;
    }
    return out;
}

std::string_view trim(std::string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size() && is_white_space_at(text, begin)) {}
    // Walk forward, remembering where the last non-white character ended.
    std::size_t end = begin;
    for (std::size_t i = begin; i < text.size();) {
        if (is_white_space_at(text, i)) continue;
        next_scalar(text, i);
        end = i;
    }
    return text.substr(begin, end - begin);
}

std::string to_lower(std::string_view text) { return utf32_to_utf8(lower_case(utf8_to_utf32(text))); }

bool contains(std::string_view haystack, std::string_view needle)
{
    return haystack.find(needle) != std::string_view::npos;
}

bool ascii_iequals(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::optional<std::uint32_t> parse_u32(std::string_view text)
{
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > 0xFFFFFFFFu) return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}

std::string decimal(std::uint64_t value)
{
    char buf[20];
    int n = 0;
    do {
        buf[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    std::string out;
    out.reserve(static_cast<std::size_t>(n));
    while (n > 0) out += buf[--n];
    return out;
}

}  // namespace qd::checks
