// The graphics adapter probe and the driver date of the chosen adapter.
#pragma once
#include <optional>
#include <string>

std::optional<std::string> probe_graphics();
std::optional<std::string> probe_driver_date(const std::optional<std::string>& graphics_name);
