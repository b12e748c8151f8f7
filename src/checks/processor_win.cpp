#include "checks/processor.h"

#include "checks/platform_win.h"
#include "checks/registry.h"

namespace qd::checks {

std::optional<std::string> probe_processor()
{
    // 256 units: a longer name does not fit and makes the read fail.
    const std::optional<std::string> stored = read_registry_text(
        HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "ProcessorNameString", 256);
    if (!stored) return std::nullopt;
    return processor_name_from(*stored);
}

}  // namespace qd::checks
