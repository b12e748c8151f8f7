#include "checks/display.h"

std::optional<std::uint32_t> display_max_refresh(const DisplayInfo&)
{
    return std::nullopt;  // not computed yet
}

std::optional<std::uint32_t> max_refresh(const std::vector<DisplayInfo>&)
{
    return std::nullopt;  // not computed yet
}
