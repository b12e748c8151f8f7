#include "checks/processor.h"

#include "checks/text.h"

namespace qd::checks {

std::optional<std::string> processor_name_from(std::string_view stored)
{
    std::string name = collapse_whitespace(stored);
    if (name.empty()) return std::nullopt;
    return name;
}

Finding<std::string> processor_finding(const RegistryRead<std::string>& stored)
{
    if (!stored.value) return absent<std::string>(registry_reason("ProcessorNameString", stored.status, stored.bytes));
    return found_or(processor_name_from(*stored.value),
                    [] { return std::string("ProcessorNameString: empty once white space is removed"); });
}

}  // namespace qd::checks
