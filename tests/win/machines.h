// Real-looking Windows 10/11 machines for the hardware readers' tests: what
// each machine's system calls answer, with the structures and byte layouts the
// system uses, and what the program should make of it. Each reader's test
// answers the reader's small struct of system calls from this table and holds
// the reader to each call's contract (sizes set before the call, the right
// query, every handle closed).
#pragma once
#include "checks/display_win.h"
#include "checks/graphics_win.h"
#include "checks/memory_win.h"
#include "checks/settings_win.h"
#include "checks/storage_win.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "../unit/smbios_fixture.h"

namespace qd::test {

using namespace qd::checks;

// One adapter as DXGI describes it. The shared system memory differs from the
// dedicated memory and between adapters: an integrated adapter shares the most
// and has the least of its own. `described`: GetDesc1's result for it;
// `listed`: EnumAdapters1's for its index (E_POINTER stands for success
// without an adapter), a failure there ending the list.
struct FakeAdapter {
    const wchar_t* description;
    UINT vendor;
    UINT device;
    SIZE_T dedicated_bytes;
    SIZE_T shared_bytes;
    UINT flags = 0;
    HRESULT described = S_OK;
    HRESULT listed = S_OK;
};

inline constexpr UINT software = DXGI_ADAPTER_FLAG_SOFTWARE;
inline constexpr SIZE_T mib = 1 << 20;

// The adapter Windows lists last on every machine.
inline const FakeAdapter basic_render_driver{L"Microsoft Basic Render Driver", 0x1414, 0x8C, 0, 4096 * mib,
                                                   software};

// The built-in power schemes, and one a vendor made.
inline constexpr GUID balanced = {0x381b4222, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e}};
inline constexpr GUID high_performance = {0x8c5e7fda, 0xe8bf, 0x4a96, {0x9a, 0x85, 0xa6, 0xe2, 0x3a, 0x8c, 0x63, 0x5c}};
inline constexpr GUID ultimate = {0xe9a42b02, 0xd5df, 0x448d, {0xaa, 0x00, 0x03, 0xf1, 0x47, 0x49, 0xeb, 0x61}};
inline constexpr GUID vendor_plan = {0x27fa6203, 0x3987, 0x4dcc, {0x91, 0x8d, 0x74, 0x8c, 0x4b, 0x4e, 0x1c, 0x7a}};

// One display device as EnumDisplayDevicesW lists it, with its modes.
struct FakeDisplay {
    std::wstring name;                     // "\\.\DISPLAY1"
    DWORD flags = 0;                       // StateFlags
    std::optional<DisplayMode> current{};  // absent: ENUM_CURRENT_SETTINGS fails (a detached output)
    std::vector<DisplayMode> modes{};
};

inline constexpr DWORD attached = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP;
inline constexpr DWORD primary = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | DISPLAY_DEVICE_PRIMARY_DEVICE;

// STORAGE_BUS_TYPE values.
inline constexpr std::uint32_t scsi = 1, usb = 7, sata = 11, file_backed = 15, nvme = 17;

// One PhysicalDriveN.
struct FakeDrive {
    unsigned number = 0;
    DWORD open_error = 0;                // CreateFileW fails with this error
    std::optional<std::uint32_t> bus{};  // absent: the device query fails
    int seek_penalty = -1;               // IncursSeekPenalty; -1: the query fails
    DWORD seek_reply_bytes = 12;         // what the seek-penalty query says it wrote
};

struct Machine {
    const char* what;
    std::vector<FakeAdapter> adapters{};
    std::vector<FakeDisplay> displays{};
    bool device_list_fails = false;  // EnumDisplayDevicesW fails from the first device on
    std::vector<FakeDrive> drives{};
    std::optional<ULONGLONG> installed_kib{};  // absent: GetPhysicallyInstalledSystemMemory fails
    ULONGLONG total_bytes = 0;                 // MEMORYSTATUSEX
    ULONGLONG available_bytes = 0;
    smbios_fixture::Bytes smbios{};  // empty: no firmware table
    std::optional<GUID> scheme{};    // absent: PowerGetActiveScheme fails
    SYSTEM_POWER_STATUS power{};

    // What the program should make of it.
    std::optional<std::string> graphics{};
    std::optional<DisplaySize> display_size{};
    std::optional<std::uint32_t> refresh_hz{};
    std::optional<std::uint32_t> max_refresh_hz{};
    std::optional<std::string_view> storage{};
    std::optional<std::uint32_t> memory_gb{};
    MemorySpeeds speeds{};
    std::optional<std::string_view> power_plan{};
    TriState on_battery = TriState::Absent;
};

// SYSTEM_POWER_STATUS: line, battery flag, percent, then the rest a real machine fills.
inline SYSTEM_POWER_STATUS power(BYTE ac, BYTE battery_flag, BYTE percent)
{
    SYSTEM_POWER_STATUS s = {};
    s.ACLineStatus = ac;
    s.BatteryFlag = battery_flag;
    s.BatteryLifePercent = percent;
    s.BatteryLifeTime = ac == 0 ? 9000 : 0xFFFFFFFF;
    s.BatteryFullLifeTime = 0xFFFFFFFF;
    return s;
}

inline const std::vector<Machine>& machines()
{
    using smbios_fixture::bios;
    using smbios_fixture::end_of_table;
    using smbios_fixture::memory_array;
    using smbios_fixture::memory_device;
    using smbios_fixture::smbios;
    using smbios_fixture::system_info;
    static const std::vector<Machine> list = {
        {
            .what = "desktop: one discrete GPU with four outputs, one monitor; NVMe, SATA hard drive, USB stick",
            .adapters = {{L"NVIDIA GeForce RTX 3070", 0x10DE, 0x2484, 8031 * mib, 16349 * mib}, basic_render_driver},
            .displays =
                {{L"\\\\.\\DISPLAY1",
                  primary,
                  DisplayMode{2560, 1440, 144},
                  {{1920, 1080, 60}, {2560, 1440, 60}, {2560, 1440, 120}, {2560, 1440, 144}, {2560, 1440, 165}}},
                 {L"\\\\.\\DISPLAY2", 0, std::nullopt, {}},
                 {L"\\\\.\\DISPLAY3", 0, std::nullopt, {}},
                 {L"\\\\.\\DISPLAY4", 0, std::nullopt, {}}},
            .drives = {{.number = 0, .bus = nvme, .seek_penalty = 0},
                       {.number = 1, .bus = sata, .seek_penalty = 1},
                       {.number = 2, .bus = usb, .seek_penalty = -1}},
            .installed_kib = 33554432,
            .total_bytes = 34287550464,
            .available_bytes = 21474836480,
            // SMBIOS 3.3, four slots, two DDR4 modules running their XMP profile.
            .smbios = smbios(3, 3,
                             {bios, system_info, memory_array, memory_device({.length = 0x5C, .size = 0}),
                              memory_device({.length = 0x5C, .speed = 2133, .configured = 3200}),
                              memory_device({.length = 0x5C, .size = 0}),
                              memory_device({.length = 0x5C, .speed = 2133, .configured = 3200}), end_of_table}),
            .scheme = ultimate,
            .power = power(1, 128, 255),
            .graphics = "NVIDIA GeForce RTX 3070",
            .display_size = DisplaySize{2560, 1440},
            .refresh_hz = 144u,
            .max_refresh_hz = 165u,
            .storage = "nvme",
            .memory_gb = 32u,
            .speeds = {2133u, 3200u},
            .power_plan = "up",
            .on_battery = TriState::Absent,
        },
        {
            .what = "hybrid laptop on battery: panel on the integrated GPU, monitor on the discrete one",
            .adapters = {{L"Intel(R) UHD Graphics", 0x8086, 0x9A60, 128 * mib, 8067 * mib},
                         {L"NVIDIA GeForce RTX 3060 Laptop GPU", 0x10DE, 0x2520, 5996 * mib, 7939 * mib},
                         basic_render_driver},
            .displays = {{L"\\\\.\\DISPLAY1",
                          primary,
                          DisplayMode{1920, 1080, 144},
                          {{1920, 1080, 48}, {1920, 1080, 60}, {1920, 1080, 144}, {1280, 720, 144}}},
                         {L"\\\\.\\DISPLAY2", 0, std::nullopt, {}},
                         {L"\\\\.\\DISPLAY3", 0, std::nullopt, {}},
                         {L"\\\\.\\DISPLAY4", 0, std::nullopt, {}},
                         {L"\\\\.\\DISPLAY5",
                          attached,
                          DisplayMode{2560, 1440, 60},
                          {{1920, 1080, 60}, {2560, 1440, 59}, {2560, 1440, 60}}}},
            .drives = {{.number = 0, .bus = nvme, .seek_penalty = 0}},
            .installed_kib = 16777216,
            .total_bytes = 16929521664,
            .available_bytes = 6442450944,
            // SMBIOS 3.4, two SODIMM slots; speeds in the 32-bit extension fields.
            .smbios = smbios(
                3, 4,
                {bios, system_info, memory_array,
                 memory_device(
                     {.speed = 0xFFFF, .configured = 0xFFFF, .extended_speed = 4800, .extended_configured = 4800}),
                 memory_device(
                     {.speed = 0xFFFF, .configured = 0xFFFF, .extended_speed = 4800, .extended_configured = 4800}),
                 end_of_table}),
            .scheme = balanced,
            .power = power(0, 1, 81),  // on battery, battery high
            .graphics = "NVIDIA GeForce RTX 3060 Laptop GPU",
            .display_size = DisplaySize{2560, 1440},
            .refresh_hz = 144u,
            .max_refresh_hz = 144u,
            .storage = "nvme",
            .memory_gb = 16u,
            .speeds = {4800u, 4800u},
            .power_plan = "bal",
            .on_battery = TriState::On,
        },
        {
            .what = "virtual machine over a remote session: no display device listed, PhysicalDrive0 gone",
            .adapters = {{L"Microsoft Remote Display Adapter", 0x1414, 0x8D, 0, 4095 * mib}, basic_render_driver},
            .displays = {{L"\\\\.\\DISPLAY1", primary, DisplayMode{1024, 768, 1}, {{800, 600, 1}, {1024, 768, 1}}}},
            .device_list_fails = true,
            .drives = {{.number = 0, .open_error = ERROR_FILE_NOT_FOUND},
                       {.number = 1, .bus = scsi, .seek_penalty = 0},
                       {.number = 2, .bus = file_backed, .seek_penalty = 0}},
            .installed_kib = std::nullopt,  // the firmware's memory tables say nothing usable
            .total_bytes = 8588820480,
            .available_bytes = 3221225472,
            // SMBIOS 2.8: the hypervisor's memory device reports no speeds.
            .smbios = smbios(
                2, 8, {bios, system_info, memory_array, memory_device({.length = 0x28, .size = 0x2000}), end_of_table}),
            .scheme = high_performance,
            .power = power(1, 255, 255),  // status unknown
            .graphics = std::nullopt,
            .display_size = DisplaySize{1024, 768},
            .refresh_hz = std::nullopt,
            .max_refresh_hz = std::nullopt,
            .storage = "ssd",
            .memory_gb = 8u,
            .speeds = {},
            .power_plan = "hp",
            .on_battery = TriState::Absent,
        },
        {
            .what =
                "desktop: APU and discrete card with equal memory; SATA hard drive, an SSD it cannot open, USB stick",
            .adapters = {{L"AMD Radeon(TM) Graphics", 0x1002, 0x1638, 4096 * mib, 3967 * mib},
                         {L"AMD Radeon RX 6500 XT", 0x1002, 0x743F, 4096 * mib, 3839 * mib},
                         basic_render_driver},
            .displays = {{L"\\\\.\\DISPLAY1", 0, std::nullopt, {}},
                         {L"\\\\.\\DISPLAY2",
                          primary,
                          DisplayMode{1920, 1080, 60},
                          {{1024, 768, 60}, {1920, 1080, 50}, {1920, 1080, 60}, {1920, 1080, 75}}}},
            .drives = {{.number = 0, .bus = sata, .seek_penalty = 1},
                       {.number = 1, .open_error = ERROR_ACCESS_DENIED, .bus = sata, .seek_penalty = 0},
                       {.number = 3, .bus = usb, .seek_penalty = 0}},
            .installed_kib = 8388608,
            .total_bytes = 8522825728,
            .available_bytes = 4294967296,
            .smbios = smbios(
                2, 7,
                {bios, memory_array, memory_device({.length = 0x22, .speed = 1600, .configured = 1333}), end_of_table}),
            .scheme = vendor_plan,
            .power = power(1, 128, 255),
            .graphics = "AMD Radeon RX 6500 XT",
            .display_size = DisplaySize{1920, 1080},
            .refresh_hz = 60u,
            .max_refresh_hz = 75u,
            .storage = "hdd",
            .memory_gb = 8u,
            .speeds = {1600u, 1333u},
            .power_plan = "oth",
            .on_battery = TriState::Absent,
        },
    };
    return list;
}

// The machine a fake's context points at: the readers' seams are plain
// function pointers, each handed the context its api carries.
inline const Machine& machine_in(void* context) { return *static_cast<const Machine*>(context); }
inline void* context_of(const Machine& m) { return const_cast<Machine*>(&m); }

}  // namespace qd::test
