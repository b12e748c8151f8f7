#include "checks/display.h"

#include <algorithm>

#include "checks/finding.h"
#include "checks/text.h"

namespace qd::checks {

namespace {

constexpr std::uint32_t min_width = 320;
constexpr std::uint32_t min_height = 200;
constexpr std::uint32_t max_side = 16384;
constexpr std::uint32_t min_refresh = 2;
constexpr std::uint32_t max_refresh_hz = 1000;

std::uint64_t area(const DisplayMode& mode) { return std::uint64_t{mode.width} * mode.height; }

void keep_highest(std::optional<std::uint32_t>& best, std::uint32_t candidate)
{
    if (!best || candidate > *best) best = candidate;
}

}  // namespace

bool is_valid_size(const DisplayMode& mode)
{
    return mode.width >= min_width && mode.width <= max_side && mode.height >= min_height && mode.height <= max_side;
}

bool is_valid_refresh(std::uint32_t hz) { return hz >= min_refresh && hz <= max_refresh_hz; }

DisplayRow display_findings(const std::vector<DisplayInfo>& displays)
{
    DisplayRow row;
    const DisplayMode* choice = nullptr;
    const std::size_t count = std::min<std::size_t>(displays.size(), max_display_devices);
    for (std::size_t i = 0; i < count; ++i) {
        const DisplayMode& current = displays[i].current;
        if (!is_valid_size(current)) continue;
        if (choice == nullptr || area(current) > area(*choice) ||
            (area(current) == area(*choice) && current.rate_hz >= choice->rate_hz))
            choice = &current;
        if (is_valid_refresh(current.rate_hz)) keep_highest(row.refresh_hz, current.rate_hz);
    }
    if (choice != nullptr) row.display_size = DisplaySize{choice->width, choice->height};
    return row;
}

std::optional<std::uint32_t> display_max_refresh(const DisplayInfo& info)
{
    std::optional<std::uint32_t> best;
    if (is_valid_refresh(info.current.rate_hz)) best = info.current.rate_hz;
    const std::size_t count = std::min<std::size_t>(info.modes.size(), max_display_modes);
    for (std::size_t i = 0; i < count; ++i) {
        const DisplayMode& mode = info.modes[i];
        if (mode.width == info.current.width && mode.height == info.current.height && is_valid_refresh(mode.rate_hz))
            keep_highest(best, mode.rate_hz);
    }
    return best;
}

std::optional<std::uint32_t> max_refresh(const std::vector<DisplayInfo>& displays)
{
    std::optional<std::uint32_t> best;
    const std::size_t count = std::min<std::size_t>(displays.size(), max_display_devices);
    for (std::size_t i = 0; i < count; ++i)
        if (const auto rate = display_max_refresh(displays[i])) keep_highest(best, *rate);
    return best;
}

namespace {

constexpr std::string_view no_display = "no display attached to the desktop with a readable current mode";

std::string mode_text(std::uint32_t width, std::uint32_t height) { return decimal(width) + " x " + decimal(height); }

}  // namespace

std::string display_size_reason(const std::vector<DisplayInfo>& displays)
{
    if (displays.empty()) return std::string(no_display);
    const DisplayMode& first = displays.front().current;
    return counted(displays.size(), "display") + ", none of 320 x 200 to 16384 x 16384 (the first is " +
           mode_text(first.width, first.height) + ")";
}

std::string refresh_rate_reason(const std::vector<DisplayInfo>& displays)
{
    if (displays.empty()) return std::string(no_display);
    std::size_t sized = 0;
    std::optional<std::uint32_t> first_rate;
    const std::size_t count = std::min<std::size_t>(displays.size(), max_display_devices);
    for (std::size_t i = 0; i < count; ++i) {
        if (!is_valid_size(displays[i].current)) continue;
        ++sized;
        if (!first_rate) first_rate = displays[i].current.rate_hz;
    }
    if (sized == 0) return display_size_reason(displays);
    return counted(sized, "display") + " of a valid size, none with a current rate of 2 to 1000 Hz (the first reports " +
           decimal(*first_rate) + " Hz)";
}

std::string max_refresh_reason(const std::vector<DisplayInfo>& displays)
{
    if (displays.empty()) return std::string(no_display);
    std::size_t modes = 0;
    for (const DisplayInfo& display : displays) modes += display.modes.size();
    return counted(displays.size(), "display") + " with " + counted(modes, "mode") +
           ", none at its current size with a rate of 2 to 1000 Hz";
}

}  // namespace qd::checks
