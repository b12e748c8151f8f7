// The classifications of the settings probes: what each read value means.
#include "checks/settings.h"

#include <gtest/gtest.h>

#include <limits>

using namespace qd::checks;

namespace {

using OptU32 = std::optional<std::uint32_t>;
using OptText = std::optional<std::string>;
constexpr auto Off = TriState::Off;
constexpr auto On = TriState::On;
constexpr auto Absent = TriState::Absent;

const char* name(TriState t) { return t == On ? "On" : t == Off ? "Off" : "Absent"; }

std::string show(const OptText& text) { return text ? "\"" + *text + "\"" : "(not read)"; }

}  // namespace

TEST(GuidText, WritesEightFourFourFourTwelveSmallZeroFilled)
{
    const struct {
        Guid guid;
        const char* text;
    } cases[] = {
        {{0x8c5e7fda, 0xe8bf, 0x4a96, {0x9a, 0x85, 0xa6, 0xe2, 0x3a, 0x8c, 0x63, 0x5c}},
         "8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c"},
        {{0x00000001, 0x0002, 0x0003, {0x00, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07}},
         "00000001-0002-0003-0001-020304050607"},
        {{0xFFFFFFFF, 0xFFFF, 0xFFFF, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
         "ffffffff-ffff-ffff-ffff-ffffffffffff"},
        {{}, "00000000-0000-0000-0000-000000000000"},
        // Each number lands in its own group, high digits first.
        {{0x12345678, 0x9abc, 0xdef0, {0x0f, 0xf0, 0xa0, 0x0b, 0xc0, 0x0d, 0xe0, 0x0f}},
         "12345678-9abc-def0-0ff0-a00bc00de00f"},
    };
    for (const auto& c : cases) EXPECT_EQ(guid_text(c.guid), c.text);
}

TEST(NormalizeGuidText, TrimsStripsBracesAndLowersAsciiOnly)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"{DED574B5-45A0-4F42-8737-46345C09C238}", "ded574b5-45a0-4f42-8737-46345c09c238"},
        {" \t{ABC}\r\n", "abc"},
        {"\xC2\xA0{ABC}\xE3\x80\x80", "abc"},  // U+00A0 and U+3000 are white space too
        {"{{}abc}}{", "abc"},                  // every leading and trailing brace, in any mix
        {"a{B}c", "a{b}c"},                    // inner braces stay
        {"{ ABC }", " abc "},                  // trimming comes before the braces, not after
        {"\xC3\x89"
         "A",
         "\xC3\x89"
         "a"},  // É is not ASCII and stays
        {"", ""},
        {"   ", ""},
        {"{}", ""},
        {"}}}", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(normalize_guid_text(c.in), c.out) << "input: " << c.in;
}

TEST(PowerPlan, KnownSchemesHaveCodesOthersAreOther)
{
    const struct {
        std::optional<Guid> scheme;
        std::optional<std::string_view> code;
    } cases[] = {
        {Guid{0x8c5e7fda, 0xe8bf, 0x4a96, {0x9a, 0x85, 0xa6, 0xe2, 0x3a, 0x8c, 0x63, 0x5c}}, "hp"},
        {Guid{0xe9a42b02, 0xd5df, 0x448d, {0xaa, 0x00, 0x03, 0xf1, 0x47, 0x49, 0xeb, 0x61}}, "up"},
        {Guid{0x381b4222, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e}}, "bal"},
        {Guid{0xa1841308, 0x3541, 0x4fab, {0xbc, 0x81, 0xf7, 0x15, 0x56, 0xf2, 0x0b, 0x4a}}, "ps"},
        // High performance with its last byte changed: a scheme the user made.
        {Guid{0x8c5e7fda, 0xe8bf, 0x4a96, {0x9a, 0x85, 0xa6, 0xe2, 0x3a, 0x8c, 0x63, 0x5d}}, "oth"},
        {Guid{}, "oth"},
        {std::nullopt, std::nullopt},  // PowerGetActiveScheme failed
    };
    for (const auto& c : cases) {
        EXPECT_EQ(power_plan_code(c.scheme), c.code) << (c.scheme ? guid_text(*c.scheme) : "(no scheme)");
    }
}

TEST(PowerMode, OverlayGuidGivesTheSliderPosition)
{
    const struct {
        OptText overlay;
        std::optional<std::string_view> code;
    } cases[] = {
        {"ded574b5-45a0-4f42-8737-46345c09c238", "best"},
        {"{DED574B5-45A0-4F42-8737-46345C09C238}", "best"},
        {" 961CC777-2547-4F9D-8174-7D86181B8A7A ", "eff"},
        {"00000000-0000-0000-0000-000000000000", "bal"},
        {"{00000000-0000-0000-0000-000000000000}", "bal"},
        {std::nullopt, "bal"},  // missing, wrong type or too long
        {"", "bal"},
        {" \t ", "bal"},
        {"{}", "bal"},
        {"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", std::nullopt},
        {"ded574b5-45a0-4f42-8737-46345c09c23", std::nullopt},  // one digit short
        {"ded574b545a04f42873746345c09c238", std::nullopt},     // no dashes
        {"0", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(power_mode_code(c.overlay), c.code) << show(c.overlay);
}

TEST(RegistryToggles, EachDwordClassifiesByItsTable)
{
    const OptU32 none;
    const struct {
        OptU32 value;
        TriState game_mode, gpu_scheduling, memory_integrity;
    } cases[] = {
        {none, On, Absent, Absent},
        {0u, Off, Absent, Off},
        {1u, On, Off, On},
        {2u, On, On, Absent},
        {3u, On, Absent, Absent},
        {5u, On, Absent, Absent},
        {0xFFFFFFFFu, On, Absent, Absent},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value ? std::to_string(*c.value) : "(not read)");
        EXPECT_STREQ(name(game_mode_state(c.value)), name(c.game_mode));
        EXPECT_STREQ(name(gpu_scheduling_state(c.value)), name(c.gpu_scheduling));
        EXPECT_STREQ(name(memory_integrity_state(c.value)), name(c.memory_integrity));
    }
}

TEST(GameCapture, EitherValueOfOneIsOnAndTwoMissingAreAbsent)
{
    const OptU32 none;
    const struct {
        OptU32 game_dvr, app_capture;
        TriState state;
    } cases[] = {
        {none, none, Absent}, {0u, 1u, On},  {1u, 0u, On},  {1u, none, On},  {none, 1u, On},  {2u, none, Off},
        {none, 0u, Off},      {0u, 0u, Off}, {2u, 2u, Off}, {0u, none, Off}, {none, 7u, Off}, {1u, 1u, On},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(name(game_capture_state(c.game_dvr, c.app_capture)), name(c.state))
            << (c.game_dvr ? std::to_string(*c.game_dvr) : "-") << " / "
            << (c.app_capture ? std::to_string(*c.app_capture) : "-");
    }
}

TEST(WindowedOptimizations, FirstDecisiveSwapEffectEntryWins)
{
    const struct {
        OptText text;
        TriState state;
    } cases[] = {
        {std::nullopt, Absent},
        {"", Absent},
        {"VRROptimizeEnable=0;SwapEffectUpgradeEnable=1;", On},
        {"SwapEffectUpgradeEnable=0", Off},
        {" swapeffectupgradeenable = 0 ;", Off},
        {"SWAPEFFECTUPGRADEENABLE=1", On},
        {"SwapEffectUpgradeEnable=2;SwapEffectUpgradeEnable=1", On},  // undecided values are passed over
        {"SwapEffectUpgradeEnable=1;SwapEffectUpgradeEnable=0", On},  // the first decisive one wins
        {"SwapEffectUpgradeEnable", Absent},                          // no "="
        {"SwapEffectUpgradeEnable;SwapEffectUpgradeEnable=0", Off},
        {";;;SwapEffectUpgradeEnable=1;;", On},  // empty pieces
        {";;;", Absent},
        {"SwapEffectUpgradeEnable=", Absent},
        {"SwapEffectUpgradeEnable= ", Absent},
        {"SwapEffectUpgradeEnable=01", Absent},
        {"SwapEffectUpgradeEnable=1=1", Absent},  // the value is all after the first "="
        {"SwapEffectUpgradeEnable==1", Absent},
        {"=1;SwapEffectUpgradeEnable=0", Off},
        {"SwapEffectUpgradeEnableX=1", Absent},
        {"XSwapEffectUpgradeEnable=1", Absent},
        {"Swap EffectUpgradeEnable=1", Absent},
        {"\tSwapEffectUpgradeEnable\xC2\xA0=\xE3\x80\x80"
         "1",
         On},  // Unicode white space is trimmed
        {"VRROptimizeEnable=1", Absent},
        {"SwapEffectUpgradeEnable=1;garbage", On},
    };
    for (const auto& c : cases) EXPECT_STREQ(name(windowed_optimizations_state(c.text)), name(c.state)) << show(c.text);
}

TEST(WindowedOptimizations, LongTextsAreSearchedToTheEnd)
{
    std::string text;
    while (text.size() < 2000) text += "Other=1;;";
    EXPECT_STREQ(name(windowed_optimizations_state(text)), "Absent");
    EXPECT_STREQ(name(windowed_optimizations_state(text + "SwapEffectUpgradeEnable=0")), "Off");
}

TEST(MouseAcceleration, SpeedZeroIsOffOneOrTwoIsOn)
{
    const struct {
        OptText text;
        TriState state;
    } cases[] = {
        {std::nullopt, Absent}, {"0", Off},     {"1", On},      {"2", On},      {"  2\t", On},   {"3", Absent},
        {"", Absent},           {"  ", Absent}, {"00", Absent}, {"+1", Absent}, {"1 1", Absent}, {"-0", Absent},
    };
    for (const auto& c : cases) EXPECT_STREQ(name(mouse_acceleration_state(c.text)), name(c.state)) << show(c.text);
}

TEST(FreeSpace, DriveRootIsTheFirstThreeUnitsOfAPlausiblePath)
{
    std::u16string buffer(260, u'\0');
    const std::u16string path = u"C:\\Windows";
    buffer.replace(0, path.size(), path);
    const struct {
        std::uint32_t length;
        std::optional<std::u16string> root;
    } cases[] = {
        {10, u"C:\\"},       {3, u"C:\\"},        {259, u"C:\\"}, {2, std::nullopt},
        {0, std::nullopt},   {260, std::nullopt},  // buffer too small: the call returns the size it needs
        {261, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(windows_drive_root(buffer, c.length), c.root) << "length " << c.length;
    // A length beyond what the buffer holds never reads past it.
    EXPECT_EQ(windows_drive_root(std::u16string_view(buffer).substr(0, 5), 10), std::nullopt);
}

TEST(FreeSpace, WholeGibDropsTheRemainder)
{
    EXPECT_EQ(whole_gib(0), 0u);
    EXPECT_EQ(whole_gib(1073741823), 0u);
    EXPECT_EQ(whole_gib(1073741824), 1u);
    EXPECT_EQ(whole_gib(500ull * 1073741824 + 1073741823), 500u);
    EXPECT_EQ(whole_gib(std::numeric_limits<std::uint64_t>::max()), (1ull << 34) - 1);
}

TEST(Battery, NeedsABatteryAndAKnownLineStatus)
{
    const struct {
        std::optional<PowerStatus> status;
        TriState state;
    } cases[] = {
        {std::nullopt, Absent},        {PowerStatus{0, 1}, On},        // off line, battery high
        {PowerStatus{1, 8}, Off},                                      // on line, charging
        {PowerStatus{0, 0}, On},       {PowerStatus{1, 128}, Absent},  // no system battery, whatever the line says
        {PowerStatus{0, 128}, Absent}, {PowerStatus{1, 255}, Absent},  // status unknown
        {PowerStatus{0, 255}, Absent}, {PowerStatus{255, 1}, Absent},  // line status unknown
        {PowerStatus{2, 1}, Absent},   {PowerStatus{0, 129}, On},      // only exactly 128 and 255 mean "no battery"
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(name(on_battery_state(c.status)), name(c.state))
            << (c.status ? std::to_string(c.status->ac_line_status) + "/" + std::to_string(c.status->battery_flag)
                         : "(failed)");
    }
}

TEST(WindowsBuild, NeedsSuccessAndANonZeroBuild)
{
    EXPECT_EQ(os_build_number(0, 22631), 22631u);
    EXPECT_EQ(os_build_number(1, 19045), 19045u);  // any status of 0 or more is success
    EXPECT_EQ(os_build_number(0, 0xFFFFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(os_build_number(0, 0), std::nullopt);
    EXPECT_EQ(os_build_number(-1, 22631), std::nullopt);
    EXPECT_EQ(os_build_number(std::numeric_limits<std::int32_t>::min(), 22631), std::nullopt);  // 0x8000....
}
