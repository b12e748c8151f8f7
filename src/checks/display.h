// The display probe: attached displays with their current mode and mode list.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "checks/scan_types.h"

struct DisplayMode {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t rate_hz = 0;
};

struct DisplayInfo {
    DisplayMode current;
    std::vector<DisplayMode> modes;  // in enumeration order, at most 4000
};

struct DisplayProbe {
    std::vector<DisplayInfo> displays;  // at most 32
    std::optional<DisplaySize> display_size;
    std::optional<std::uint32_t> refresh_hz;
};

DisplayProbe probe_display();

// The highest usable refresh rate of one display at its current resolution.
std::optional<std::uint32_t> display_max_refresh(const DisplayInfo& info);

// The highest display_max_refresh over all displays.
std::optional<std::uint32_t> max_refresh(const std::vector<DisplayInfo>& displays);
