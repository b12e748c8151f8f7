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

// What the recording calls share: the record, the real calls, DXGI's factory
// while its list is open, and the entry of each drive handle the real open gave.
struct Recorder {
    MachineRecord& record;
    MachineApi real;
    ComPtr<IDXGIFactory1> factory;
    std::map<HANDLE, std::size_t> drives;
};

Recorder& recorder(void* context) { return *static_cast<Recorder*>(context); }

DisplayApi recording_display(Recorder& r)
{
    DisplayApi api;
    api.context = &r;
    api.enum_devices = [](void* context, DWORD index, DISPLAY_DEVICEW* device) -> BOOL {
        Recorder& r = recorder(context);
        const BOOL ok = r.real.display.enum_devices(r.real.display.context, index, device);
        RecordedDisplayDevice d;
        d.index = index;
        d.fails = !ok;
        if (ok) {
            // DeviceName and StateFlags only: DeviceID and DeviceKey carry instance paths.
            d.name = from_wide(device->DeviceName, 32);
            d.flags = device->StateFlags;
        }
        r.record.display_devices.push_back(std::move(d));
        return ok;
    };
    api.enum_settings = [](void* context, const wchar_t* name, DWORD index, DEVMODEW* mode) -> BOOL {
        Recorder& r = recorder(context);
        const BOOL ok = r.real.display.enum_settings(r.real.display.context, name, index, mode);
        RecordedMode m;
        if (name != nullptr) m.device = from_wide(name, 32);
        if (index != ENUM_CURRENT_SETTINGS) m.index = index;
        if (ok) m.mode = DisplayMode{mode->dmPelsWidth, mode->dmPelsHeight, mode->dmDisplayFrequency};
        r.record.modes.push_back(std::move(m));
        return ok;
    };
    return api;
}

// DXGI's list, with EnumAdapters1 and GetDesc1 told apart in the record. The
// list handed to the reader is the recorder, which holds the factory.
GraphicsApi recording_graphics(Recorder& r)
{
    GraphicsApi api;
    api.context = &r;
    api.open_list = [](void* context, HRESULT* failure) -> void* {
        Recorder& r = recorder(context);
        const auto create_factory = system_function<decltype(&CreateDXGIFactory1)>(L"dxgi.dll", "CreateDXGIFactory1");
        if (create_factory == nullptr) {
            *failure = HRESULT_FROM_WIN32(GetLastError());
            r.record.dxgi_error = static_cast<std::uint32_t>(*failure);
            return nullptr;
        }
        *failure = create_factory(IID_IDXGIFactory1, reinterpret_cast<void**>(r.factory.put()));
        if (SUCCEEDED(*failure) && !r.factory) *failure = E_POINTER;
        if (FAILED(*failure)) {
            r.record.dxgi_error = static_cast<std::uint32_t>(*failure);
            return nullptr;
        }
        return &r;
    };
    api.read_adapter = [](void* list, UINT index, DXGI_ADAPTER_DESC1* desc) -> AdapterAnswer {
        Recorder& r = recorder(list);
        const AdapterAnswer answer = read_dxgi_adapter(r.factory.get(), index, desc);
        RecordedAdapter a;
        a.index = index;
        if (FAILED(answer.listed)) {
            a.enum_error = static_cast<std::uint32_t>(answer.listed);
        } else if (FAILED(answer.described)) {
            a.desc_error = static_cast<std::uint32_t>(answer.described);
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
        r.record.adapters.push_back(std::move(a));
        return answer;
    };
    api.close_list = [](void* list) { recorder(list).factory.reset(); };
    return api;
}

MemoryApi recording_memory(Recorder& r)
{
    MemoryApi api;
    api.context = &r;
    api.installed_kib = [](void* context, ULONGLONG* kib) -> BOOL {
        Recorder& r = recorder(context);
        const BOOL ok = r.real.memory.installed_kib(r.real.memory.context, kib);
        const DWORD error = GetLastError();
        if (ok) r.record.installed_kib = *kib;
        SetLastError(error);
        return ok;
    };
    api.memory_status = [](void* context, MEMORYSTATUSEX* status) -> BOOL {
        Recorder& r = recorder(context);
        const BOOL ok = r.real.memory.memory_status(r.real.memory.context, status);
        if (ok) {
            r.record.total_phys = status->ullTotalPhys;
            r.record.available_phys = status->ullAvailPhys;
        }
        return ok;
    };
    // Of the table, only the memory devices' speed fields go into the record:
    // the rest holds serial numbers and the machine's UUID.
    api.firmware_table = [](void* context, DWORD provider, DWORD table_id, void* buffer, DWORD size) -> UINT {
        Recorder& r = recorder(context);
        const UINT got = r.real.memory.firmware_table(r.real.memory.context, provider, table_id, buffer, size);
        const DWORD error = GetLastError();
        if (buffer == nullptr) {
            r.record.smbios = {};
            r.record.smbios.present = true;
            r.record.smbios.size = got;
        } else {
            const auto* bytes = static_cast<const std::uint8_t*>(buffer);
            const std::vector<std::uint8_t> copy(bytes, bytes + size);
            r.record.smbios = smbios_memory_devices(copy, r.record.smbios.size.value_or(size), got);
        }
        SetLastError(error);
        return got;
    };
    return api;
}

StorageApi recording_storage(Recorder& r)
{
    StorageApi api;
    api.context = &r;
    api.open_drive = [](void* context, const wchar_t* path) -> HANDLE {
        Recorder& r = recorder(context);
        const HANDLE h = r.real.storage.open_drive(r.real.storage.context, path);
        const DWORD error = GetLastError();
        RecordedDrive d;
        d.number = drive_number(path);
        if (h == INVALID_HANDLE_VALUE || h == nullptr) d.open_error = error != 0 ? error : ERROR_INVALID_HANDLE;
        else r.drives[h] = r.record.drives.size();
        r.record.drives.push_back(d);
        SetLastError(error);
        return h;
    };
    api.control = [](void* context, HANDLE h, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size,
                     DWORD* returned) -> BOOL {
        Recorder& r = recorder(context);
        const BOOL ok = r.real.storage.control(r.real.storage.context, h, code, in, in_size, out, out_size, returned);
        const DWORD error = GetLastError();
        const auto found = r.drives.find(h);
        if (found != r.drives.end()) {
            RecordedDrive& d = r.record.drives[found->second];
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

PowerApi recording_power(Recorder& r)
{
    PowerApi api;
    api.context = &r;
    api.active_scheme = [](void* context, GUID** scheme) -> DWORD {
        Recorder& r = recorder(context);
        const DWORD status = r.real.power.active_scheme(r.real.power.context, scheme);
        if (status == ERROR_SUCCESS && *scheme != nullptr) {
            Guid g;
            g.data1 = (*scheme)->Data1;
            g.data2 = (*scheme)->Data2;
            g.data3 = (*scheme)->Data3;
            for (std::size_t i = 0; i < g.data4.size(); ++i) g.data4[i] = (*scheme)->Data4[i];
            r.record.scheme = g;
        } else {
            r.record.scheme_error = status != 0 ? status : ERROR_INVALID_DATA;
        }
        return status;
    };
    api.power_status = [](void* context, SYSTEM_POWER_STATUS* status) -> BOOL {
        Recorder& r = recorder(context);
        const BOOL ok = r.real.power.power_status(r.real.power.context, status);
        const DWORD error = GetLastError();
        if (ok)
            r.record.power = RecordedPowerStatus{status->ACLineStatus, status->BatteryFlag, status->BatteryLifePercent};
        SetLastError(error);
        return ok;
    };
    return api;
}

DiskApi recording_disk(Recorder& r)
{
    DiskApi api;
    api.context = &r;
    api.windows_directory = [](void* context, wchar_t* buffer, UINT size) -> UINT {
        Recorder& r = recorder(context);
        const UINT length = r.real.disk.windows_directory(r.real.disk.context, buffer, size);
        const DWORD error = GetLastError();
        if (length > 0 && length < size) r.record.windows_directory = from_wide(buffer, length);
        SetLastError(error);
        return length;
    };
    api.disk_free_space = [](void* context, const wchar_t* root, ULARGE_INTEGER* free_to_caller,
                             ULARGE_INTEGER* total, ULARGE_INTEGER* total_free) -> BOOL {
        Recorder& r = recorder(context);
        // All three figures, so the record holds the volume's free bytes
        // whatever the reader asks for.
        ULARGE_INTEGER caller = {}, bytes = {}, all_free = {};
        const BOOL ok = r.real.disk.disk_free_space(r.real.disk.context, root, &caller, &bytes, &all_free);
        const DWORD error = GetLastError();
        if (ok) {
            r.record.free_bytes = all_free.QuadPart;
            if (free_to_caller != nullptr) *free_to_caller = caller;
            if (total != nullptr) *total = bytes;
            if (total_free != nullptr) *total_free = all_free;
        }
        SetLastError(error);
        return ok;
    };
    return api;
}

RegistryApi recording_registry(MachineRecord& record, RegistryApi real)
{
    // Only the values found; one not listed was missing (or of another type).
    RegistryApi api;
    api.text = [&record, real](HKEY root, std::string_view subkey, std::string_view name, std::size_t capacity) {
        RegistryRead<std::string> read = real.text(root, subkey, name, capacity);
        if (read.value)
            record.registry.push_back({root_name(root), std::string(subkey), std::string(name), read.value, {}});
        return read;
    };
    api.dword = [&record, real](HKEY root, std::string_view subkey, std::string_view name) {
        RegistryRead<std::uint32_t> read = real.dword(root, subkey, name);
        if (read.value)
            record.registry.push_back({root_name(root), std::string(subkey), std::string(name), {}, read.value});
        return read;
    };
    return api;
}

WindowsApi recording_windows(MachineRecord& record, WindowsApi real)
{
    WindowsApi api;
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

const MachineRecord& record_in(void* context) { return *static_cast<const MachineRecord*>(context); }
void* context_of(const MachineRecord& record) { return const_cast<MachineRecord*>(&record); }

DisplayApi replay_display(const MachineRecord& record)
{
    DisplayApi api;
    api.context = context_of(record);
    api.enum_devices = [](void* context, DWORD index, DISPLAY_DEVICEW* device) -> BOOL {
        if (device->cb != sizeof(DISPLAY_DEVICEW)) return FALSE;
        for (const RecordedDisplayDevice& d : record_in(context).display_devices) {
            if (d.index != index) continue;
            if (d.fails) return FALSE;
            wcsncpy(device->DeviceName, to_wide(d.name).c_str(), 32);
            wcsncpy(device->DeviceString, L"Acme Graphics Adapter", 128);
            device->StateFlags = d.flags;
            return TRUE;
        }
        return FALSE;
    };
    api.enum_settings = [](void* context, const wchar_t* name, DWORD index, DEVMODEW* mode) -> BOOL {
        if (mode->dmSize != sizeof(DEVMODEW)) return FALSE;
        const std::optional<std::string> device =
            name == nullptr ? std::nullopt : std::optional<std::string>(from_wide(name, 32));
        const std::optional<std::uint32_t> wanted =
            index == ENUM_CURRENT_SETTINGS ? std::nullopt : std::optional<std::uint32_t>(index);
        for (const RecordedMode& m : record_in(context).modes) {
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

// The list handed to the reader is the record itself.
GraphicsApi replay_graphics(const MachineRecord& record)
{
    GraphicsApi api;
    api.context = context_of(record);
    api.open_list = [](void* context, HRESULT* failure) -> void* {
        const MachineRecord& record = record_in(context);
        if (record.dxgi_error == 0) return context;
        *failure = static_cast<HRESULT>(record.dxgi_error);
        return nullptr;
    };
    api.read_adapter = [](void* list, UINT index, DXGI_ADAPTER_DESC1* desc) -> AdapterAnswer {
        for (const RecordedAdapter& a : record_in(list).adapters) {
            if (a.index != index) continue;
            if (a.enum_error != 0) return {static_cast<HRESULT>(a.enum_error), E_UNEXPECTED};
            if (a.desc_error != 0) return {S_OK, static_cast<HRESULT>(a.desc_error)};
            *desc = {};
            wcsncpy(desc->Description, to_wide(a.description).c_str(), 128);
            desc->VendorId = a.vendor;
            desc->DeviceId = a.device;
            desc->DedicatedVideoMemory = static_cast<SIZE_T>(a.dedicated);
            desc->DedicatedSystemMemory = static_cast<SIZE_T>(a.dedicated_system);
            desc->SharedSystemMemory = static_cast<SIZE_T>(a.shared);
            desc->AdapterLuid = {0x1000 + index, 0};
            desc->Flags = a.flags;
            return {S_OK, S_OK};
        }
        return {DXGI_ERROR_NOT_FOUND, E_UNEXPECTED};
    };
    api.close_list = [](void*) {};
    return api;
}

MemoryApi replay_memory(const MachineRecord& record)
{
    MemoryApi api;
    api.context = context_of(record);
    api.installed_kib = [](void* context, ULONGLONG* kib) -> BOOL {
        const MachineRecord& record = record_in(context);
        if (!record.installed_kib) return fail(ERROR_INVALID_DATA);
        *kib = *record.installed_kib;
        return TRUE;
    };
    api.memory_status = [](void* context, MEMORYSTATUSEX* status) -> BOOL {
        const MachineRecord& record = record_in(context);
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
    api.firmware_table = [](void* context, DWORD provider, DWORD table_id, void* buffer, DWORD size) -> UINT {
        const RecordedSmbios& s = record_in(context).smbios;
        if (provider != smbios_provider || table_id != 0 || !s.present || (s.size && *s.size == 0)) {
            SetLastError(ERROR_NOT_FOUND);
            return 0;
        }
        const std::vector<std::uint8_t> table = smbios_table(s);
        // A table too large to read is answered with its recorded size.
        const UINT needed = s.size && *s.size > smbios_max_bytes ? *s.size : static_cast<UINT>(table.size());
        if (buffer == nullptr) return needed;
        if (s.got && *s.got == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
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

// The drives' replay: the record and the entry of each handle it gave out.
struct ReplayDrives {
    const MachineRecord& record;
    std::map<HANDLE, const RecordedDrive*> open;
};

StorageApi replay_storage(ReplayDrives& drives)
{
    StorageApi api;
    api.context = &drives;
    api.open_drive = [](void* context, const wchar_t* path) -> HANDLE {
        ReplayDrives& drives = *static_cast<ReplayDrives*>(context);
        const std::wstring prefix = L"\\\\.\\PhysicalDrive";
        if (std::wcsncmp(path, prefix.c_str(), prefix.size()) == 0) {
            for (const RecordedDrive& d : drives.record.drives) {
                if (path != prefix + std::to_wstring(d.number)) continue;
                if (d.open_error != 0) break;
                // A real handle, so that closing it can be checked.
                const HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
                drives.open[h] = &d;
                return h;
            }
        }
        const std::uint32_t number = drive_number(path);
        DWORD error = ERROR_FILE_NOT_FOUND;
        for (const RecordedDrive& d : drives.record.drives)
            if (d.number == number && d.open_error != 0) error = d.open_error;
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    };
    api.control = [](void* context, HANDLE h, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size,
                     DWORD* returned) -> BOOL {
        ReplayDrives& drives = *static_cast<ReplayDrives*>(context);
        *returned = 0;
        const auto found = drives.open.find(h);
        if (found == drives.open.end() || code != IOCTL_STORAGE_QUERY_PROPERTY ||
            in_size != sizeof(STORAGE_PROPERTY_QUERY))
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
    api.context = context_of(record);
    // Like the system, hands over a copy the caller frees with LocalFree.
    api.active_scheme = [](void* context, GUID** scheme) -> DWORD {
        const MachineRecord& record = record_in(context);
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
    api.power_status = [](void* context, SYSTEM_POWER_STATUS* status) -> BOOL {
        const MachineRecord& record = record_in(context);
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

DiskApi replay_disk(const MachineRecord& record)
{
    DiskApi api;
    api.context = context_of(record);
    api.windows_directory = [](void* context, wchar_t* buffer, UINT size) -> UINT {
        const MachineRecord& record = record_in(context);
        if (!record.windows_directory) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return 0;
        }
        const std::wstring path = to_wide(*record.windows_directory);
        if (path.size() + 1 > size) return static_cast<UINT>(path.size() + 1);  // the size needed
        std::wmemcpy(buffer, path.c_str(), path.size() + 1);
        return static_cast<UINT>(path.size());
    };
    // The record has the volume's free bytes; a user's quota is not recorded.
    api.disk_free_space = [](void* context, const wchar_t*, ULARGE_INTEGER* free_to_caller, ULARGE_INTEGER* total,
                             ULARGE_INTEGER* total_free) -> BOOL {
        const MachineRecord& record = record_in(context);
        if (!record.free_bytes) return fail(ERROR_NOT_READY);
        if (free_to_caller != nullptr) free_to_caller->QuadPart = *record.free_bytes;
        if (total != nullptr) total->QuadPart = *record.free_bytes;
        if (total_free != nullptr) total_free->QuadPart = *record.free_bytes;
        return TRUE;
    };
    return api;
}

RegistryApi replay_registry(const MachineRecord& record)
{
    RegistryApi api;
    api.text = [&record](HKEY root, std::string_view subkey, std::string_view name,
                         std::size_t capacity) -> RegistryRead<std::string> {
        const RecordedValue* v = record.value(root_name(root), subkey, name);
        if (v == nullptr || !v->text) return {std::nullopt, ERROR_FILE_NOT_FOUND, 0};
        // Like the read: the text and its terminator must fit in the buffer.
        if (to_wide(*v->text).size() + 1 > capacity) return {std::nullopt, ERROR_MORE_DATA, 0};
        return {v->text, 0, 0};
    };
    api.dword = [&record](HKEY root, std::string_view subkey, std::string_view name) -> RegistryRead<std::uint32_t> {
        const RecordedValue* v = record.value(root_name(root), subkey, name);
        if (v == nullptr || !v->dword) return {std::nullopt, ERROR_FILE_NOT_FOUND, 0};
        return {v->dword, 0, 4};
    };
    return api;
}

WindowsApi replay_windows(const MachineRecord& record)
{
    WindowsApi api;
    api.version = [&record](RTL_OSVERSIONINFOW* info, LONG* status) {
        if (!record.os_build) return false;
        info->dwBuildNumber = *record.os_build;
        *status = record.os_status;
        return true;
    };
    return api;
}

// ---- The settings step's reads ----------------------------------------------------

Finding<std::uint32_t> read_os_build(const WindowsApi& api)
{
    RTL_OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    LONG status = -1;
    if (!api.version(&info, &status)) return absent<std::uint32_t>(os_build_reason(false, 0, 0));
    return found_or(os_build_number(status, info.dwBuildNumber),
                    [&] { return os_build_reason(true, status, info.dwBuildNumber); });
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
    const auto why = [&scan](std::string_view finding, std::string reason) {
        scan.absent.push_back({std::string(finding), std::move(reason)});
    };
    // The finding's value; an absent one's reason noted under `finding`.
    const auto kept = [&why]<typename T>(std::string_view finding, Finding<T> result) {
        if (!result.value) why(finding, std::move(result.why_absent));
        return std::move(result.value);
    };

    r.processor_name = kept("processor", timed(scan, "processor", [&] {
        return processor_finding(api.registry.text(HKEY_LOCAL_MACHINE, processor_key, processor_value,
                                                   processor_capacity));
    }));
    r.graphics_name = kept("graphics", timed(scan, "graphics", [&] { return probe_graphics(api.graphics); }));
    r.memory_gb = kept("memory size", timed(scan, "memory-size", [&] { return probe_memory_size(api.memory); }));
    const DisplayProbe display = timed(scan, "display", [&] { return probe_display(api.display); });
    r.display_size = display.display_size;
    r.refresh_hz = display.refresh_hz;
    if (!r.display_size) why("display size", display_size_reason(display.displays));
    if (!r.refresh_hz) why("refresh rate", refresh_rate_reason(display.displays));
    r.storage_kind = kept("storage", timed(scan, "storage", [&] { return probe_storage(api.storage); }));

    // The settings step, probe by probe in the program's order.
    SettingsSnapshot& s = r.settings;
    if (const auto speeds = kept("memory speeds",
                                 timed(scan, "memory-speeds", [&] { return probe_memory_speeds(api.memory); }))) {
        s.memory_rated_speed = speeds->rated;
        s.memory_configured_speed = speeds->configured;
        if (!s.memory_rated_speed) why("memory rated speed", "SMBIOS: the memory device gives only its configured speed");
        if (!s.memory_configured_speed)
            why("memory configured speed", "SMBIOS: the memory device gives only its rated speed");
    }
    timed(scan, "power-plan", [&] {
        std::uint32_t status = 0;
        s.power_plan = power_plan_code(read_active_scheme(api.power, &status));
        if (!s.power_plan) why("power plan", power_plan_reason(status));
        return 0;
    });
    timed(scan, "power-mode", [&] {
        s.power_mode = power_mode_code(text(power_mode_setting).value);
        if (!s.power_mode) why("power mode", power_mode_reason());
        return 0;
    });
    s.game_mode = timed(scan, "game-mode", [&] { return game_mode_state(dword(game_mode_setting).value); });
    timed(scan, "gpu-scheduling", [&] {
        const RegistryRead<std::uint32_t> read = dword(gpu_scheduling_setting);
        s.gpu_scheduling = gpu_scheduling_state(read.value);
        if (s.gpu_scheduling == TriState::Absent)
            why("gpu scheduling", toggle_reason(gpu_scheduling_setting.value, read, "1 or 2"));
        return 0;
    });
    timed(scan, "game-capture", [&] {
        const RegistryRead<std::uint32_t> game_dvr = dword(game_dvr_setting);
        const RegistryRead<std::uint32_t> app_capture = dword(app_capture_setting);
        s.game_capture = game_capture_state(game_dvr.value, app_capture.value);
        if (s.game_capture == TriState::Absent) why("game capture", game_capture_reason(game_dvr, app_capture));
        return 0;
    });
    timed(scan, "memory-integrity", [&] {
        const RegistryRead<std::uint32_t> read = dword(memory_integrity_setting);
        s.memory_integrity = memory_integrity_state(read.value);
        if (s.memory_integrity == TriState::Absent)
            why("memory integrity", toggle_reason(memory_integrity_setting.value, read, "0 or 1"));
        return 0;
    });
    timed(scan, "windowed-optimizations", [&] {
        const RegistryRead<std::string> read = text(directx_settings_setting);
        s.windowed_optimizations = windowed_optimizations_state(read.value);
        if (s.windowed_optimizations == TriState::Absent)
            why("windowed optimizations", windowed_optimizations_reason(read));
        return 0;
    });
    timed(scan, "mouse-acceleration", [&] {
        const RegistryRead<std::string> read = text(mouse_speed_setting);
        s.mouse_acceleration = mouse_acceleration_state(read.value);
        if (s.mouse_acceleration == TriState::Absent) why("mouse acceleration", mouse_acceleration_reason(read));
        return 0;
    });
    s.max_refresh_hz = kept("highest refresh rate", timed(scan, "max-refresh-hz", [&] {
        return found_or(max_refresh(display.displays), [&] { return max_refresh_reason(display.displays); });
    }));
    s.free_space_gb = kept("free space", timed(scan, "free-space", [&] { return read_free_space_gb(api.disk); }));
    timed(scan, "battery", [&] {
        const std::optional<PowerStatus> status = read_power_status(api.power);
        const DWORD error = status ? 0 : GetLastError();
        s.on_battery = on_battery_state(status);
        if (s.on_battery == TriState::Absent) why("battery", battery_reason(status, error));
        return 0;
    });
    s.gpu_driver_date = kept("driver date", timed(scan, "driver-date", [&] {
        const RegistryTextReader registry{const_cast<RegistryApi*>(&api.registry),
                                          [](void* context, const std::string& subkey, std::string_view value) {
                                              return static_cast<const RegistryApi*>(context)
                                                  ->text(HKEY_LOCAL_MACHINE, subkey, value, registry_text_capacity)
                                                  .value;
                                          }};
        return find_driver_date(r.graphics_name, registry);
    }));
    s.os_build = kept("windows build", timed(scan, "os-build", [&] { return read_os_build(api.windows); }));
    return scan;
}

MachineApi recording_api(MachineRecord& record)
{
    auto recorder = std::make_shared<Recorder>(Recorder{record, MachineApi{}, {}, {}});
    Recorder& r = *recorder;
    MachineApi api;
    api.display = recording_display(r);
    api.graphics = recording_graphics(r);
    api.memory = recording_memory(r);
    api.storage = recording_storage(r);
    api.power = recording_power(r);
    api.disk = recording_disk(r);
    api.registry = recording_registry(record, r.real.registry);
    api.windows = recording_windows(record, r.real.windows);
    api.state = std::move(recorder);
    return api;
}

MachineApi replay_api(const MachineRecord& record)
{
    auto drives = std::make_shared<ReplayDrives>(ReplayDrives{record, {}});
    MachineApi api;
    api.display = replay_display(record);
    api.graphics = replay_graphics(record);
    api.memory = replay_memory(record);
    api.storage = replay_storage(*drives);
    api.power = replay_power(record);
    api.disk = replay_disk(record);
    api.registry = replay_registry(record);
    api.windows = replay_windows(record);
    api.state = std::move(drives);
    return api;
}

}  // namespace qd::kit
