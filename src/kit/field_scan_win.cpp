#include "kit/field_scan_win.h"

#include <cstring>
#include <cwchar>
#include <map>
#include <memory>

#include "checks/graphics.h"
#include "checks/owned_win.h"
#include "checks/processor.h"
#include "checks/scan_win.h"
#include "checks/system_dll_win.h"
#include "checks/wide_win.h"

namespace qd::kit {

using namespace qd::checks;

namespace {

// Where the processor probe reads the name; a longer name than 255 units fails the read.
constexpr std::string_view processor_key = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr std::string_view processor_value = "ProcessorNameString";
constexpr std::size_t processor_capacity = 256;
constexpr std::size_t registry_text_capacity = 1024;

HKEY hive_key(RegistryHive hive) { return hive == RegistryHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
RegistryRootName root_name(HKEY root)
{
    return root == HKEY_CURRENT_USER ? RegistryRootName::CurrentUser : RegistryRootName::LocalMachine;
}

// The drive number of "\\.\PhysicalDriveN".
std::uint32_t drive_number(const wchar_t* path)
{
    const wchar_t* digits = path + std::wcslen(path);
    while (digits > path && digits[-1] >= L'0' && digits[-1] <= L'9') --digits;
    return static_cast<std::uint32_t>(std::wcstoul(digits, nullptr, 10));
}

std::uint32_t property_of(const void* query, DWORD size)
{
    std::uint32_t id = 0xFFFFFFFF;
    if (size >= sizeof(id)) std::memcpy(&id, query, sizeof(id));
    return id;
}

template <typename F>
auto timed(TimedScan& scan, const char* key, F&& probe)
{
    const std::int64_t began = monotonic_ns();
    auto result = probe();
    scan.times_ms.emplace_back(key, static_cast<double>(monotonic_ns() - began) / 1e6);
    return result;
}

// ---- Recording ----------------------------------------------------------------

DisplayApi recording_display(MachineRecord& record, DisplayApi real)
{
    DisplayApi api;
    api.enum_devices = [&record, real](DWORD index, DISPLAY_DEVICEW* device) -> BOOL {
        const BOOL ok = real.enum_devices(index, device);
        RecordedDisplayDevice d;
        d.index = index;
        d.fails = !ok;
        if (ok) {
            // DeviceName and StateFlags only: DeviceID and DeviceKey carry instance paths.
            d.name = from_wide(device->DeviceName, 32);
            d.flags = device->StateFlags;
        }
        record.display_devices.push_back(std::move(d));
        return ok;
    };
    api.enum_settings = [&record, real](const wchar_t* name, DWORD index, DEVMODEW* mode) -> BOOL {
        const BOOL ok = real.enum_settings(name, index, mode);
        RecordedMode m;
        if (name != nullptr) m.device = from_wide(name, 32);
        if (index != ENUM_CURRENT_SETTINGS) m.index = index;
        if (ok) m.mode = DisplayMode{mode->dmPelsWidth, mode->dmPelsHeight, mode->dmDisplayFrequency};
        record.modes.push_back(std::move(m));
        return ok;
    };
    return api;
}

// DXGI's list, with EnumAdapters1 and GetDesc1 told apart in the record.
AdapterDescriber recording_adapters(MachineRecord& record)
{
    const auto create_factory = system_function<decltype(&CreateDXGIFactory1)>(L"dxgi.dll", "CreateDXGIFactory1");
    if (create_factory == nullptr) {
        record.dxgi_error = static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
        return {};
    }
    ComPtr<IDXGIFactory1> created;
    const HRESULT made = create_factory(IID_IDXGIFactory1, reinterpret_cast<void**>(created.put()));
    if (FAILED(made) || !created) {
        record.dxgi_error = static_cast<std::uint32_t>(FAILED(made) ? made : E_POINTER);
        return {};
    }
    const std::shared_ptr<IDXGIFactory1> factory(created.release(), [](IDXGIFactory1* f) { f->Release(); });
    return [&record, factory](UINT index, DXGI_ADAPTER_DESC1* desc) -> HRESULT {
        RecordedAdapter a;
        a.index = index;
        ComPtr<IDXGIAdapter1> adapter;
        HRESULT result = factory->EnumAdapters1(index, adapter.put());
        if (SUCCEEDED(result) && !adapter) result = E_POINTER;
        if (FAILED(result)) {
            a.enum_error = static_cast<std::uint32_t>(result);
        } else if (result = adapter.get()->GetDesc1(desc); FAILED(result)) {
            a.desc_error = static_cast<std::uint32_t>(result);
        } else {
            // Not the LUID: it changes with every start and says nothing of the adapter.
            a.description = from_wide(desc->Description, 128);
            a.vendor = desc->VendorId;
            a.device = desc->DeviceId;
            a.dedicated = desc->DedicatedVideoMemory;
            a.dedicated_system = desc->DedicatedSystemMemory;
            a.shared = desc->SharedSystemMemory;
            a.flags = desc->Flags;
        }
        record.adapters.push_back(std::move(a));
        return result;
    };
}

MemoryApi recording_memory(MachineRecord& record, MemoryApi real)
{
    MemoryApi api;
    api.installed_kib = [&record, real](ULONGLONG* kib) -> BOOL {
        const BOOL ok = real.installed_kib(kib);
        if (ok) record.installed_kib = *kib;
        return ok;
    };
    api.memory_status = [&record, real](MEMORYSTATUSEX* status) -> BOOL {
        const BOOL ok = real.memory_status(status);
        if (ok) {
            record.total_phys = status->ullTotalPhys;
            record.available_phys = status->ullAvailPhys;
        }
        return ok;
    };
    // Of the table, only the memory devices' speed fields go into the record:
    // the rest holds serial numbers and the machine's UUID.
    api.firmware_table = [&record, real](DWORD provider, DWORD table_id, void* buffer, DWORD size) -> UINT {
        const UINT got = real.firmware_table(provider, table_id, buffer, size);
        if (buffer == nullptr) {
            record.smbios = {};
            record.smbios.present = true;
            record.smbios.size = got;
        } else {
            const auto* bytes = static_cast<const std::uint8_t*>(buffer);
            const std::vector<std::uint8_t> copy(bytes, bytes + size);
            record.smbios = smbios_memory_devices(copy, record.smbios.size.value_or(size), got);
        }
        return got;
    };
    return api;
}

StorageApi recording_storage(MachineRecord& record, StorageApi real)
{
    auto drives = std::make_shared<std::map<HANDLE, std::size_t>>();  // open handle -> its entry
    StorageApi api;
    api.open_drive = [&record, real, drives](const wchar_t* path) -> HANDLE {
        const HANDLE h = real.open_drive(path);
        const DWORD error = GetLastError();
        RecordedDrive d;
        d.number = drive_number(path);
        if (h == INVALID_HANDLE_VALUE || h == nullptr) d.open_error = error != 0 ? error : ERROR_INVALID_HANDLE;
        else (*drives)[h] = record.drives.size();
        record.drives.push_back(d);
        SetLastError(error);
        return h;
    };
    api.control = [&record, real, drives](HANDLE h, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size,
                                          DWORD* returned) -> BOOL {
        const BOOL ok = real.control(h, code, in, in_size, out, out_size, returned);
        const DWORD error = GetLastError();
        const auto found = drives->find(h);
        if (found != drives->end()) {
            RecordedDrive& d = record.drives[found->second];
            const std::uint32_t property = property_of(in, in_size);
            const auto* bytes = static_cast<const std::uint8_t*>(out);
            if (property == storage_device_property) {
                // Of the descriptor, the bus type only: its strings hold the serial number.
                if (!ok) d.device_error = error != 0 ? error : ERROR_GEN_FAILURE;
                d.device_bytes = *returned;
                if (ok && *returned >= 32 && out_size >= 32) std::memcpy(&d.bus, bytes + 28, 4);
            } else if (property == storage_seek_penalty_property) {
                if (!ok) d.seek_error = error != 0 ? error : ERROR_GEN_FAILURE;
                d.seek_bytes = *returned;
                if (ok && *returned > 8 && out_size > 8) d.penalty = bytes[8];
            }
        }
        SetLastError(error);
        return ok;
    };
    return api;
}

PowerApi recording_power(MachineRecord& record, PowerApi real)
{
    PowerApi api;
    api.active_scheme = [&record, real](GUID** scheme) -> DWORD {
        const DWORD status = real.active_scheme(scheme);
        if (status == ERROR_SUCCESS && *scheme != nullptr) {
            Guid g;
            g.data1 = (*scheme)->Data1;
            g.data2 = (*scheme)->Data2;
            g.data3 = (*scheme)->Data3;
            for (std::size_t i = 0; i < g.data4.size(); ++i) g.data4[i] = (*scheme)->Data4[i];
            record.scheme = g;
        } else {
            record.scheme_error = status != 0 ? status : ERROR_INVALID_DATA;
        }
        return status;
    };
    api.power_status = [&record, real](SYSTEM_POWER_STATUS* status) -> BOOL {
        const BOOL ok = real.power_status(status);
        if (ok) record.power = RecordedPowerStatus{status->ACLineStatus, status->BatteryFlag, status->BatteryLifePercent};
        return ok;
    };
    return api;
}

RegistryApi recording_registry(MachineRecord& record, RegistryApi real)
{
    // Only the values found; one not listed was missing (or of another type).
    RegistryApi api;
    api.text = [&record, real](HKEY root, std::string_view subkey, std::string_view name, std::size_t capacity) {
        std::optional<std::string> text = real.text(root, subkey, name, capacity);
        if (text) record.registry.push_back({root_name(root), std::string(subkey), std::string(name), text, {}});
        return text;
    };
    api.dword = [&record, real](HKEY root, std::string_view subkey, std::string_view name) {
        std::optional<std::uint32_t> value = real.dword(root, subkey, name);
        if (value) record.registry.push_back({root_name(root), std::string(subkey), std::string(name), {}, value});
        return value;
    };
    return api;
}

WindowsApi recording_windows(MachineRecord& record, WindowsApi real)
{
    WindowsApi api;
    api.directory = [&record, real](wchar_t* buffer, UINT size) -> UINT {
        const UINT length = real.directory(buffer, size);
        if (length > 0 && length < size) record.windows_directory = from_wide(buffer, length);
        return length;
    };
    api.free_bytes = [&record, real](const wchar_t* root, ULARGE_INTEGER* free) -> BOOL {
        const BOOL ok = real.free_bytes(root, free);
        if (ok) record.free_bytes = free->QuadPart;
        return ok;
    };
    api.version = [&record, real](RTL_OSVERSIONINFOW* info, LONG* status) {
        const bool had = real.version(info, status);
        if (had) {
            record.os_build = info->dwBuildNumber;
            record.os_status = *status;
        }
        return had;
    };
    return api;
}

// ---- Replay -------------------------------------------------------------------

BOOL fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

DisplayApi replay_display(const MachineRecord& record)
{
    DisplayApi api;
    api.enum_devices = [&record](DWORD index, DISPLAY_DEVICEW* device) -> BOOL {
        if (device->cb != sizeof(DISPLAY_DEVICEW)) return FALSE;
        for (const RecordedDisplayDevice& d : record.display_devices) {
            if (d.index != index) continue;
            if (d.fails) return FALSE;
            wcsncpy(device->DeviceName, to_wide(d.name).c_str(), 32);
            wcsncpy(device->DeviceString, L"Acme Graphics Adapter", 128);
            device->StateFlags = d.flags;
            return TRUE;
        }
        return FALSE;
    };
    api.enum_settings = [&record](const wchar_t* name, DWORD index, DEVMODEW* mode) -> BOOL {
        if (mode->dmSize != sizeof(DEVMODEW)) return FALSE;
        const std::optional<std::string> device =
            name == nullptr ? std::nullopt : std::optional<std::string>(from_wide(name, 32));
        const std::optional<std::uint32_t> wanted =
            index == ENUM_CURRENT_SETTINGS ? std::nullopt : std::optional<std::uint32_t>(index);
        for (const RecordedMode& m : record.modes) {
            if (m.device != device || m.index != wanted) continue;
            if (!m.mode) return FALSE;
            mode->dmPelsWidth = m.mode->width;
            mode->dmPelsHeight = m.mode->height;
            mode->dmDisplayFrequency = m.mode->rate_hz;
            mode->dmBitsPerPel = 32;
            mode->dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY | DM_BITSPERPEL;
            return TRUE;
        }
        return FALSE;
    };
    return api;
}

GraphicsApi replay_graphics(const MachineRecord& record)
{
    GraphicsApi api;
    api.open_adapters = [&record]() -> AdapterDescriber {
        if (record.dxgi_error != 0) return {};
        return [&record](UINT index, DXGI_ADAPTER_DESC1* desc) -> HRESULT {
            for (const RecordedAdapter& a : record.adapters) {
                if (a.index != index) continue;
                if (a.enum_error != 0) return static_cast<HRESULT>(a.enum_error);
                if (a.desc_error != 0) return static_cast<HRESULT>(a.desc_error);
                *desc = {};
                wcsncpy(desc->Description, to_wide(a.description).c_str(), 128);
                desc->VendorId = a.vendor;
                desc->DeviceId = a.device;
                desc->DedicatedVideoMemory = static_cast<SIZE_T>(a.dedicated);
                desc->DedicatedSystemMemory = static_cast<SIZE_T>(a.dedicated_system);
                desc->SharedSystemMemory = static_cast<SIZE_T>(a.shared);
                desc->AdapterLuid = {0x1000 + index, 0};
                desc->Flags = a.flags;
                return S_OK;
            }
            return DXGI_ERROR_NOT_FOUND;
        };
    };
    return api;
}

MemoryApi replay_memory(const MachineRecord& record)
{
    MemoryApi api;
    api.installed_kib = [&record](ULONGLONG* kib) -> BOOL {
        if (!record.installed_kib) return fail(ERROR_INVALID_DATA);
        *kib = *record.installed_kib;
        return TRUE;
    };
    api.memory_status = [&record](MEMORYSTATUSEX* status) -> BOOL {
        if (status->dwLength != sizeof(MEMORYSTATUSEX) || !record.total_phys) return fail(ERROR_INVALID_PARAMETER);
        const ULONGLONG total = *record.total_phys;
        const ULONGLONG available = std::min(record.available_phys, total);
        status->dwMemoryLoad = total == 0 ? 0 : static_cast<DWORD>(100 - available * 100 / total);
        status->ullTotalPhys = total;
        status->ullAvailPhys = available;
        status->ullTotalPageFile = total + (4ULL << 30);
        status->ullAvailPageFile = available + (2ULL << 30);
        status->ullTotalVirtual = 0x7FFFFFFE0000;
        status->ullAvailVirtual = 0x7FFFFFF00000;
        return TRUE;
    };
    api.firmware_table = [&record](DWORD provider, DWORD table_id, void* buffer, DWORD size) -> UINT {
        const RecordedSmbios& s = record.smbios;
        if (provider != smbios_provider || table_id != 0 || !s.present || (s.size && *s.size == 0)) return 0;
        const std::vector<std::uint8_t> table = smbios_table(s);
        // A table too large to read is answered with its recorded size.
        const UINT needed = s.size && *s.size > smbios_max_bytes ? *s.size : static_cast<UINT>(table.size());
        if (buffer == nullptr) return needed;
        if (s.got && *s.got == 0) return 0;
        if (s.got && *s.got < 8) {  // a read that stopped inside the header
            std::memcpy(buffer, table.data(), std::min<std::size_t>(*s.got, size));
            return *s.got;
        }
        // Too small a buffer: the size needed, nothing written.
        if (size >= table.size()) std::memcpy(buffer, table.data(), table.size());
        return size >= table.size() ? static_cast<UINT>(table.size()) : needed;
    };
    return api;
}

StorageApi replay_storage(const MachineRecord& record)
{
    auto open = std::make_shared<std::map<HANDLE, const RecordedDrive*>>();
    StorageApi api;
    api.open_drive = [&record, open](const wchar_t* path) -> HANDLE {
        const std::wstring prefix = L"\\\\.\\PhysicalDrive";
        if (std::wcsncmp(path, prefix.c_str(), prefix.size()) == 0) {
            for (const RecordedDrive& d : record.drives) {
                if (path != prefix + std::to_wstring(d.number)) continue;
                if (d.open_error != 0) break;
                // A real handle, so that closing it can be checked.
                const HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
                (*open)[h] = &d;
                return h;
            }
        }
        const std::uint32_t number = drive_number(path);
        DWORD error = ERROR_FILE_NOT_FOUND;
        for (const RecordedDrive& d : record.drives)
            if (d.number == number && d.open_error != 0) error = d.open_error;
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    };
    api.control = [open](HANDLE h, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size,
                         DWORD* returned) -> BOOL {
        *returned = 0;
        const auto found = open->find(h);
        if (found == open->end() || code != IOCTL_STORAGE_QUERY_PROPERTY || in_size != sizeof(STORAGE_PROPERTY_QUERY))
            return fail(ERROR_INVALID_PARAMETER);
        STORAGE_PROPERTY_QUERY query;
        std::memcpy(&query, in, sizeof(query));
        if (query.QueryType != PropertyStandardQuery) return fail(ERROR_INVALID_PARAMETER);
        if (out_size < 8) return fail(ERROR_INSUFFICIENT_BUFFER);
        const RecordedDrive& d = *found->second;
        std::vector<std::uint8_t> reply;
        DWORD written = 0;
        if (query.PropertyId == StorageDeviceProperty) {
            if (d.device_error != 0) return fail(d.device_error);
            // The whole descriptor runs on with the vendor and product strings;
            // the system writes as much as the buffer holds.
            STORAGE_DEVICE_DESCRIPTOR desc = {};
            desc.Version = sizeof(STORAGE_DEVICE_DESCRIPTOR);
            desc.Size = 0x100;
            desc.BusType = static_cast<STORAGE_BUS_TYPE>(d.bus);
            desc.RemovableMedia = d.bus == BusTypeUsb;
            reply.assign(0x100, 0);
            std::memcpy(reply.data(), &desc, sizeof(desc));
            written = d.device_bytes;
        } else if (query.PropertyId == StorageDeviceSeekPenaltyProperty) {
            if (d.seek_error != 0) return fail(d.seek_error);
            DEVICE_SEEK_PENALTY_DESCRIPTOR desc = {};
            desc.Version = sizeof(desc);
            desc.Size = sizeof(desc);
            desc.IncursSeekPenalty = static_cast<BOOLEAN>(d.penalty);
            reply.assign(sizeof(desc), 0);
            std::memcpy(reply.data(), &desc, sizeof(desc));
            written = d.seek_bytes;
        } else {
            return fail(ERROR_NOT_SUPPORTED);
        }
        *returned = std::min<DWORD>({out_size, written, static_cast<DWORD>(reply.size())});
        std::memcpy(out, reply.data(), *returned);
        return TRUE;
    };
    return api;
}

PowerApi replay_power(const MachineRecord& record)
{
    PowerApi api;
    // Like the system, hands over a copy the caller frees with LocalFree.
    api.active_scheme = [&record](GUID** scheme) -> DWORD {
        if (!record.scheme) return record.scheme_error != 0 ? record.scheme_error : ERROR_FILE_NOT_FOUND;
        const Guid& g = *record.scheme;
        *scheme = static_cast<GUID*>(LocalAlloc(LMEM_FIXED, sizeof(GUID)));
        if (*scheme == nullptr) return ERROR_NOT_ENOUGH_MEMORY;
        (*scheme)->Data1 = g.data1;
        (*scheme)->Data2 = g.data2;
        (*scheme)->Data3 = g.data3;
        for (std::size_t i = 0; i < g.data4.size(); ++i) (*scheme)->Data4[i] = g.data4[i];
        return ERROR_SUCCESS;
    };
    api.power_status = [&record](SYSTEM_POWER_STATUS* status) -> BOOL {
        if (!record.power) return fail(ERROR_NOT_SUPPORTED);
        *status = {};
        status->ACLineStatus = record.power->ac_line;
        status->BatteryFlag = record.power->battery_flag;
        status->BatteryLifePercent = record.power->battery_percent;
        status->BatteryLifeTime = record.power->ac_line == 0 ? 9000 : 0xFFFFFFFF;
        status->BatteryFullLifeTime = 0xFFFFFFFF;
        return TRUE;
    };
    return api;
}

RegistryApi replay_registry(const MachineRecord& record)
{
    RegistryApi api;
    api.text = [&record](HKEY root, std::string_view subkey, std::string_view name,
                         std::size_t capacity) -> std::optional<std::string> {
        const RecordedValue* v = record.value(root_name(root), subkey, name);
        if (v == nullptr || !v->text) return std::nullopt;
        // Like the read: the text and its terminator must fit in the buffer.
        if (to_wide(*v->text).size() + 1 > capacity) return std::nullopt;
        return v->text;
    };
    api.dword = [&record](HKEY root, std::string_view subkey, std::string_view name) -> std::optional<std::uint32_t> {
        const RecordedValue* v = record.value(root_name(root), subkey, name);
        if (v == nullptr) return std::nullopt;
        return v->dword;
    };
    return api;
}

WindowsApi replay_windows(const MachineRecord& record)
{
    WindowsApi api;
    api.directory = [&record](wchar_t* buffer, UINT size) -> UINT {
        if (!record.windows_directory) return 0;
        const std::wstring path = to_wide(*record.windows_directory);
        if (path.size() + 1 > size) return static_cast<UINT>(path.size() + 1);  // the size needed
        std::wmemcpy(buffer, path.c_str(), path.size() + 1);
        return static_cast<UINT>(path.size());
    };
    api.free_bytes = [&record](const wchar_t*, ULARGE_INTEGER* free) -> BOOL {
        if (!record.free_bytes) return fail(ERROR_NOT_READY);
        free->QuadPart = *record.free_bytes;
        return TRUE;
    };
    api.version = [&record](RTL_OSVERSIONINFOW* info, LONG* status) {
        if (!record.os_build) return false;
        info->dwBuildNumber = *record.os_build;
        *status = record.os_status;
        return true;
    };
    return api;
}

// ---- The settings step's reads ----------------------------------------------------

std::optional<std::uint64_t> read_free_space_gb(const WindowsApi& api)
{
    wchar_t directory[MAX_PATH] = {};
    const UINT length = api.directory(directory, MAX_PATH);
    const std::optional<std::u16string> root =
        windows_drive_root(std::u16string_view(reinterpret_cast<const char16_t*>(directory), MAX_PATH), length);
    if (!root) return std::nullopt;
    const std::wstring root_path(root->begin(), root->end());
    ULARGE_INTEGER free_bytes = {};
    if (!api.free_bytes(root_path.c_str(), &free_bytes)) return std::nullopt;
    return whole_gib(free_bytes.QuadPart);
}

std::optional<std::uint32_t> read_os_build(const WindowsApi& api)
{
    RTL_OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    LONG status = -1;
    if (!api.version(&info, &status)) return std::nullopt;
    return os_build_number(status, info.dwBuildNumber);
}

}  // namespace

bool WindowsApi::system_version(RTL_OSVERSIONINFOW* info, LONG* status)
{
    using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    const auto rtl_get_version = system_function<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion");
    if (rtl_get_version == nullptr) return false;
    *status = rtl_get_version(info);
    return true;
}

TimedScan scan_machine(const MachineApi& api)
{
    TimedScan scan;
    ScanReport& r = scan.report;
    const auto text = [&api](const RegistrySetting& s) {
        return api.registry.text(hive_key(s.hive), s.subkey, s.value, registry_text_capacity);
    };
    const auto dword = [&api](const RegistrySetting& s) { return api.registry.dword(hive_key(s.hive), s.subkey, s.value); };

    r.processor_name = timed(scan, "processor", [&]() -> std::optional<std::string> {
        const auto stored = api.registry.text(HKEY_LOCAL_MACHINE, processor_key, processor_value, processor_capacity);
        return stored ? processor_name_from(*stored) : std::nullopt;
    });
    r.graphics_name = timed(scan, "graphics", [&] { return probe_graphics(api.graphics); });
    r.memory_gb = timed(scan, "memory-size", [&] { return probe_memory_size(api.memory); });
    const DisplayProbe display = timed(scan, "display", [&] { return probe_display(api.display); });
    r.display_size = display.display_size;
    r.refresh_hz = display.refresh_hz;
    r.storage_kind = timed(scan, "storage", [&] { return probe_storage(api.storage); });

    // The settings step, probe by probe in the program's order.
    SettingsSnapshot& s = r.settings;
    const MemorySpeeds speeds = timed(scan, "memory-speeds", [&] { return probe_memory_speeds(api.memory); });
    s.memory_rated_speed = speeds.rated;
    s.memory_configured_speed = speeds.configured;
    s.power_plan = timed(scan, "power-plan", [&] { return power_plan_code(read_active_scheme(api.power)); });
    s.power_mode = timed(scan, "power-mode", [&] { return power_mode_code(text(power_mode_setting)); });
    s.game_mode = timed(scan, "game-mode", [&] { return game_mode_state(dword(game_mode_setting)); });
    s.gpu_scheduling = timed(scan, "gpu-scheduling", [&] { return gpu_scheduling_state(dword(gpu_scheduling_setting)); });
    s.game_capture = timed(scan, "game-capture", [&] {
        const std::optional<std::uint32_t> game_dvr = dword(game_dvr_setting);
        return game_capture_state(game_dvr, dword(app_capture_setting));
    });
    s.memory_integrity =
        timed(scan, "memory-integrity", [&] { return memory_integrity_state(dword(memory_integrity_setting)); });
    s.windowed_optimizations = timed(scan, "windowed-optimizations",
                                     [&] { return windowed_optimizations_state(text(directx_settings_setting)); });
    s.mouse_acceleration =
        timed(scan, "mouse-acceleration", [&] { return mouse_acceleration_state(text(mouse_speed_setting)); });
    s.max_refresh_hz = timed(scan, "max-refresh-hz", [&] { return max_refresh(display.displays); });
    s.free_space_gb = timed(scan, "free-space", [&] { return read_free_space_gb(api.windows); });
    s.on_battery = timed(scan, "battery", [&] { return on_battery_state(read_power_status(api.power)); });
    s.gpu_driver_date = timed(scan, "driver-date", [&] {
        return find_driver_date(r.graphics_name, [&api](const std::string& subkey, std::string_view value) {
            return api.registry.text(HKEY_LOCAL_MACHINE, subkey, value, registry_text_capacity);
        });
    });
    s.os_build = timed(scan, "os-build", [&] { return read_os_build(api.windows); });
    return scan;
}

MachineApi recording_api(MachineRecord& record)
{
    MachineApi real;
    MachineApi api;
    api.display = recording_display(record, real.display);
    api.graphics.open_adapters = [&record] { return recording_adapters(record); };
    api.memory = recording_memory(record, real.memory);
    api.storage = recording_storage(record, real.storage);
    api.power = recording_power(record, real.power);
    api.registry = recording_registry(record, real.registry);
    api.windows = recording_windows(record, real.windows);
    return api;
}

MachineApi replay_api(const MachineRecord& record)
{
    return {replay_display(record), replay_graphics(record), replay_memory(record), replay_storage(record),
            replay_power(record),   replay_registry(record), replay_windows(record)};
}

}  // namespace qd::kit
