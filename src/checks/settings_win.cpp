#include "checks/settings_win.h"

#include "checks/graphics.h"
#include "checks/memory_win.h"
#include "checks/owned_win.h"
#include "checks/registry.h"
#include "checks/system_dll_win.h"

namespace qd::checks {

namespace {

HKEY hive_key(RegistryHive hive) { return hive == RegistryHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

std::optional<std::uint32_t> read_dword(const RegistrySetting& setting)
{
    return read_registry_dword(hive_key(setting.hive), setting.subkey, setting.value);
}

std::optional<std::string> read_text(const RegistrySetting& setting)
{
    return read_registry_text(hive_key(setting.hive), setting.subkey, setting.value);
}

std::optional<std::uint32_t> read_os_build()
{
    // RtlGetVersion reports the real version whatever the manifest says; it has
    // no import library here, so it is looked up like the optional DLLs' functions.
    using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    const auto rtl_get_version = system_function<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion");
    if (rtl_get_version == nullptr) return std::nullopt;
    RTL_OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    static_assert(sizeof(RTL_OSVERSIONINFOW) == 276);
    const LONG status = rtl_get_version(&info);
    return os_build_number(status, info.dwBuildNumber);
}

}  // namespace

DWORD system_active_scheme(GUID** scheme)
{
    const auto get_active_scheme =
        system_function<decltype(&PowerGetActiveScheme)>(L"powrprof.dll", "PowerGetActiveScheme");
    if (get_active_scheme == nullptr) return ERROR_PROC_NOT_FOUND;
    return get_active_scheme(nullptr, scheme);
}

std::optional<std::uint64_t> read_free_space_gb(const DiskApi& api)
{
    wchar_t directory[MAX_PATH] = {};
    const UINT length = api.windows_directory(api.context, directory, MAX_PATH);
    const std::optional<std::u16string> root =
        windows_drive_root(std::u16string_view(reinterpret_cast<const char16_t*>(directory), MAX_PATH), length);
    if (!root) return std::nullopt;
    const std::wstring root_path(root->begin(), root->end());
    ULARGE_INTEGER free_bytes = {};
    if (!api.disk_free_space(api.context, root_path.c_str(), nullptr, nullptr, &free_bytes)) return std::nullopt;
    return whole_gib(free_bytes.QuadPart);
}

std::optional<Guid> read_active_scheme(const PowerApi& api)
{
    GUID* scheme = nullptr;
    const DWORD status = api.active_scheme(api.context, &scheme);
    const UniqueLocal owned(scheme);  // the system's copy, freed on every path
    if (status != ERROR_SUCCESS || scheme == nullptr) return std::nullopt;
    Guid guid;
    guid.data1 = scheme->Data1;
    guid.data2 = scheme->Data2;
    guid.data3 = scheme->Data3;
    for (std::size_t i = 0; i < guid.data4.size(); ++i) guid.data4[i] = scheme->Data4[i];
    return guid;
}

std::optional<PowerStatus> read_power_status(const PowerApi& api)
{
    SYSTEM_POWER_STATUS status = {};
    if (!api.power_status(api.context, &status)) return std::nullopt;
    return PowerStatus{status.ACLineStatus, status.BatteryFlag};
}

SettingsSnapshot scan_settings(const std::optional<std::string>& graphics_name,
                               const std::vector<DisplayInfo>& displays)
{
    SettingsSnapshot s;
    const MemorySpeeds speeds = probe_memory_speeds();
    s.memory_rated_speed = speeds.rated;
    s.memory_configured_speed = speeds.configured;
    s.power_plan = power_plan_code(read_active_scheme());
    s.power_mode = power_mode_code(read_text(power_mode_setting));
    s.game_mode = game_mode_state(read_dword(game_mode_setting));
    s.gpu_scheduling = gpu_scheduling_state(read_dword(gpu_scheduling_setting));
    const std::optional<std::uint32_t> game_dvr = read_dword(game_dvr_setting);
    s.game_capture = game_capture_state(game_dvr, read_dword(app_capture_setting));
    s.memory_integrity = memory_integrity_state(read_dword(memory_integrity_setting));
    s.windowed_optimizations = windowed_optimizations_state(read_text(directx_settings_setting));
    s.mouse_acceleration = mouse_acceleration_state(read_text(mouse_speed_setting));
    s.max_refresh_hz = max_refresh(displays);
    s.free_space_gb = read_free_space_gb();
    s.on_battery = on_battery_state(read_power_status());
    s.gpu_driver_date = probe_driver_date(graphics_name);
    s.os_build = read_os_build();
    return s;
}

}  // namespace qd::checks
