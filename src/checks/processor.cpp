#include "checks/processor.h"

#include "checks/text.h"

namespace qd::checks {

std::optional<std::string> processor_name_from(std::string_view stored)
{
    std::string name = collapse_whitespace(stored);
    if (name.empty()) return std::nullopt;
    return name;
}

}  // namespace qd::checks
