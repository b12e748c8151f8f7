// The Windows settings step of the scan.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "checks/display.h"
#include "checks/scan_types.h"

SettingsSnapshot scan_settings(const std::optional<std::string>& graphics_name, const std::vector<DisplayInfo>& displays);
