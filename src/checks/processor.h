// The processor probe.
#pragma once
#include <optional>
#include <string>

std::optional<std::string> probe_processor();
