// The storage probe: the best kind of internal drive.
#pragma once
#include <optional>
#include <string_view>

std::optional<std::string_view> probe_storage();
