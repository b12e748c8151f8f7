#include "checks/memory.h"

std::optional<std::uint32_t> probe_memory_size()
{
    return std::nullopt;  // not probed yet
}

MemorySpeeds probe_memory_speeds()
{
    return {};  // not probed yet
}
