#include "checks/display.h"

#include <gtest/gtest.h>

using namespace qd::checks;

namespace {

DisplayInfo display(std::uint32_t width, std::uint32_t height, std::uint32_t rate, std::vector<DisplayMode> modes = {})
{
    return DisplayInfo{{width, height, rate}, std::move(modes)};
}

}  // namespace

TEST(DisplayLimits, SizesAndRates)
{
    const std::pair<DisplayMode, bool> sizes[] = {
        {{320, 200, 0}, true},     {{16384, 16384, 0}, true}, {{1920, 1080, 0}, true},
        {{319, 1080, 0}, false},   {{1920, 199, 0}, false},   {{16385, 1080, 0}, false},
        {{1920, 16385, 0}, false}, {{0, 0, 0}, false},        {{0xFFFFFFFF, 1080, 0}, false},
    };
    for (const auto& [mode, valid] : sizes) EXPECT_EQ(is_valid_size(mode), valid) << mode.width << "x" << mode.height;
    for (const std::uint32_t hz : {2u, 60u, 1000u}) EXPECT_TRUE(is_valid_refresh(hz)) << hz;
    for (const std::uint32_t hz : {0u, 1u, 1001u, 0xFFFFFFFFu}) EXPECT_FALSE(is_valid_refresh(hz)) << hz;
}

TEST(DisplayFindings, LargestDisplayAndHighestRate)
{
    struct Case {
        const char* what;
        std::vector<DisplayInfo> displays;
        std::optional<DisplaySize> size;
        std::optional<std::uint32_t> rate;
    };
    const Case cases[] = {
        {"none", {}, std::nullopt, std::nullopt},
        {"one display", {display(1920, 1080, 60)}, DisplaySize{1920, 1080}, 60u},
        {"size of the largest, rate of the fastest",
         {display(1920, 1080, 144), display(2560, 1440, 60)},
         DisplaySize{2560, 1440},
         144u},
        {"equal areas: higher rate",
         {display(1080, 1920, 60), display(1920, 1080, 144)},
         DisplaySize{1920, 1080},
         144u},
        {"equal areas: higher rate first",
         {display(1920, 1080, 144), display(1080, 1920, 60)},
         DisplaySize{1920, 1080},
         144u},
        {"full tie: the later", {display(1080, 1920, 60), display(1920, 1080, 60)}, DisplaySize{1920, 1080}, 60u},
        {"full tie reversed", {display(1920, 1080, 60), display(1080, 1920, 60)}, DisplaySize{1080, 1920}, 60u},
        {"rate 1 Hz: size without rate", {display(1920, 1080, 1)}, DisplaySize{1920, 1080}, std::nullopt},
        {"rate 0 and 1001 Hz",
         {display(1920, 1080, 0), display(1280, 1024, 1001)},
         DisplaySize{1920, 1080},
         std::nullopt},
        {"invalid sizes are not considered",
         {display(16385, 1080, 240), display(1920, 199, 240), display(1280, 720, 75)},
         DisplaySize{1280, 720},
         75u},
        {"only invalid sizes", {display(0, 0, 60), display(16385, 16385, 144)}, std::nullopt, std::nullopt},
        {"largest area at 16384 squared",
         {display(16384, 16384, 30), display(3840, 2160, 120)},
         DisplaySize{16384, 16384},
         120u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DisplayRow row = display_findings(c.displays);
        EXPECT_EQ(row.display_size, c.size);
        EXPECT_EQ(row.refresh_hz, c.rate);
    }
}

TEST(DisplayFindings, LooksAtThe32FirstDisplays)
{
    std::vector<DisplayInfo> displays(max_display_devices, display(1280, 720, 60));
    displays.push_back(display(3840, 2160, 240));
    const DisplayRow row = display_findings(displays);
    EXPECT_EQ(row.display_size, (DisplaySize{1280, 720}));
    EXPECT_EQ(row.refresh_hz, 60u);
    EXPECT_EQ(max_refresh(displays), 60u);
}

TEST(DisplayMaxRefresh, HighestRateAtTheCurrentResolution)
{
    struct Case {
        const char* what;
        DisplayInfo info;
        std::optional<std::uint32_t> expected;
    };
    const Case cases[] = {
        {"faster mode at the same size; other sizes ignored",
         display(1920, 1080, 60, {{1920, 1080, 60}, {1920, 1080, 144}, {2560, 1440, 165}, {1080, 1920, 240}}), 144u},
        {"current rate above every listed mode", display(1920, 1080, 240, {{1920, 1080, 60}, {1920, 1080, 144}}), 240u},
        {"no modes: current rate alone", display(1920, 1080, 75), 75u},
        {"invalid current rate, valid mode", display(1920, 1080, 1, {{1920, 1080, 60}}), 60u},
        {"invalid rates everywhere", display(1920, 1080, 0, {{1920, 1080, 1}, {1920, 1080, 1001}}), std::nullopt},
        {"invalid size still counts", display(16385, 1080, 0, {{16385, 1080, 120}}), 120u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(display_max_refresh(c.info), c.expected);
    }
}

TEST(DisplayMaxRefresh, OnlyThe4000FirstModesCount)
{
    DisplayInfo info = display(1920, 1080, 60, std::vector<DisplayMode>(max_display_modes, {1024, 768, 60}));
    info.modes.push_back({1920, 1080, 144});
    EXPECT_EQ(display_max_refresh(info), 60u);
    info.modes[max_display_modes - 1] = {1920, 1080, 120};
    EXPECT_EQ(display_max_refresh(info), 120u);
}

TEST(MaxRefresh, HighestOverAllDisplays)
{
    EXPECT_EQ(max_refresh({}), std::nullopt);
    EXPECT_EQ(max_refresh({display(1920, 1080, 0)}), std::nullopt);
    EXPECT_EQ(
        max_refresh({display(1920, 1080, 60, {{1920, 1080, 144}}), display(2560, 1440, 165), display(16385, 1080, 1)}),
        165u);
    EXPECT_EQ(max_refresh({display(1920, 1080, 0), display(1920, 199, 240)}), 240u);
}
