// Reading and writing the little-endian fields of the byte layouts that probes
// send and get back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace qd::checks {

// The unsigned value of `width` bytes (at most 4) at `offset`, least
// significant first. The caller has checked that they lie inside `bytes`.
inline std::uint32_t read_le(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width)
{
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) value = (value << 8) | bytes[offset + i];
    return value;
}

// Writes the low `width` bytes (at most 4) of `value` at `offset`, least
// significant first. The caller has checked that they lie inside `bytes`.
inline void write_le(std::span<std::uint8_t> bytes, std::size_t offset, std::uint32_t value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i) bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace qd::checks
