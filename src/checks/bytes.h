// Reading the little-endian fields of the byte layouts that probes get back.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

// The unsigned value of `width` bytes (at most 4) at `offset`, least
// significant first. The caller has checked that they lie inside `bytes`.
inline std::uint32_t read_le(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width)
{
    std::uint32_t value = 0;
    for (std::size_t i = width; i-- > 0;) value = (value << 8) | bytes[offset + i];
    return value;
}
