// scan_settings against Wine's real registry and system calls. Each test writes
// the settings it needs into its own prefix (HKCU and HKLM are writable there)
// and puts back what was there before.
#include "checks/settings.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "checks/registry.h"
#include "checks/wide_win.h"
#include "registry_override.h"

using namespace qd::test;

using namespace qd::checks;

namespace {

const char* name(TriState t) { return t == TriState::On ? "On" : t == TriState::Off ? "Off" : "Absent"; }

// What a test writes into one value: nothing, a DWORD, a text, or raw bytes of a type.
struct Write {
    enum Kind { Missing, Dword, Text, Raw } kind = Missing;
    DWORD dword = 0;
    std::wstring text;
    DWORD raw_type = 0;
    std::vector<unsigned char> raw;

    static Write missing() { return {}; }
    static Write number(DWORD v) { return {Dword, v, {}, 0, {}}; }
    static Write string(std::wstring t) { return {Text, 0, std::move(t), 0, {}}; }
    static Write bytes(DWORD type, std::vector<unsigned char> b) { return {Raw, 0, {}, type, std::move(b)}; }

    void apply(ValueOverride& value) const
    {
        switch (kind) {
        case Missing: value.remove(); break;
        case Dword: value.set_dword(dword); break;
        case Text: value.set_text(text); break;
        case Raw: value.set(raw_type, raw.data(), static_cast<DWORD>(raw.size())); break;
        }
    }
    std::string describe() const
    {
        switch (kind) {
        case Missing: return "missing";
        case Dword: return "dword " + std::to_string(dword);
        case Text: return "text of " + std::to_string(text.size()) + " units: " + from_wide(text.c_str(), 40);
        case Raw: return "raw type " + std::to_string(raw_type) + ", " + std::to_string(raw.size()) + " bytes";
        }
        return "";
    }
};

const std::vector<DisplayInfo> no_displays;

class SettingsProbes : public ::testing::Test {
protected:
    // Every value the settings step reads starts missing.
    void SetUp() override
    {
        for (ValueOverride* v :
             {&power_mode, &game_mode, &hw_sch_mode, &game_dvr, &app_capture, &hvci, &directx, &mouse_speed})
            v->remove();
    }
    SettingsSnapshot scan() { return scan_settings(std::nullopt, no_displays); }

    ValueOverride power_mode{HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes",
                             L"ActiveOverlayAcPowerScheme"};
    ValueOverride game_mode{HKEY_CURRENT_USER, L"Software\\Microsoft\\GameBar", L"AutoGameModeEnabled"};
    ValueOverride hw_sch_mode{HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers", L"HwSchMode"};
    ValueOverride game_dvr{HKEY_CURRENT_USER, L"System\\GameConfigStore", L"GameDVR_Enabled"};
    ValueOverride app_capture{HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\GameDVR",
                              L"AppCaptureEnabled"};
    ValueOverride hvci{HKEY_LOCAL_MACHINE,
                       L"SYSTEM\\CurrentControlSet\\Control\\DeviceGuard\\Scenarios\\HypervisorEnforcedCodeIntegrity",
                       L"Enabled"};
    ValueOverride directx{HKEY_CURRENT_USER, L"Software\\Microsoft\\DirectX\\UserGpuPreferences",
                          L"DirectXUserGlobalSettings"};
    ValueOverride mouse_speed{HKEY_CURRENT_USER, L"Control Panel\\Mouse", L"MouseSpeed"};
};

const std::wstring best_guid = L"ded574b5-45a0-4f42-8737-46345c09c238";
const std::wstring eff_guid = L"961cc777-2547-4f9d-8174-7d86181b8a7a";

// A text of exactly `length` units: blanks, then `tail`.
std::wstring padded(const std::wstring& tail, std::size_t length)
{
    return std::wstring(length - tail.size(), L' ') + tail;
}

const std::vector<unsigned char> dword_one_as_binary = {1, 0, 0, 0};
const std::vector<unsigned char> qword_one = {1, 0, 0, 0, 0, 0, 0, 0};

}  // namespace

TEST_F(SettingsProbes, PowerModeFromTheOverlayText)
{
    const struct {
        Write write;
        std::optional<std::string_view> code;
    } cases[] = {
        {Write::missing(), "bal"},
        {Write::string(L""), "bal"},
        {Write::string(L" \t "), "bal"},
        {Write::string(L"{DED574B5-45A0-4F42-8737-46345C09C238}"), "best"},
        {Write::string(eff_guid), "eff"},
        {Write::string(L"{00000000-0000-0000-0000-000000000000}"), "bal"},
        {Write::string(L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c"), std::nullopt},
        {Write::number(1), "bal"},                         // another type is a failed read
        {Write::string(padded(best_guid, 1023)), "best"},  // the longest text that fits
        {Write::string(padded(eff_guid, 1024)), "bal"},    // one more reads as absent
        {Write::string(padded(eff_guid, 2000)), "bal"},
    };
    for (const auto& c : cases) {
        c.write.apply(power_mode);
        EXPECT_EQ(scan().power_mode, c.code) << c.write.describe();
    }
}

TEST_F(SettingsProbes, DwordTogglesCountOtherTypesAsFailedReads)
{
    const Write writes[] = {Write::missing(),
                            Write::number(0),
                            Write::number(1),
                            Write::number(2),
                            Write::number(3),
                            Write::number(5),
                            Write::string(L"1"),
                            Write::string(L"2"),
                            Write::bytes(REG_BINARY, dword_one_as_binary),
                            Write::bytes(REG_QWORD, qword_one)};
    // Expected per write, in the order above.
    const char* game_mode_expected[] = {"On", "Off", "On", "On", "On", "On", "On", "On", "On", "On"};
    const char* scheduling_expected[] = {"Absent", "Absent", "Off",    "On",     "Absent",
                                         "Absent", "Absent", "Absent", "Absent", "Absent"};
    const char* integrity_expected[] = {"Absent", "Off",    "On",     "Absent", "Absent",
                                        "Absent", "Absent", "Absent", "Absent", "Absent"};
    for (std::size_t i = 0; i < std::size(writes); ++i) {
        SCOPED_TRACE(writes[i].describe());
        writes[i].apply(game_mode);
        writes[i].apply(hw_sch_mode);
        writes[i].apply(hvci);
        const SettingsSnapshot s = scan();
        EXPECT_STREQ(name(s.game_mode), game_mode_expected[i]);
        EXPECT_STREQ(name(s.gpu_scheduling), scheduling_expected[i]);
        EXPECT_STREQ(name(s.memory_integrity), integrity_expected[i]);
    }
}

TEST_F(SettingsProbes, GameCaptureFromBothValues)
{
    const struct {
        Write dvr, capture;
        const char* state;
    } cases[] = {
        {Write::missing(), Write::missing(), "Absent"},       {Write::number(0), Write::number(1), "On"},
        {Write::number(1), Write::missing(), "On"},           {Write::number(2), Write::missing(), "Off"},
        {Write::missing(), Write::number(0), "Off"},          {Write::number(0), Write::number(0), "Off"},
        {Write::string(L"1"), Write::string(L"1"), "Absent"},  // neither is a DWORD
        {Write::string(L"1"), Write::number(0), "Off"},       {Write::number(1), Write::string(L"0"), "On"},
    };
    for (const auto& c : cases) {
        c.dvr.apply(game_dvr);
        c.capture.apply(app_capture);
        EXPECT_STREQ(name(scan().game_capture), c.state) << c.dvr.describe() << " / " << c.capture.describe();
    }
}

TEST_F(SettingsProbes, WindowedOptimizationsFromTheDirectXSettings)
{
    const std::wstring entry = L";SwapEffectUpgradeEnable=1;";
    const struct {
        Write write;
        const char* state;
    } cases[] = {
        {Write::missing(), "Absent"},
        {Write::string(L""), "Absent"},
        {Write::string(L"VRROptimizeEnable=0;SwapEffectUpgradeEnable=1;"), "On"},
        {Write::string(L" swapeffectupgradeenable = 0 "), "Off"},
        {Write::string(L"SwapEffectUpgradeEnable=2;SwapEffectUpgradeEnable=1"), "On"},
        {Write::string(L"SwapEffectUpgradeEnable"), "Absent"},
        {Write::string(L";;=;SwapEffectUpgradeEnable=x;"), "Absent"},
        {Write::number(1), "Absent"},
        {Write::string(std::wstring(1023 - entry.size(), L'x') + entry), "On"},
        {Write::string(std::wstring(1024 - entry.size(), L'x') + entry), "Absent"},  // too long to read
        {Write::string(std::wstring(2000 - entry.size(), L'x') + entry), "Absent"},
    };
    for (const auto& c : cases) {
        c.write.apply(directx);
        EXPECT_STREQ(name(scan().windowed_optimizations), c.state) << c.write.describe();
    }
}

TEST_F(SettingsProbes, MouseAccelerationFromTheSpeedText)
{
    const struct {
        Write write;
        const char* state;
    } cases[] = {
        {Write::missing(), "Absent"},
        {Write::string(L"0"), "Off"},
        {Write::string(L" 2 "), "On"},
        {Write::string(L"1"), "On"},
        {Write::string(L"3"), "Absent"},
        {Write::string(L""), "Absent"},
        {Write::number(1), "Absent"},
        {Write::string(padded(L"1", 1023)), "On"},
        {Write::string(padded(L"1", 1024)), "Absent"},
    };
    for (const auto& c : cases) {
        c.write.apply(mouse_speed);
        EXPECT_STREQ(name(scan().mouse_acceleration), c.state) << c.write.describe();
    }
}

TEST_F(SettingsProbes, EverySettingAtOnce)
{
    power_mode.set_text(L"  {961CC777-2547-4F9D-8174-7D86181B8A7A}  ");
    game_mode.set_dword(0);
    hw_sch_mode.set_dword(2);
    game_dvr.set_dword(0);
    app_capture.set_dword(1);
    hvci.set_dword(1);
    directx.set_text(L"SwapEffectUpgradeEnable=0;");
    mouse_speed.set_text(L"0");
    const SettingsSnapshot s = scan();
    EXPECT_EQ(s.power_mode, "eff");
    EXPECT_STREQ(name(s.game_mode), "Off");
    EXPECT_STREQ(name(s.gpu_scheduling), "On");
    EXPECT_STREQ(name(s.game_capture), "On");
    EXPECT_STREQ(name(s.memory_integrity), "On");
    EXPECT_STREQ(name(s.windowed_optimizations), "Off");
    EXPECT_STREQ(name(s.mouse_acceleration), "Off");
}

TEST_F(SettingsProbes, WhatWineReportsForPowerAndBattery)
{
    // Wine does not implement PowerGetActiveScheme (it returns 120) and reports
    // mains power with no system battery.
    const SettingsSnapshot s = scan();
    EXPECT_FALSE(s.power_plan);
    EXPECT_STREQ(name(s.on_battery), "Absent");
}

TEST(SettingsProbesSystem, WindowsBuildMatchesTheConfiguredVersion)
{
    const std::optional<std::string> registry_build =
        read_registry_text(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", "CurrentBuildNumber");
    ASSERT_TRUE(registry_build);
    const std::optional<std::uint32_t> build = scan_settings(std::nullopt, {}).os_build;
    ASSERT_TRUE(build);
    EXPECT_EQ(std::to_string(*build), *registry_build);
    EXPECT_EQ(*build, 18362u);  // the test prefix is set to Windows 10
}

TEST(SettingsProbesSystem, FreeSpaceOfTheWindowsDrive)
{
    wchar_t directory[MAX_PATH] = {};
    ASSERT_GT(GetSystemWindowsDirectoryW(directory, MAX_PATH), 3u);
    const wchar_t root[] = {directory[0], L':', L'\\', 0};
    ASSERT_EQ(directory[1], L':');
    ULARGE_INTEGER before = {};
    ULARGE_INTEGER after = {};
    ASSERT_TRUE(GetDiskFreeSpaceExW(root, nullptr, nullptr, &before));
    const std::optional<std::uint64_t> free_gb = scan_settings(std::nullopt, {}).free_space_gb;
    ASSERT_TRUE(GetDiskFreeSpaceExW(root, nullptr, nullptr, &after));
    ASSERT_TRUE(free_gb);
    // Other processes write to the disk meanwhile: accept anything between the
    // two reads, give or take a GiB.
    const std::uint64_t low = std::min(before.QuadPart, after.QuadPart) >> 30;
    const std::uint64_t high = std::max(before.QuadPart, after.QuadPart) >> 30;
    EXPECT_GE(*free_gb + 1, low);
    EXPECT_LE(*free_gb, high + 1);
}

TEST(SettingsProbesSystem, HighestRefreshComesFromTheDisplaysGiven)
{
    DisplayInfo display;
    display.current = {1920, 1080, 60};
    display.modes = {{1920, 1080, 60}, {1920, 1080, 144}, {2560, 1440, 240}};
    EXPECT_EQ(scan_settings(std::nullopt, {display}).max_refresh_hz, 144u);
    EXPECT_FALSE(scan_settings(std::nullopt, {}).max_refresh_hz);
}
