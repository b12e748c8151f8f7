// The memory probes: installed size and the memory devices' speeds.
#pragma once
#include <cstdint>
#include <optional>

struct MemorySpeeds {
    std::optional<std::uint32_t> rated;
    std::optional<std::uint32_t> configured;
};

std::optional<std::uint32_t> probe_memory_size();
MemorySpeeds probe_memory_speeds();
