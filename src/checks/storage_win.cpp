#include "checks/storage.h"

std::optional<std::string_view> probe_storage()
{
    return std::nullopt;  // not probed yet
}
