// The processor probe.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "checks/finding.h"
#include "checks/registry.h"

namespace qd::checks {

// The name as the registry stores it ("  Acme(R) Core(TM)  i7   "), cleaned up:
// white space collapsed to single blanks, case kept. Nothing left gives absent.
std::optional<std::string> processor_name_from(std::string_view stored);

// The name from the registry read, or why there is none.
Finding<std::string> processor_finding(const RegistryRead<std::string>& stored);

// ProcessorNameString of the first processor, cleaned up.
Finding<std::string> probe_processor();

}  // namespace qd::checks
