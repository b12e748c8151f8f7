// The display probe: attached displays with their current mode and mode list.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "checks/scan_types.h"

namespace qd::checks {

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

inline constexpr std::uint32_t max_display_devices = 32;
inline constexpr std::uint32_t max_display_modes = 4000;

// 320 x 200 up to 16384 x 16384.
bool is_valid_size(const DisplayMode& mode);
// 2 to 1000 Hz; drivers report 0 or 1 for "the hardware default".
bool is_valid_refresh(std::uint32_t hz);

// The Display row: the size of the largest display (equal areas: the higher
// current rate, then the later display) and the highest current rate among the
// displays of valid size. Looks at the first max_display_devices displays.
DisplayRow display_findings(const std::vector<DisplayInfo>& displays);

// The highest usable refresh rate of one display at its current resolution.
// Looks at the first max_display_modes modes.
std::optional<std::uint32_t> display_max_refresh(const DisplayInfo& info);

// The highest display_max_refresh over all displays.
std::optional<std::uint32_t> max_refresh(const std::vector<DisplayInfo>& displays);

// Why display_findings has no size, no rate, and max_refresh no rate, from
// the same displays: "1 display, current rate 0 Hz, not 2 to 1000".
std::string display_size_reason(const std::vector<DisplayInfo>& displays);
std::string refresh_rate_reason(const std::vector<DisplayInfo>& displays);
std::string max_refresh_reason(const std::vector<DisplayInfo>& displays);

}  // namespace qd::checks
