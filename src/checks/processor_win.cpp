#include "checks/processor.h"

std::optional<std::string> probe_processor()
{
    return std::nullopt;  // not probed yet
}
