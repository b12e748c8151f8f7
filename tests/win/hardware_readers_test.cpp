// The hardware readers against the answers real Windows 10/11 machines give.
// Each reader takes its system calls as a small struct; the fakes here answer
// them from a table of machines, with the structures and byte layouts the
// system uses, and hold the reader to each call's contract (sizes set before
// the call, the right query, every handle closed).
#include "checks/display_win.h"
#include "checks/graphics_win.h"
#include "checks/memory_win.h"
#include "checks/scan_win.h"
#include "checks/settings_win.h"
#include "checks/storage_win.h"
#include "checks/wide_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "../unit/smbios_fixture.h"

using namespace qd::checks;

namespace {

using smbios_fixture::Bytes;

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

constexpr UINT software = DXGI_ADAPTER_FLAG_SOFTWARE;
constexpr SIZE_T mib = 1 << 20;

// The adapter Windows lists last on every machine.
const FakeAdapter basic_render_driver{L"Microsoft Basic Render Driver", 0x1414, 0x8C, 0, 4096 * mib, software};

// The built-in power schemes, and one a vendor made.
constexpr GUID balanced = {0x381b4222, 0xf694, 0x41f0, {0x96, 0x85, 0xff, 0x5b, 0xb2, 0x60, 0xdf, 0x2e}};
constexpr GUID high_performance = {0x8c5e7fda, 0xe8bf, 0x4a96, {0x9a, 0x85, 0xa6, 0xe2, 0x3a, 0x8c, 0x63, 0x5c}};
constexpr GUID ultimate = {0xe9a42b02, 0xd5df, 0x448d, {0xaa, 0x00, 0x03, 0xf1, 0x47, 0x49, 0xeb, 0x61}};
constexpr GUID vendor_plan = {0x27fa6203, 0x3987, 0x4dcc, {0x91, 0x8d, 0x74, 0x8c, 0x4b, 0x4e, 0x1c, 0x7a}};

// One display device as EnumDisplayDevicesW lists it, with its modes.
struct FakeDisplay {
    std::wstring name;                     // "\\.\DISPLAY1"
    DWORD flags = 0;                       // StateFlags
    std::optional<DisplayMode> current{};  // absent: ENUM_CURRENT_SETTINGS fails (a detached output)
    std::vector<DisplayMode> modes{};
};

constexpr DWORD attached = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP;
constexpr DWORD primary = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | DISPLAY_DEVICE_PRIMARY_DEVICE;

// STORAGE_BUS_TYPE values.
constexpr std::uint32_t scsi = 1, usb = 7, sata = 11, file_backed = 15, nvme = 17;

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
    Bytes smbios{};                // empty: no firmware table
    std::optional<GUID> scheme{};  // absent: PowerGetActiveScheme fails
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

constexpr ULONGLONG gib = 1ULL << 30;

// SYSTEM_POWER_STATUS: line, battery flag, percent, then the rest a real machine fills.
SYSTEM_POWER_STATUS power(BYTE ac, BYTE battery_flag, BYTE percent)
{
    SYSTEM_POWER_STATUS s = {};
    s.ACLineStatus = ac;
    s.BatteryFlag = battery_flag;
    s.BatteryLifePercent = percent;
    s.BatteryLifeTime = ac == 0 ? 9000 : 0xFFFFFFFF;
    s.BatteryFullLifeTime = 0xFFFFFFFF;
    return s;
}

using smbios_fixture::bios;
using smbios_fixture::end_of_table;
using smbios_fixture::memory_array;
using smbios_fixture::memory_device;
using smbios_fixture::smbios;
using smbios_fixture::system_info;

const std::vector<Machine>& machines()
{
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

// The machine a fake's context points at.
const Machine& machine_in(void* context) { return *static_cast<const Machine*>(context); }
void* context_of(const Machine& m) { return const_cast<Machine*>(&m); }

// DXGI's adapter list answered from a machine; the list is the machine itself.
GraphicsApi graphics_api(const Machine& machine)
{
    GraphicsApi api;
    api.context = context_of(machine);
    api.open_list = [](void* context) { return context; };
    api.read_adapter = [](void* list, UINT index, DXGI_ADAPTER_DESC1* desc) -> AdapterAnswer {
        const Machine& m = machine_in(list);
        if (index >= m.adapters.size()) return {DXGI_ERROR_NOT_FOUND, E_UNEXPECTED};
        const FakeAdapter& a = m.adapters[index];
        if (FAILED(a.listed)) return {a.listed, E_UNEXPECTED};
        if (FAILED(a.described)) return {S_OK, a.described};
        *desc = {};
        wcsncpy(desc->Description, a.description, 128);
        desc->VendorId = a.vendor;
        desc->DeviceId = a.device;
        desc->DedicatedVideoMemory = a.dedicated_bytes;
        desc->SharedSystemMemory = a.shared_bytes;
        desc->AdapterLuid = {0x1000 + index, 0};
        desc->Flags = a.flags;
        return {S_OK, S_OK};
    };
    api.close_list = [](void*) {};
    return api;
}

// Display calls answered from a machine. Like the system, both refuse a
// structure whose size field was not set.
DisplayApi display_api(const Machine& machine)
{
    DisplayApi api;
    api.context = context_of(machine);
    api.enum_devices = [](void* context, DWORD index, DISPLAY_DEVICEW* device) -> BOOL {
        const Machine& m = machine_in(context);
        if (device->cb != sizeof(DISPLAY_DEVICEW) || m.device_list_fails || index >= m.displays.size()) return FALSE;
        const FakeDisplay& d = m.displays[index];
        wcsncpy(device->DeviceName, d.name.c_str(), 32);
        wcsncpy(device->DeviceString, L"Acme Graphics Adapter", 128);
        device->StateFlags = d.flags;
        return TRUE;
    };
    api.enum_settings = [](void* context, const wchar_t* name, DWORD mode_index, DEVMODEW* mode) -> BOOL {
        const Machine& m = machine_in(context);
        if (mode->dmSize != sizeof(DEVMODEW)) return FALSE;
        const FakeDisplay* display = nullptr;
        for (const FakeDisplay& d : m.displays)
            if (name == nullptr ? (d.flags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0 : d.name == name) display = &d;
        if (display == nullptr) return FALSE;
        DisplayMode chosen;
        if (mode_index == ENUM_CURRENT_SETTINGS) {
            if (!display->current) return FALSE;
            chosen = *display->current;
        } else {
            if (mode_index >= display->modes.size()) return FALSE;
            chosen = display->modes[mode_index];
        }
        mode->dmPelsWidth = chosen.width;
        mode->dmPelsHeight = chosen.height;
        mode->dmDisplayFrequency = chosen.rate_hz;
        mode->dmBitsPerPel = 32;
        mode->dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY | DM_BITSPERPEL;
        return TRUE;
    };
    return api;
}

// Drive calls answered from a machine. Each opened drive is a real event
// handle, so that the reader's closing can be checked.
struct FakeDrives {
    const Machine& machine;
    std::map<HANDLE, const FakeDrive*> open;
    std::vector<HANDLE> handed_out;

    StorageApi api()
    {
        StorageApi api;
        api.context = this;
        api.open_drive = [](void* context, const wchar_t* path) {
            return static_cast<FakeDrives*>(context)->open_drive(path);
        };
        api.control = [](void* context, HANDLE h, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size,
                         DWORD* returned) {
            return static_cast<FakeDrives*>(context)->control(h, code, in, in_size, out, out_size, returned);
        };
        return api;
    }

    HANDLE open_drive(const wchar_t* path)
    {
        for (const FakeDrive& d : machine.drives) {
            if (path != L"\\\\.\\PhysicalDrive" + std::to_wstring(d.number)) continue;
            if (d.open_error != 0) break;
            const HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            open[h] = &d;
            handed_out.push_back(h);
            return h;
        }
        const FakeDrive* d = find(path);
        SetLastError(d != nullptr ? d->open_error : ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    BOOL control(HANDLE h, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size, DWORD* returned)
    {
        *returned = 0;
        const auto found = open.find(h);
        if (found == open.end() || code != IOCTL_STORAGE_QUERY_PROPERTY || in_size != sizeof(STORAGE_PROPERTY_QUERY))
            return fail(ERROR_INVALID_PARAMETER);
        STORAGE_PROPERTY_QUERY query;
        std::memcpy(&query, in, sizeof(query));
        if (query.QueryType != PropertyStandardQuery) return fail(ERROR_INVALID_PARAMETER);
        if (out_size < 8) return fail(ERROR_INSUFFICIENT_BUFFER);
        const FakeDrive& d = *found->second;
        if (query.PropertyId == StorageDeviceProperty) {
            if (!d.bus) return fail(ERROR_INVALID_FUNCTION);
            // The whole descriptor runs on with the vendor and product strings;
            // the system writes as much as the buffer holds.
            Bytes reply(0x100, 0);
            STORAGE_DEVICE_DESCRIPTOR desc = {};
            desc.Version = sizeof(STORAGE_DEVICE_DESCRIPTOR);
            desc.Size = static_cast<DWORD>(reply.size());
            desc.BusType = static_cast<STORAGE_BUS_TYPE>(*d.bus);
            desc.RemovableMedia = *d.bus == usb;
            std::memcpy(reply.data(), &desc, sizeof(desc));
            return give(reply, out, out_size, returned);
        }
        if (query.PropertyId == StorageDeviceSeekPenaltyProperty) {
            if (d.seek_penalty < 0) return fail(ERROR_INVALID_FUNCTION);
            DEVICE_SEEK_PENALTY_DESCRIPTOR desc = {};
            desc.Version = sizeof(desc);
            desc.Size = sizeof(desc);
            desc.IncursSeekPenalty = static_cast<BOOLEAN>(d.seek_penalty);
            Bytes reply(sizeof(desc));
            std::memcpy(reply.data(), &desc, sizeof(desc));
            reply.resize(d.seek_reply_bytes);
            return give(reply, out, out_size, returned);
        }
        return fail(ERROR_NOT_SUPPORTED);
    }

    const FakeDrive* find(const wchar_t* path) const
    {
        for (const FakeDrive& d : machine.drives)
            if (path == L"\\\\.\\PhysicalDrive" + std::to_wstring(d.number)) return &d;
        return nullptr;
    }
    static BOOL fail(DWORD error)
    {
        SetLastError(error);
        return FALSE;
    }
    static BOOL give(const Bytes& reply, void* out, DWORD out_size, DWORD* returned)
    {
        *returned = std::min<DWORD>(out_size, static_cast<DWORD>(reply.size()));
        std::memcpy(out, reply.data(), *returned);
        return TRUE;
    }
    // Every handle the reader was given has been closed.
    bool all_closed() const
    {
        DWORD flags = 0;
        for (const HANDLE h : handed_out)
            if (GetHandleInformation(h, &flags)) return false;
        return true;
    }
};

// Memory calls answered from a machine. GlobalMemoryStatusEx refuses a
// structure whose length was not set, as the system does.
MemoryApi memory_api(const Machine& machine)
{
    MemoryApi api;
    api.context = context_of(machine);
    api.installed_kib = [](void* context, ULONGLONG* kib) -> BOOL {
        const Machine& m = machine_in(context);
        if (!m.installed_kib) {
            SetLastError(ERROR_INVALID_DATA);
            return FALSE;
        }
        *kib = *m.installed_kib;
        return TRUE;
    };
    api.memory_status = [](void* context, MEMORYSTATUSEX* status) -> BOOL {
        const Machine& m = machine_in(context);
        if (status->dwLength != sizeof(MEMORYSTATUSEX)) return FALSE;
        status->dwMemoryLoad = static_cast<DWORD>(100 - m.available_bytes * 100 / m.total_bytes);
        status->ullTotalPhys = m.total_bytes;
        status->ullAvailPhys = m.available_bytes;
        status->ullTotalPageFile = m.total_bytes + 4 * gib;
        status->ullAvailPageFile = m.available_bytes + 2 * gib;
        status->ullTotalVirtual = 0x7FFFFFFE0000;
        status->ullAvailVirtual = 0x7FFFFFF00000;
        return TRUE;
    };
    api.firmware_table = [](void* context, DWORD provider, DWORD table_id, void* buffer, DWORD size) -> UINT {
        const Machine& m = machine_in(context);
        if (provider != smbios_provider || table_id != 0 || m.smbios.empty()) return 0;
        const auto needed = static_cast<UINT>(m.smbios.size());
        // Too small a buffer: the size needed, nothing written.
        if (buffer != nullptr && size >= needed) std::memcpy(buffer, m.smbios.data(), needed);
        return needed;
    };
    return api;
}

PowerApi power_api(const Machine& machine)
{
    PowerApi api;
    api.context = context_of(machine);
    // Like the system, hands over a copy the caller frees with LocalFree.
    api.active_scheme = [](void* context, GUID** scheme) -> DWORD {
        const Machine& m = machine_in(context);
        if (!m.scheme) return ERROR_FILE_NOT_FOUND;
        *scheme = static_cast<GUID*>(LocalAlloc(LMEM_FIXED, sizeof(GUID)));
        **scheme = *m.scheme;
        return ERROR_SUCCESS;
    };
    api.power_status = [](void* context, SYSTEM_POWER_STATUS* status) -> BOOL {
        *status = machine_in(context).power;
        return TRUE;
    };
    return api;
}

const char* name(TriState t) { return t == TriState::On ? "On" : t == TriState::Off ? "Off" : "Absent"; }

}  // namespace

TEST(GraphicsReader, EachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        EXPECT_EQ(probe_graphics(graphics_api(m)), m.graphics);
    }
}

TEST(GraphicsReader, AdaptersThatCannotBeDescribedAreSkipped)
{
    Machine m = machines()[1];
    m.adapters[0].described = E_FAIL;  // the first and the last fail, the list goes on
    m.adapters.push_back({L"NVIDIA GeForce RTX 4090", 0x10DE, 0x2684, 24 * 1024 * mib, 8192 * mib, 0, E_FAIL});
    EXPECT_EQ(probe_graphics(graphics_api(m)), "NVIDIA GeForce RTX 3060 Laptop GPU");
    GraphicsApi no_dxgi;
    no_dxgi.open_list = [](void*) -> void* { return nullptr; };
    EXPECT_EQ(probe_graphics(no_dxgi), std::nullopt);
}

TEST(GraphicsReader, AFailedListingEndsTheListAFailedDescriptionSkipsTheAdapter)
{
    // The hybrid laptop with one more entry after its integrated adapter; the
    // discrete adapter after that entry is chosen only if the list goes on.
    const FakeAdapter integrated = machines()[1].adapters[0];
    const FakeAdapter discrete = machines()[1].adapters[1];
    const FakeAdapter other{L"Acme Display Adapter", 0x1234, 0x1, 512 * mib, 7939 * mib};
    const struct {
        const char* what;
        HRESULT listed;
        HRESULT described;
        std::optional<std::string> graphics;
    } cases[] = {
        {"listing fails", E_FAIL, S_OK, "Intel(R) UHD Graphics"},
        {"listing fails as past the end", DXGI_ERROR_NOT_FOUND, S_OK, "Intel(R) UHD Graphics"},
        {"listed without an adapter", E_POINTER, S_OK, "Intel(R) UHD Graphics"},
        {"description fails", S_OK, E_FAIL, "NVIDIA GeForce RTX 3060 Laptop GPU"},
        {"description fails as not found", S_OK, DXGI_ERROR_NOT_FOUND, "NVIDIA GeForce RTX 3060 Laptop GPU"},
        {"both fine", S_OK, S_OK, "NVIDIA GeForce RTX 3060 Laptop GPU"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeAdapter middle = other;
        middle.listed = c.listed;
        middle.described = c.described;
        const Machine m{.what = c.what, .adapters = {integrated, middle, discrete, basic_render_driver}};
        EXPECT_EQ(probe_graphics(graphics_api(m)), c.graphics);
    }
}

TEST(DisplayReader, EachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        const DisplayProbe probe = probe_display(display_api(m));
        EXPECT_EQ(probe.display_size, m.display_size);
        EXPECT_EQ(probe.refresh_hz, m.refresh_hz);
        EXPECT_EQ(max_refresh(probe.displays), m.max_refresh_hz);
    }
}

TEST(DisplayReader, EveryAttachedDisplayWithItsModesInOrder)
{
    const Machine& laptop = machines()[1];
    const DisplayProbe probe = probe_display(display_api(laptop));
    ASSERT_EQ(probe.displays.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        const FakeDisplay& expected = laptop.displays[i == 0 ? 0 : 4];
        EXPECT_EQ(probe.displays[i].current.width, expected.current->width);
        ASSERT_EQ(probe.displays[i].modes.size(), expected.modes.size());
        for (std::size_t j = 0; j < expected.modes.size(); ++j)
            EXPECT_EQ(probe.displays[i].modes[j].rate_hz, expected.modes[j].rate_hz) << i << " " << j;
    }
}

TEST(DisplayReader, NothingReadableGivesNoDisplay)
{
    Machine blank{.what = "no display at all", .device_list_fails = true};
    const DisplayProbe probe = probe_display(display_api(blank));
    EXPECT_TRUE(probe.displays.empty());
    EXPECT_FALSE(probe.display_size);
    // Listed and attached, but its current mode cannot be read: the calling
    // thread's display stands in.
    Machine unreadable{.what = "attached display without a current mode",
                       .displays = {{L"\\\\.\\DISPLAY1", primary, std::nullopt, {{1920, 1080, 60}}}}};
    EXPECT_FALSE(probe_display(display_api(unreadable)).display_size);
}

TEST(StorageReader, EachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        FakeDrives drives{m, {}, {}};
        EXPECT_EQ(probe_storage(drives.api()), m.storage);
        EXPECT_TRUE(drives.all_closed());
    }
}

TEST(StorageReader, SeekPenaltyRepliesOfEverySize)
{
    // One SATA drive, so the kind rests on its seek-penalty reply alone. The
    // byte sits at offset 8: a reply that stops at or before it says nothing.
    for (const int penalty : {0, 1}) {
        for (DWORD bytes = 0; bytes <= 12; ++bytes) {
            const Machine m{.what = "one SATA drive",
                            .drives = {{.number = 0, .bus = sata, .seek_penalty = penalty, .seek_reply_bytes = bytes}}};
            FakeDrives drives{m, {}, {}};
            const std::optional<std::string_view> expected =
                bytes <= 8 ? std::nullopt : std::optional<std::string_view>(penalty == 0 ? "ssd" : "hdd");
            EXPECT_EQ(probe_storage(drives.api()), expected) << "penalty " << penalty << ", " << bytes << " bytes";
        }
    }
    const Machine refused{.what = "seek-penalty query refused", .drives = {{.number = 0, .bus = sata}}};
    FakeDrives drives{refused, {}, {}};
    EXPECT_EQ(probe_storage(drives.api()), std::nullopt);
}

TEST(StorageReader, DrivesThatDoNotAnswerAreSkipped)
{
    // A card reader with no card answers nothing; the drive after the gaps and
    // the silent one still counts, up to PhysicalDrive15.
    const Machine m{.what = "card reader, gaps, NVMe last",
                    .drives = {{.number = 2},
                               {.number = 15, .bus = nvme, .seek_penalty = -1},
                               {.number = 16, .bus = sata, .seek_penalty = 0}}};
    FakeDrives drives{m, {}, {}};
    EXPECT_EQ(probe_storage(drives.api()), "nvme");
    EXPECT_TRUE(drives.all_closed());
    const Machine beyond{.what = "only PhysicalDrive16", .drives = {{.number = 16, .bus = nvme, .seek_penalty = 0}}};
    FakeDrives none{beyond, {}, {}};
    EXPECT_EQ(probe_storage(none.api()), std::nullopt);
}

TEST(MemoryReader, SizeOfEachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        EXPECT_EQ(probe_memory_size(memory_api(m)), m.memory_gb);
    }
}

TEST(MemoryReader, FallsBackToTotalMemoryWhenTheSlotsSayNothingUsable)
{
    Machine m = machines()[0];
    m.installed_kib = 0;  // read, but no size
    EXPECT_EQ(probe_memory_size(memory_api(m)), 32u);
    MemoryApi failing = memory_api(m);
    failing.memory_status = [](void*, MEMORYSTATUSEX*) -> BOOL { return FALSE; };
    EXPECT_EQ(probe_memory_size(failing), std::nullopt);
}

TEST(MemoryReader, SpeedsOfEachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        const MemorySpeeds speeds = probe_memory_speeds(memory_api(m));
        EXPECT_EQ(speeds.rated, m.speeds.rated);
        EXPECT_EQ(speeds.configured, m.speeds.configured);
    }
}

TEST(MemoryReader, FirmwareTableThatCannotBeRead)
{
    Machine m = machines()[0];
    MemoryApi api = memory_api(m);
    // The size call works, the read fails.
    api.firmware_table = [](void* context, DWORD, DWORD, void* buffer, DWORD) -> UINT {
        return buffer == nullptr ? static_cast<UINT>(machine_in(context).smbios.size()) : 0;
    };
    EXPECT_FALSE(probe_memory_speeds(api).rated);
    // A table larger than the program reads.
    api.firmware_table = [](void*, DWORD, DWORD, void*, DWORD) -> UINT { return smbios_max_bytes + 1; };
    EXPECT_FALSE(probe_memory_speeds(api).rated);
    m.smbios.clear();
    EXPECT_FALSE(probe_memory_speeds(memory_api(m)).rated);
}

TEST(PowerReader, PlanOfEachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        EXPECT_EQ(power_plan_code(read_active_scheme(power_api(m))), m.power_plan);
    }
    Machine unreadable = machines()[0];
    unreadable.scheme.reset();
    EXPECT_EQ(read_active_scheme(power_api(unreadable)), std::nullopt);
}

TEST(PowerReader, BatteryOfEachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        EXPECT_STREQ(name(on_battery_state(read_power_status(power_api(m)))), name(m.on_battery));
    }
    const struct {
        SYSTEM_POWER_STATUS status;
        TriState state;
    } laptops[] = {
        {power(1, 8 | 2, 40), TriState::Off},  // on mains, charging a low battery
        {power(1, 1, 100), TriState::Off},     // on mains, full
        {power(0, 4, 3), TriState::On},        // on battery, critical
        {power(0, 128, 255), TriState::Absent},
    };
    for (const auto& c : laptops) {
        PowerApi api;
        api.context = const_cast<SYSTEM_POWER_STATUS*>(&c.status);
        api.power_status = [](void* context, SYSTEM_POWER_STATUS* s) -> BOOL {
            *s = *static_cast<const SYSTEM_POWER_STATUS*>(context);
            return TRUE;
        };
        EXPECT_STREQ(name(on_battery_state(read_power_status(api))), name(c.state))
            << int{c.status.ACLineStatus} << " " << int{c.status.BatteryFlag};
    }
    PowerApi failing;
    failing.power_status = [](void*, SYSTEM_POWER_STATUS*) -> BOOL { return FALSE; };
    EXPECT_FALSE(read_power_status(failing));
}

namespace {

// One volume as GetDiskFreeSpaceExW sees it. With a disk quota the bytes free
// to the user are fewer than the volume's free bytes; both differ from its size.
struct FakeDisk {
    const wchar_t* windows_directory;  // nullptr: GetSystemWindowsDirectoryW fails
    ULONGLONG free_to_caller;
    ULONGLONG total_free;
    bool fails = false;
    std::wstring asked_root{};  // the root the reader asked about
};

DiskApi disk_api(FakeDisk& disk)
{
    DiskApi api;
    api.context = &disk;
    api.windows_directory = [](void* context, wchar_t* buffer, UINT size) -> UINT {
        const FakeDisk& d = *static_cast<FakeDisk*>(context);
        if (d.windows_directory == nullptr) return 0;
        const UINT length = static_cast<UINT>(wcslen(d.windows_directory));
        if (length >= size) return length + 1;  // too small: the size needed, nothing written
        wcscpy(buffer, d.windows_directory);
        return length;
    };
    api.disk_free_space = [](void* context, const wchar_t* root, ULARGE_INTEGER* free_to_caller, ULARGE_INTEGER* total,
                             ULARGE_INTEGER* total_free) -> BOOL {
        FakeDisk& d = *static_cast<FakeDisk*>(context);
        d.asked_root = root;
        if (d.fails) return FALSE;
        if (free_to_caller != nullptr) free_to_caller->QuadPart = d.free_to_caller;
        if (total != nullptr) total->QuadPart = 1000 * gib;
        if (total_free != nullptr) total_free->QuadPart = d.total_free;
        return TRUE;
    };
    return api;
}

}  // namespace

TEST(FreeSpaceReader, AllFreeBytesOfTheWindowsDrive)
{
    const struct {
        FakeDisk disk;
        std::wstring root;
        std::optional<std::uint64_t> gb;
    } cases[] = {
        {{L"C:\\Windows", 100 * gib, 412 * gib + 5}, L"C:\\", 412u},  // a quota leaves the user 100 GiB
        {{L"D:\\WINDOWS", 0, 64 * gib}, L"D:\\", 64u},                // quota used up
        {{L"C:\\Windows", gib - 1, gib - 1}, L"C:\\", 0u},
        {{L"C:\\Windows", gib, gib}, L"C:\\", 1u},
        {{L"C:\\Windows", gib, gib, true}, L"C:\\", std::nullopt},
        {{nullptr, gib, gib}, L"", std::nullopt},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.disk.windows_directory != nullptr ? from_wide(c.disk.windows_directory, 260) : "no directory");
        EXPECT_EQ(read_free_space_gb(disk_api(c.disk)), c.gb);
        EXPECT_EQ(c.disk.asked_root, c.root);
    }
}

TEST(Pacing, WithoutHighResolutionTimersSleepsInWholeMilliseconds)
{
    // Windows builds before high-resolution waitable timers refuse the flag.
    // Sleep may end up to a clock tick early by the performance counter; the
    // pacing then adds a millisecond at a time until the wait is whole.
    const struct {
        std::int64_t ns;
        std::int64_t sleep_short_by_ns;  // how much earlier the fake's first Sleep returns
        std::vector<DWORD> sleeps;
    } cases[] = {
        {180'000'000, 0, {180}},
        {12'300'001, 0, {13}},
        {180'000'000, 400'000, {180, 1}},
        {180'000'000, 2'500'000, {180, 1, 1, 1}},
        {0, 0, {0}},
    };
    struct FakeClock {
        std::int64_t clock = 5'000'000'000;
        std::int64_t sleep_short_by_ns;
        std::vector<DWORD> sleeps;
    };
    for (const auto& c : cases) {
        FakeClock fake{.sleep_short_by_ns = c.sleep_short_by_ns, .sleeps = {}};
        PacingApi api;
        api.context = &fake;
        api.create_timer = [](void*) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return HANDLE{nullptr};
        };
        api.sleep = [](void* context, DWORD ms) {
            FakeClock& f = *static_cast<FakeClock*>(context);
            f.sleeps.push_back(ms);
            f.clock += std::int64_t{ms} * 1'000'000 - (f.sleeps.size() == 1 ? f.sleep_short_by_ns : 0);
        };
        api.now = [](void* context) { return static_cast<FakeClock*>(context)->clock; };
        pace_sleep(c.ns, api);
        EXPECT_EQ(fake.sleeps, c.sleeps) << c.ns << " ns";
    }
}

TEST(Pacing, HighResolutionTimerWaitsWithoutSleep)
{
    int sleeps = 0;
    PacingApi api;
    api.context = &sleeps;
    api.sleep = [](void* context, DWORD) { ++*static_cast<int*>(context); };
    pace_sleep(20'000'000, api);
    EXPECT_EQ(sleeps, 0);
}
