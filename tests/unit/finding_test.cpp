// The one-line reasons of absent findings: each probe's pure part turns what
// its reader handed over (an error code, an HRESULT, what was read) into the
// line the program writes for a debugger.
#include "checks/finding.h"

#include <gtest/gtest.h>

#include "checks/display.h"
#include "checks/graphics.h"
#include "checks/memory.h"
#include "checks/processor.h"
#include "checks/settings.h"
#include "checks/storage.h"
#include "smbios_fixture.h"

using namespace qd::test;

using namespace qd::checks;

TEST(AbsentFinding, OneLineNamedAfterTheProgramAndTheFinding)
{
    EXPECT_EQ(debug_line({"graphics", timed_out_reason(4000)}), "Quellix Detect: graphics: timed out after 4000 ms");
    // Whatever a reason carries from the machine, the line stays one line.
    EXPECT_EQ(debug_line({"driver date", "entry: \"6-14\r\n2024\t\""}),
              "Quellix Detect: driver date: entry: \"6-14  2024 \"");
    const std::string long_reason(1000, 'x');
    EXPECT_EQ(debug_line({"x", long_reason}).size(), std::string("Quellix Detect: x: ").size() + 200);
    EXPECT_EQ(call_failed("GetSystemPowerStatus", 5), "GetSystemPowerStatus failed with error 5");
    EXPECT_EQ(call_failed_hresult("CreateDXGIFactory1", 0x887A0004), "CreateDXGIFactory1 failed with HRESULT 0x887a0004");
    EXPECT_EQ(counted(1, "display"), "1 display");
    EXPECT_EQ(counted(0, "display"), "0 displays");
}

TEST(AbsentFinding, RegistryReadsNameTheValueAndTheStatus)
{
    EXPECT_EQ(registry_reason("HwSchMode", 2, 0), "HwSchMode: RegGetValueW failed with error 2");
    EXPECT_EQ(registry_reason("HwSchMode", 0, 2), "HwSchMode: a REG_DWORD of 2 bytes");
    EXPECT_EQ(processor_finding({std::nullopt, 234, 0}).why_absent,
              "ProcessorNameString: RegGetValueW failed with error 234");
    EXPECT_EQ(processor_finding({std::string(" \t "), 0, 8}).why_absent,
              "ProcessorNameString: empty once white space is removed");
    const Finding<std::string> name = processor_finding({std::string(" Acme  CPU "), 0, 24});
    EXPECT_EQ(name.value, "Acme CPU");
    EXPECT_EQ(name.why_absent, "");
}

TEST(AbsentFinding, Graphics)
{
    const AdapterInfo basic{"Microsoft Basic Render Driver", 0, 0x1414, true};
    const AdapterInfo remote{"Parsec Virtual Display Adapter", 0, 0x1AB8, false};
    const AdapterInfo blank{"   ", 1 << 30, 0x10DE, false};
    struct Case {
        AdapterList list;
        std::string why;
    };
    const Case cases[] = {
        {{0x8007007E, {}, 0, 0}, "CreateDXGIFactory1 failed with HRESULT 0x8007007e"},
        {{0, {}, 0, 0}, "DXGI: no adapters listed"},
        {{0, {}, 0, 0, 0x887A0005}, "DXGI: no adapters listed, EnumAdapters1 failed with HRESULT 0x887a0005"},
        {{0, {}, 2, 0x887A0001},
         "DXGI: 2 adapters, none a named physical one (none could be described, GetDesc1 failed with HRESULT "
         "0x887a0001)"},
        {{0, {basic, remote, blank}, 1, 0x80004005},
         "DXGI: 4 adapters, none a named physical one (1 software or Microsoft, 1 virtual or remote, 1 unnamed, 1 not "
         "described)"},
    };
    for (const Case& c : cases) {
        const Finding<std::string> f = graphics_finding(c.list);
        EXPECT_FALSE(f.value);
        EXPECT_EQ(f.why_absent, c.why);
    }
    const AdapterList real{0, {basic, {"NVIDIA GeForce RTX 4070", 12ull << 30, 0x10DE, false}}, 0, 0};
    EXPECT_EQ(graphics_finding(real).value, "NVIDIA GeForce RTX 4070");
}

TEST(AbsentFinding, MemorySize)
{
    EXPECT_EQ(memory_size_finding({std::nullopt, 1, std::nullopt, 5}).why_absent,
              "GetPhysicallyInstalledSystemMemory failed with error 1; GlobalMemoryStatusEx failed with error 5");
    EXPECT_EQ(memory_size_finding({0, 0, 0, 0}).why_absent,
              "GetPhysicallyInstalledSystemMemory: 0 KiB, not 1 to 4096 GiB; GlobalMemoryStatusEx: 0 bytes, not 1 to "
              "4096 GiB");
    // The fallback still counts when the slots say nothing usable.
    EXPECT_EQ(memory_size_finding({0, 0, 16ull << 30, 0}).value, 16u);
}

TEST(AbsentFinding, MemorySpeedsSayWhatTheTableHeld)
{
    using namespace smbios_fixture;
    const auto reason = [](const Bytes& table) {
        const SmbiosMemory walk = smbios_memory(table, static_cast<std::uint32_t>(table.size()));
        EXPECT_FALSE(walk.speeds.rated || walk.speeds.configured);
        return memory_speeds_reason(walk);
    };
    // Wine's table: BIOS and system only.
    EXPECT_EQ(reason(smbios(2, 4, {bios, system_info, end_of_table})), "SMBIOS: no memory device in 102 bytes");
    EXPECT_EQ(reason(smbios({memory_array, memory_device({.size = 0}), memory_device({.size = 0}), end_of_table})),
              "SMBIOS: 2 memory devices, none populated");
    EXPECT_EQ(reason(smbios({memory_device({.size = 8192, .speed = 0, .configured = 0}),
                             memory_device({.size = 8192, .speed = 0}), memory_device({.size = 0}), end_of_table})),
              "SMBIOS: 3 memory devices, none with a valid speed");
    Bytes cut = smbios({bios, memory_device({.size = 8192, .speed = 3200})});
    cut[8 + 1] = 0xF0;  // the first structure claims more than the table holds
    EXPECT_EQ(reason(cut), "SMBIOS: a malformed table of " + std::to_string(cut.size() - 8) +
                               " bytes, no memory device read");
}

TEST(AbsentFinding, Display)
{
    const std::vector<DisplayInfo> none;
    const std::vector<DisplayInfo> xvfb = {{{1920, 1080, 0}, {{1920, 1080, 0}, {1024, 768, 0}, {800, 600, 0}}}};
    const std::vector<DisplayInfo> tiny = {{{200, 100, 60}, {}}};
    EXPECT_EQ(display_size_reason(none), "no display attached to the desktop with a readable current mode");
    EXPECT_EQ(display_size_reason(tiny), "1 display, none of 320 x 200 to 16384 x 16384 (the first is 200 x 100)");
    EXPECT_EQ(refresh_rate_reason(xvfb),
              "1 display of a valid size, none with a current rate of 2 to 1000 Hz (the first reports 0 Hz)");
    EXPECT_EQ(refresh_rate_reason(tiny), display_size_reason(tiny));
    EXPECT_EQ(max_refresh_reason(xvfb), "1 display with 3 modes, none at its current size with a rate of 2 to 1000 Hz");
    EXPECT_EQ(max_refresh_reason(none), display_size_reason(none));
}

TEST(AbsentFinding, Storage)
{
    constexpr std::uint32_t scsi = 1, usb = 7, sata = 11;
    struct Case {
        StorageRead read;
        std::string why;
    };
    const Case cases[] = {
        {{{}, 0, 5, 0, 0}, "PhysicalDrive0..15: none could be opened (error 5)"},
        {{{}, 1, 2, 1, 0}, "PhysicalDrive0..15: 1 opened, none answered the device query (error 1)"},
        {{{{usb, 0}}, 1, 2, 0, 0}, "PhysicalDrive0..15: 1 answered, all on USB, SD, MMC or virtual buses"},
        // Wine: one SCSI drive that refuses the seek-penalty query.
        {{{{scsi, 2}}, 1, 2, 0, 50}, "PhysicalDrive0..15: none answered the seek-penalty query (error 50)"},
        {{{{usb, 0}, {sata, 2}}, 2, 2, 0, 0}, "PhysicalDrive0..15: none answered the seek-penalty query"},
    };
    for (const Case& c : cases) {
        const Finding<std::string_view> f = storage_finding(c.read);
        EXPECT_FALSE(f.value);
        EXPECT_EQ(f.why_absent, c.why);
    }
    EXPECT_EQ(storage_finding({{{sata, 0}}, 1, 0, 0, 0}).value, "ssd");
}

TEST(AbsentFinding, Settings)
{
    const RegistryRead<std::uint32_t> missing{std::nullopt, 2, 0};
    const RegistryRead<std::uint32_t> three{3u, 0, 4};
    const RegistryRead<std::string> text_missing{std::nullopt, 2, 0};
    const RegistryRead<std::string> other_text{std::string("3"), 0, 4};
    const std::pair<std::string, std::string> cases[] = {
        {power_plan_reason(120), "PowerGetActiveScheme failed with error 120"},
        {power_plan_reason(0), "PowerGetActiveScheme succeeded without a scheme"},
        {power_mode_reason(), "ActiveOverlayAcPowerScheme: not a known overlay GUID"},
        {toggle_reason("HwSchMode", missing, "1 or 2"), "HwSchMode: RegGetValueW failed with error 2"},
        {toggle_reason("HwSchMode", three, "1 or 2"), "HwSchMode: 3 is not 1 or 2"},
        {game_capture_reason(missing, {std::nullopt, 0, 2}),
         "GameDVR_Enabled: RegGetValueW failed with error 2; AppCaptureEnabled: a REG_DWORD of 2 bytes"},
        {windowed_optimizations_reason(text_missing), "DirectXUserGlobalSettings: RegGetValueW failed with error 2"},
        {windowed_optimizations_reason(other_text), "DirectXUserGlobalSettings: no SwapEffectUpgradeEnable of 0 or 1"},
        {mouse_acceleration_reason(other_text), "MouseSpeed: not 0, 1 or 2"},
        {windows_directory_reason(0, 122), "GetSystemWindowsDirectoryW gave a length of 0 (error 122)"},
        {windows_directory_reason(2, 0), "GetSystemWindowsDirectoryW gave a length of 2"},
        {free_space_reason(21), "GetDiskFreeSpaceExW failed with error 21"},
        {battery_reason(std::nullopt, 31), "GetSystemPowerStatus failed with error 31"},
        {battery_reason(PowerStatus{1, 128}, 0), "BatteryFlag 128: no system battery"},
        {battery_reason(PowerStatus{1, 255}, 0), "BatteryFlag 255: battery status unknown"},
        {battery_reason(PowerStatus{255, 8}, 0), "ACLineStatus 255: neither on battery nor on mains"},
        {os_build_reason(false, 0, 0), "RtlGetVersion not found in ntdll.dll"},
        {os_build_reason(true, static_cast<std::int32_t>(0xC0000005), 0),
         "RtlGetVersion failed with HRESULT 0xc0000005"},
        {os_build_reason(true, 0, 0), "RtlGetVersion gave build number 0"},
    };
    for (const auto& [got, want] : cases) EXPECT_EQ(got, want);
}
