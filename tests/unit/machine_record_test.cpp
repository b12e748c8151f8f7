// The machine record: reading, writing back, refusing what it does not
// understand, and the SMBIOS memory devices taken out of a table and built back.
#include "kit/machine_record.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <variant>

#include "checks/memory.h"
#include "smbios_fixture.h"

#if defined(QD_MACHINES_DIR)
#include <filesystem>
#endif

using namespace qd::test;

using namespace qd::kit;
using namespace qd::checks;

namespace {

MachineRecord parsed(std::string_view text)
{
    auto result = parse_record(text);
    if (const auto* error = std::get_if<RecordError>(&result)) {
        ADD_FAILURE() << describe(*error) << "\n" << text;
        return {};
    }
    return std::get<MachineRecord>(std::move(result));
}

const char* const sample = "# made by hand\r\n"
                           "quellix-record 1\r\n"
                           "what a laptop  with  doubled blanks %25 \r\n"
                           "expect graphics NVIDIA GeForce RTX 3060 Laptop GPU\n"
                           "time graphics 213.80 ms\n"
                           "reason storage every drive refused the query\n"
                           "link https://quellix.gg/detect?src=app\n"
                           "dxgi factory-error=0x887a0004\n"
                           "adapter 0 vendor=0x10de device=0x2520 dedicated=6287261696 shared=8573157376 flags=0x0 "
                           "desc=  NVIDIA  GeForce%20\n"
                           "adapter 1 desc-error=0x80004005\n"
                           "adapter 2 enum-error=0x887a0001\n"
                           "display-device 0 flags=0x5 name=\\\\.\\DISPLAY1\n"
                           "display-device 1 fails=yes\n"
                           "mode \\\\.\\DISPLAY1 current 2560x1440@144\n"
                           "mode - 3 fails\n"
                           "drive 0 open-error=2\n"
                           "drive 1 device-bytes=40 bus=17 seek-error=1\n"
                           "drive 2 device-error=50\n"
                           "drive 3 device-bytes=40 bus=11 seek-bytes=9 penalty=1\n"
                           "memory installed-kib=16777216\n"
                           "memory total-phys=16929521664 available-phys=6442450944\n"
                           "smbios table size=3000 got=3000 version=3.4 end=bad-length\n"
                           "smbios memory-device length=0x54 size=0x4000 speed=65535 extended-speed=6400\n"
                           "power scheme=381B4222-f694-41f0-9685-ff5bb260df2e\n"
                           "power ac-line=0 battery-flag=1 battery-percent=81\n"
                           "registry HKCU Control%20Panel\\Mouse MouseSpeed text= 2 \n"
                           "registry HKLM SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers HwSchMode dword=2\n"
                           "windows directory=C:\\Windows\n"
                           "windows free-bytes=1073741824\n"
                           "windows build=22631 version-status=0\n";

}  // namespace

TEST(MachineRecord, ReadsEverySection)
{
    const MachineRecord r = parsed(sample);
    EXPECT_EQ(r.what, "a laptop  with  doubled blanks % ");
    EXPECT_EQ(r.expected("graphics"), "NVIDIA GeForce RTX 3060 Laptop GPU");
    EXPECT_EQ(r.expected("storage"), std::nullopt);
    ASSERT_EQ(r.times.size(), 1u);
    EXPECT_EQ(r.times[0].second, "213.80 ms");
    EXPECT_EQ(r.reasons[0].second, "every drive refused the query");
    EXPECT_EQ(r.link, "https://quellix.gg/detect?src=app");
    EXPECT_EQ(r.dxgi_error, 0x887a0004u);

    ASSERT_EQ(r.adapters.size(), 3u);
    EXPECT_EQ(r.adapters[0].description, "  NVIDIA  GeForce ");  // blanks kept, the last one escaped
    EXPECT_EQ(r.adapters[0].dedicated, 6287261696u);
    EXPECT_EQ(r.adapters[0].shared, 8573157376u);
    EXPECT_EQ(r.adapters[1].desc_error, 0x80004005u);
    EXPECT_EQ(r.adapters[1].enum_error, 0u);
    EXPECT_EQ(r.adapters[2].enum_error, 0x887a0001u);

    ASSERT_EQ(r.display_devices.size(), 2u);
    EXPECT_EQ(r.display_devices[0].name, "\\\\.\\DISPLAY1");
    EXPECT_EQ(r.display_devices[0].flags, 5u);
    EXPECT_TRUE(r.display_devices[1].fails);
    ASSERT_EQ(r.modes.size(), 2u);
    EXPECT_EQ(r.modes[0].device, "\\\\.\\DISPLAY1");
    EXPECT_EQ(r.modes[0].index, std::nullopt);
    EXPECT_EQ(r.modes[0].mode->rate_hz, 144u);
    EXPECT_EQ(r.modes[1].device, std::nullopt);
    EXPECT_EQ(r.modes[1].index, 3u);
    EXPECT_FALSE(r.modes[1].mode);

    ASSERT_EQ(r.drives.size(), 4u);
    EXPECT_EQ(r.drives[0].open_error, 2u);
    EXPECT_EQ(r.drives[1].seek_error, 1u);
    EXPECT_EQ(r.drives[2].device_error, 50u);
    EXPECT_EQ(r.drives[3].seek_bytes, 9u);
    EXPECT_EQ(r.drives[3].penalty, 1u);

    EXPECT_EQ(r.installed_kib, 16777216u);
    EXPECT_EQ(r.available_phys, 6442450944u);
    EXPECT_TRUE(r.smbios.present);
    EXPECT_EQ(r.smbios.size, 3000u);
    EXPECT_EQ(r.smbios.end, SmbiosEnd::BadLength);
    ASSERT_EQ(r.smbios.devices.size(), 1u);
    EXPECT_EQ(r.smbios.devices[0].extended_speed, 6400u);

    ASSERT_TRUE(r.scheme);
    EXPECT_EQ(power_plan_code(r.scheme), "bal");
    EXPECT_EQ(r.power->battery_percent, 81);
    const RecordedValue* mouse = r.value(RegistryRootName::CurrentUser, "control panel\\mouse", "MouseSpeed");
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(mouse->text, " 2 ");
    EXPECT_EQ(r.value(RegistryRootName::LocalMachine, "Control Panel\\Mouse", "MouseSpeed"), nullptr);
    EXPECT_EQ(r.value(RegistryRootName::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers",
                      "HwSchMode")
                  ->dword,
              2u);
    EXPECT_EQ(r.windows_directory, "C:\\Windows");
    EXPECT_EQ(r.os_build, 22631u);
}

TEST(MachineRecord, WrittenSectionsReadBackTheSame)
{
    const MachineRecord r = parsed(sample);
    const std::string written = write_raw_sections(r);
    const MachineRecord again = parsed("quellix-record 1\n" + written);
    EXPECT_EQ(write_raw_sections(again), written);
    // Texts with every character the escaping must carry.
    MachineRecord odd;
    odd.adapters.push_back({.index = 0, .description = "tab\there, 100% \"ok\"\nnext line, é, trailing  "});
    odd.registry.push_back({RegistryRootName::CurrentUser, "Key with blanks\\x", " name ", "", {}});
    odd.display_devices.push_back({.index = 0, .name = "\\\\.\\DISPLAY 1"});
    odd.modes.push_back({"\\\\.\\DISPLAY 1", 0, DisplayMode{1, 2, 3}});
    const MachineRecord back = parsed("quellix-record 1\n" + write_raw_sections(odd));
    ASSERT_EQ(back.adapters.size(), 1u);
    EXPECT_EQ(back.adapters[0].description, odd.adapters[0].description);
    ASSERT_EQ(back.registry.size(), 1u);
    EXPECT_EQ(back.registry[0].subkey, "Key with blanks\\x");
    EXPECT_EQ(back.registry[0].name, " name ");
    EXPECT_EQ(back.registry[0].text, "");
    EXPECT_EQ(back.modes[0].device, "\\\\.\\DISPLAY 1");
    EXPECT_EQ(back.display_devices[0].name, "\\\\.\\DISPLAY 1");
}

TEST(MachineRecord, RefusesWhatItDoesNotUnderstand)
{
    const struct {
        const char* text;
        std::size_t line;
    } cases[] = {
        {"", 0},
        {"# only a comment\n", 0},
        {"what no tag first\n", 1},
        {"quellix-record 2\n", 1},
        {"quellix-record 1 extra\n", 1},
        {"quellix-record 1\nadaptor 0 vendor=1\n", 2},
        {"quellix-record 1\nadapter 0 vendr=1\n", 2},
        {"quellix-record 1\nadapter x vendor=1\n", 2},
        {"quellix-record 1\nadapter\n", 2},
        {"quellix-record 1\nadapter 0 vendor\n", 2},
        {"quellix-record 1\nadapter 0 vendor=0x100000000\n", 2},
        {"quellix-record 1\nadapter 0 dedicated=18446744073709551616\n", 2},
        {"quellix-record 1\n\nmode \\\\.\\DISPLAY1 current 1920x1080\n", 3},
        {"quellix-record 1\nmode - current 1920x1080@60 extra\n", 2},
        {"quellix-record 1\ndrive 0 penalty=256\n", 2},
        {"quellix-record 1\nsmbios table version=3\n", 2},
        {"quellix-record 1\nsmbios memory-device length=3\n", 2},
        {"quellix-record 1\nsmbios nothing\n", 2},
        {"quellix-record 1\npower scheme=381b4222-f694-41f0-9685-ff5bb260df2\n", 2},
        {"quellix-record 1\npower scheme=381b4222-f694-41f0-9685-ff5bb260df2ef\n", 2},
        {"quellix-record 1\nregistry HKCR Software x dword=1\n", 2},
        {"quellix-record 1\nregistry HKCU Software x\n", 2},
        {"quellix-record 1\nregistry HKCU Software x dword=1 dword=2\n", 2},
        {"quellix-record 1\nwhat bad escape %4\n", 2},
        {"quellix-record 1\nwhat bad escape %zz\n", 2},
        {"quellix-record 1\ndisplay-device 0 fails=no\n", 2},
    };
    for (const auto& c : cases) {
        const auto result = parse_record(c.text);
        const auto* error = std::get_if<RecordError>(&result);
        ASSERT_NE(error, nullptr) << c.text;
        EXPECT_EQ(error->line, c.line) << c.text << ": " << describe(*error);
        EXPECT_FALSE(error->message.empty());
    }
}

TEST(MachineRecord, ExpectationsOfAReport)
{
    ScanReport report;
    report.graphics_name = "Acme";
    report.display_size = DisplaySize{2560, 1440};
    report.storage_kind = "nvme";
    report.settings.game_mode = TriState::Off;
    report.settings.free_space_gb = 0;
    const auto pairs = report_expectations(report);
    const auto value = [&](std::string_view key) {
        for (const auto& [k, v] : pairs)
            if (k == key) return v;
        return std::string("(none)");
    };
    EXPECT_EQ(pairs.size(), 21u);
    EXPECT_EQ(value("graphics"), "Acme");
    EXPECT_EQ(value("processor"), "absent");
    EXPECT_EQ(value("display-size"), "2560x1440");
    EXPECT_EQ(value("storage"), "nvme");
    EXPECT_EQ(value("game-mode"), "off");
    EXPECT_EQ(value("on-battery"), "absent");
    EXPECT_EQ(value("free-space-gb"), "0");
    EXPECT_EQ(fact_line("expect", "graphics", "a %b "), "expect graphics a %25b%20\n");
}

// The memory devices taken out of a table and built back give the reader the
// same speeds, and the table itself never goes into the record.
TEST(MachineRecord, SmbiosMemoryDevicesBuiltBackGiveTheSameSpeeds)
{
    using namespace smbios_fixture;
    const Bytes tables[] = {
        smbios(3, 3,
               {bios, system_info, memory_array, memory_device({.size = 0}),
                memory_device({.speed = 2133, .configured = 3200}), end_of_table}),
        smbios(3, 4, {memory_device({.speed = 0xFFFF, .configured = 0xFFFF, .extended_speed = 6400})}),
        smbios(3, 4, {memory_device({.length = 0x54, .speed = 0xFFFF, .configured = 3200})}),
        smbios(2, 7, {memory_device({.length = 0x22, .speed = 1600, .configured = 1333}), end_of_table}),
        smbios({end_of_table, memory_device({.speed = 3200})}),
        smbios({structure(1, 2), memory_device({.speed = 3200})}),  // a length below 4 ends the walk
        smbios({memory_device({.speed = 25000, .configured = 0}), memory_device({.speed = 4800})}),
    };
    for (const Bytes& raw : tables) {
        const auto got = static_cast<std::uint32_t>(raw.size());
        const RecordedSmbios recorded = smbios_memory_devices(raw, got, got);
        const std::vector<std::uint8_t> rebuilt = smbios_table(recorded);
        const MemorySpeeds want = memory_speeds_from_smbios(raw, got);
        const MemorySpeeds have = memory_speeds_from_smbios(rebuilt, static_cast<std::uint32_t>(rebuilt.size()));
        EXPECT_EQ(have.rated, want.rated) << raw.size();
        EXPECT_EQ(have.configured, want.configured) << raw.size();
        // Through the text as well.
        MachineRecord r;
        r.smbios = recorded;
        const MachineRecord back = parsed("quellix-record 1\n" + write_raw_sections(r));
        EXPECT_EQ(smbios_table(back.smbios), rebuilt);
        // No string of the table ("Acme", "DIMM A1", the firmware's) is carried over.
        const std::string text(rebuilt.begin(), rebuilt.end());
        EXPECT_EQ(text.find("Acme"), std::string::npos);
        EXPECT_EQ(text.find("DIMM"), std::string::npos);
    }
    // A short read keeps nothing of the table.
    const Bytes raw = smbios({memory_device({.speed = 3200})});
    EXPECT_TRUE(smbios_memory_devices(raw, static_cast<std::uint32_t>(raw.size()), 7).devices.empty());
}

#if defined(QD_MACHINES_DIR)
// Every machine the readers' tests replay reads without error and states what
// it expects.
TEST(MachineRecord, EveryMachineFileReads)
{
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QD_MACHINES_DIR)) {
        if (entry.path().extension() != ".txt") continue;
        ++files;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const MachineRecord r = parsed(text.str());
        EXPECT_FALSE(r.what.empty()) << entry.path();
        EXPECT_FALSE(r.expect.empty()) << entry.path();
    }
    EXPECT_GE(files, 4);
}
#endif
