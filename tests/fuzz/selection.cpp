// Adapter selection and the display choice from arbitrary lists.
// Input: a byte of adapter count, each adapter as a description (one byte of
// length), dedicated memory (eight bytes), vendor id (four) and a software
// flag byte; then displays to the end, each as its current width, height and
// rate (four bytes each), a byte of mode count and the modes.
#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "checks/display.h"
#include "checks/graphics.h"
#include "checks/text.h"
#include "fuzz_support.h"

using namespace qd::checks;

namespace {

constexpr std::uint32_t microsoft_vendor = 0x1414;

void check_adapters(const std::vector<AdapterInfo>& adapters)
{
    const std::optional<std::string> name = select_graphics_name(adapters);
    std::vector<AdapterInfo> first(adapters.begin(), adapters.begin() + std::min(adapters.size(), max_adapters));
    // Adapters past the 16th change nothing.
    if (first.size() < adapters.size()) FUZZ_CHECK(select_graphics_name(first) == name);
    if (name) {
        FUZZ_CHECK(!name->empty());
        const bool named = std::any_of(first.begin(), first.end(), [&](const AdapterInfo& a) {
            return !a.is_software && a.vendor_id != microsoft_vendor && collapse_whitespace(a.description) == *name;
        });
        FUZZ_CHECK(named);
    }
    if (first.size() >= max_adapters) return;

    // Software, Microsoft and virtual adapters never win, however much memory
    // they have. Each is put in front of the list and taken out again.
    static const std::array<AdapterInfo, 4> never = {AdapterInfo{"Acme Graphics", UINT64_MAX, 0x10DE, true},
                                                     AdapterInfo{"Acme Graphics", UINT64_MAX, microsoft_vendor, false},
                                                     AdapterInfo{"Acme Virtual Display", UINT64_MAX, 0x10DE, false},
                                                     AdapterInfo{" \t ", UINT64_MAX, 0x10DE, false}};
    first.reserve(first.size() + 1);
    for (const AdapterInfo& adapter : never) {
        first.insert(first.begin(), adapter);
        FUZZ_CHECK(select_graphics_name(first) == name);
        first.erase(first.begin());
    }
    // A physical adapter with more memory than any other wins.
    std::uint64_t most = 0;
    for (const AdapterInfo& a : first) most = std::max(most, a.dedicated_video_memory);
    if (most < UINT64_MAX) {
        first.push_back({"  Acme  Graphics 9000 ", most + 1, 0x10DE, false});
        FUZZ_CHECK(select_graphics_name(first) == "Acme Graphics 9000");
    }
}

// Takes the list by value: it is cut to the first 32 and reversed in place.
void check_displays(std::vector<DisplayInfo> first)
{
    const DisplayRow row = display_findings(first);
    const std::optional<std::uint32_t> highest = max_refresh(first);
    // Displays past the 32nd change nothing.
    if (first.size() > max_display_devices) {
        first.resize(max_display_devices);
        const DisplayRow first_row = display_findings(first);
        FUZZ_CHECK(first_row.display_size == row.display_size && first_row.refresh_hz == row.refresh_hz);
        FUZZ_CHECK(max_refresh(first) == highest);
    }

    auto area = [](std::uint32_t w, std::uint32_t h) { return std::uint64_t{w} * h; };
    bool any_valid = false;
    bool size_seen = false;
    bool rate_seen = false;
    for (const DisplayInfo& d : first) {
        if (!is_valid_size(d.current)) continue;
        any_valid = true;
        FUZZ_CHECK(row.display_size &&
                   area(d.current.width, d.current.height) <= area(row.display_size->width, row.display_size->height));
        if (d.current.width == row.display_size->width && d.current.height == row.display_size->height)
            size_seen = true;
        if (is_valid_refresh(d.current.rate_hz)) {
            FUZZ_CHECK(row.refresh_hz && d.current.rate_hz <= *row.refresh_hz);
            if (d.current.rate_hz == *row.refresh_hz) rate_seen = true;
        }
    }
    FUZZ_CHECK(row.display_size.has_value() == any_valid && size_seen == any_valid);
    FUZZ_CHECK(rate_seen == row.refresh_hz.has_value());

    // The highest usable rate: a valid rate, at least each display's current one.
    for (const DisplayInfo& d : first) {
        const std::optional<std::uint32_t> own = display_max_refresh(d);
        FUZZ_CHECK(!own || (is_valid_refresh(*own) && highest && *own <= *highest));
        if (is_valid_refresh(d.current.rate_hz)) FUZZ_CHECK(own && *own >= d.current.rate_hz);
    }
    std::reverse(first.begin(), first.end());
    FUZZ_CHECK(max_refresh(first) == highest);
    FUZZ_CHECK(display_findings(first).refresh_hz == row.refresh_hz);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    std::vector<AdapterInfo> adapters(in.u8() % 24);
    for (AdapterInfo& a : adapters) {
        a.description = in.text();
        a.dedicated_video_memory = in.u64();
        a.vendor_id = in.u32();
        a.is_software = in.flag();
    }
    check_adapters(adapters);

    std::vector<DisplayInfo> displays;
    while (!in.empty()) {
        DisplayInfo d;
        d.current = {in.u32(), in.u32(), in.u32()};
        d.modes.resize(in.u8());
        for (DisplayMode& m : d.modes) m = {in.u32(), in.u32(), in.u32()};
        displays.push_back(std::move(d));
    }
    check_displays(std::move(displays));
    return 0;
}
