#include "checks/graphics.h"

std::optional<std::string> probe_graphics()
{
    return std::nullopt;  // not probed yet
}

std::optional<std::string> probe_driver_date(const std::optional<std::string>&)
{
    return std::nullopt;  // not probed yet
}
