// What every fuzz harness shares: the entry point, reading typed values off
// the input, an invariant check that aborts, and a UTF-8 validator of its own
// (independent of the decoder under test).
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

// Aborts with the broken invariant: libFuzzer keeps the input as a crasher.
#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// Reads values off the front of the input; past its end every read gives zeros
// or empty text, so any input is a complete case.
class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : bytes_(data, size) {}

    std::uint64_t u64(std::size_t width = 8)
    {
        std::uint64_t value = 0;
        for (std::size_t i = 0; i < width; ++i) value |= std::uint64_t{byte()} << (8 * i);
        return value;
    }
    std::uint8_t u8() { return byte(); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(u64(4)); }
    std::int64_t i64() { return static_cast<std::int64_t>(u64(8)); }
    bool flag() { return (byte() & 1) != 0; }

    // A text of up to `max` bytes, its length given by one leading byte.
    std::string text(std::size_t max = 255) { return text_of(std::min<std::size_t>(byte(), max)); }
    // The next `n` bytes as text, fewer at the end of the input.
    std::string text_of(std::size_t n)
    {
        const std::span<const std::uint8_t> t = take(n);
        return std::string(reinterpret_cast<const char*>(t.data()), t.size());
    }

    // Everything not read yet.
    std::span<const std::uint8_t> rest() { return take(bytes_.size()); }
    std::string rest_text()
    {
        const std::span<const std::uint8_t> r = rest();
        return std::string(reinterpret_cast<const char*>(r.data()), r.size());
    }
    bool empty() const { return bytes_.empty(); }

private:
    std::uint8_t byte()
    {
        if (bytes_.empty()) return 0;
        const std::uint8_t b = bytes_.front();
        bytes_ = bytes_.subspan(1);
        return b;
    }
    std::span<const std::uint8_t> take(std::size_t n)
    {
        const std::span<const std::uint8_t> taken = bytes_.first(std::min(n, bytes_.size()));
        bytes_ = bytes_.subspan(taken.size());
        return taken;
    }

    std::span<const std::uint8_t> bytes_;
};

// Well-formed UTF-8: shortest forms only, no surrogates, nothing past U+10FFFF.
inline bool is_valid_utf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        std::size_t n = 0;
        unsigned lo = 0x80, hi = 0xBF;  // allowed range of the second byte
        if (b < 0x80)
            n = 0;
        else if (b >= 0xC2 && b <= 0xDF)
            n = 1;
        else if (b == 0xE0) {
            n = 2;
            lo = 0xA0;
        } else if (b == 0xED) {
            n = 2;
            hi = 0x9F;
        } else if (b >= 0xE1 && b <= 0xEF)
            n = 2;
        else if (b == 0xF0) {
            n = 3;
            lo = 0x90;
        } else if (b == 0xF4) {
            n = 3;
            hi = 0x8F;
        } else if (b >= 0xF1 && b <= 0xF3)
            n = 3;
        else
            return false;
        if (text.size() - i < n + 1) return false;
        for (std::size_t k = 1; k <= n; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if (k == 1 ? (c < lo || c > hi) : (c < 0x80 || c > 0xBF)) return false;
        }
        i += n + 1;
    }
    return true;
}

// The number of scalar values of valid UTF-8.
inline std::size_t scalar_count(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}
