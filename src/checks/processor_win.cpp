#include "checks/processor.h"

#include "checks/platform_win.h"
#include "checks/registry.h"

namespace qd::checks {

Finding<std::string> probe_processor()
{
    // 256 units: a longer name does not fit and makes the read fail.
    return processor_finding(read_registry_text_status(
        HKEY_LOCAL_MACHINE, "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "ProcessorNameString", 256));
}

}  // namespace qd::checks
