#include "checks/settings_win.h"

#include <memory>

#include "checks/deadline_win.h"
#include "checks/graphics.h"
#include "checks/memory_win.h"
#include "checks/owned_win.h"
#include "checks/registry.h"
#include "checks/system_dll_win.h"

namespace qd::checks {

namespace {

HKEY hive_key(RegistryHive hive) { return hive == RegistryHive::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

RegistryRead<std::uint32_t> read_dword(const RegistrySetting& setting)
{
    return read_registry_dword_status(hive_key(setting.hive), setting.subkey, setting.value);
}

RegistryRead<std::string> read_text(const RegistrySetting& setting)
{
    return read_registry_text_status(hive_key(setting.hive), setting.subkey, setting.value);
}

Finding<std::uint32_t> read_os_build()
{
    // RtlGetVersion reports the real version whatever the manifest says; it has
    // no import library here, so it is looked up like the optional DLLs' functions.
    using RtlGetVersionFn = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    const auto rtl_get_version = system_function<RtlGetVersionFn>(L"ntdll.dll", "RtlGetVersion");
    if (rtl_get_version == nullptr) return absent<std::uint32_t>(os_build_reason(false, 0, 0));
    RTL_OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    static_assert(sizeof(RTL_OSVERSIONINFOW) == 276);
    const LONG status = rtl_get_version(&info);
    return found_or(os_build_number(status, info.dwBuildNumber),
                    [&] { return os_build_reason(true, status, info.dwBuildNumber); });
}

// Keeps `finding`'s value in `field`, or adds its reason under `name`.
template <typename T, typename Field>
void keep(Finding<T> finding, Field& field, std::string_view name, AbsentFindings& absent)
{
    if (finding.value)
        field = std::move(*finding.value);
    else
        absent.push_back({std::string(name), std::move(finding.why_absent)});
}

// A setting read from one DWORD whose classification may leave it absent.
SettingsProbe toggle_probe(std::string_view name, const RegistrySetting& setting, TriState SettingsSnapshot::*field,
                           TriState (*classify)(std::optional<std::uint32_t>), std::string_view known)
{
    return {name, [=](SettingsSnapshot& s, AbsentFindings& absent) {
                const RegistryRead<std::uint32_t> read = read_dword(setting);
                s.*field = classify(read.value);
                if (s.*field == TriState::Absent)
                    absent.push_back({std::string(name), toggle_reason(setting.value, read, known)});
            }};
}

// A setting read from one text value whose classification may leave it absent.
SettingsProbe text_probe(std::string_view name, const RegistrySetting& setting, TriState SettingsSnapshot::*field,
                         TriState (*classify)(const std::optional<std::string>&),
                         std::string (*reason)(const RegistryRead<std::string>&))
{
    return {name, [=](SettingsSnapshot& s, AbsentFindings& absent) {
                const RegistryRead<std::string> read = read_text(setting);
                s.*field = classify(read.value);
                if (s.*field == TriState::Absent) absent.push_back({std::string(name), reason(read)});
            }};
}

}  // namespace

DWORD system_active_scheme(GUID** scheme)
{
    const auto get_active_scheme =
        system_function<decltype(&PowerGetActiveScheme)>(L"powrprof.dll", "PowerGetActiveScheme");
    if (get_active_scheme == nullptr) {
        const DWORD error = GetLastError();
        return error != ERROR_SUCCESS ? error : ERROR_PROC_NOT_FOUND;
    }
    return get_active_scheme(nullptr, scheme);
}

Finding<std::uint64_t> read_free_space_gb(const DiskApi& api)
{
    wchar_t directory[MAX_PATH] = {};
    const UINT length = api.windows_directory(api.context, directory, MAX_PATH);
    const std::optional<std::u16string> root =
        windows_drive_root(std::u16string_view(reinterpret_cast<const char16_t*>(directory), MAX_PATH), length);
    if (!root) return absent<std::uint64_t>(windows_directory_reason(length, GetLastError()));
    const std::wstring root_path(root->begin(), root->end());
    ULARGE_INTEGER free_bytes = {};
    if (!api.disk_free_space(api.context, root_path.c_str(), nullptr, nullptr, &free_bytes))
        return absent<std::uint64_t>(free_space_reason(GetLastError()));
    return found(whole_gib(free_bytes.QuadPart));
}

std::optional<Guid> read_active_scheme(const PowerApi& api, std::uint32_t* status_out)
{
    GUID* scheme = nullptr;
    const DWORD status = api.active_scheme(api.context, &scheme);
    const UniqueLocal owned(scheme);  // the system's copy, freed on every path
    if (status_out != nullptr) *status_out = status;
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

std::vector<SettingsProbe> settings_probes(const std::optional<std::string>& graphics_name,
                                           const std::vector<DisplayInfo>& displays)
{
    using S = SettingsSnapshot;
    // Copies for the probes that use an earlier finding, shared by nothing else.
    auto kept_displays = std::make_shared<const std::vector<DisplayInfo>>(displays);
    return {
        {"memory speeds",
         [](S& s, AbsentFindings& absent) {
             Finding<MemorySpeeds> speeds = probe_memory_speeds();
             if (!speeds.value) {
                 absent.push_back({"memory speeds", std::move(speeds.why_absent)});
                 return;
             }
             s.memory_rated_speed = speeds.value->rated;
             s.memory_configured_speed = speeds.value->configured;
             if (!s.memory_rated_speed)
                 absent.push_back({"memory rated speed", "SMBIOS: the memory device gives only its configured speed"});
             if (!s.memory_configured_speed)
                 absent.push_back({"memory configured speed", "SMBIOS: the memory device gives only its rated speed"});
         }},
        {"power plan",
         [](S& s, AbsentFindings& absent) {
             std::uint32_t status = 0;
             s.power_plan = power_plan_code(read_active_scheme({}, &status));
             if (!s.power_plan) absent.push_back({"power plan", power_plan_reason(status)});
         }},
        {"power mode",
         [](S& s, AbsentFindings& absent) {
             s.power_mode = power_mode_code(read_text(power_mode_setting).value);
             if (!s.power_mode) absent.push_back({"power mode", power_mode_reason()});
         }},
        {"game mode", [](S& s, AbsentFindings&) { s.game_mode = game_mode_state(read_dword(game_mode_setting).value); }},
        toggle_probe("gpu scheduling", gpu_scheduling_setting, &S::gpu_scheduling, gpu_scheduling_state, "1 or 2"),
        {"game capture",
         [](S& s, AbsentFindings& absent) {
             const RegistryRead<std::uint32_t> game_dvr = read_dword(game_dvr_setting);
             const RegistryRead<std::uint32_t> app_capture = read_dword(app_capture_setting);
             s.game_capture = game_capture_state(game_dvr.value, app_capture.value);
             if (s.game_capture == TriState::Absent)
                 absent.push_back({"game capture", game_capture_reason(game_dvr, app_capture)});
         }},
        toggle_probe("memory integrity", memory_integrity_setting, &S::memory_integrity, memory_integrity_state,
                     "0 or 1"),
        text_probe("windowed optimizations", directx_settings_setting, &S::windowed_optimizations,
                   windowed_optimizations_state, windowed_optimizations_reason),
        text_probe("mouse acceleration", mouse_speed_setting, &S::mouse_acceleration, mouse_acceleration_state,
                   mouse_acceleration_reason),
        {"highest refresh rate",
         [kept_displays](S& s, AbsentFindings& absent) {
             keep(found_or(max_refresh(*kept_displays), [&] { return max_refresh_reason(*kept_displays); }),
                  s.max_refresh_hz, "highest refresh rate", absent);
         }},
        {"free space", [](S& s, AbsentFindings& absent) { keep(read_free_space_gb(), s.free_space_gb, "free space", absent); }},
        {"battery",
         [](S& s, AbsentFindings& absent) {
             const std::optional<PowerStatus> status = read_power_status();
             const DWORD error = status ? 0 : GetLastError();
             s.on_battery = on_battery_state(status);
             if (s.on_battery == TriState::Absent) absent.push_back({"battery", battery_reason(status, error)});
         }},
        {"driver date",
         [graphics_name](S& s, AbsentFindings& absent) {
             keep(probe_driver_date(graphics_name), s.gpu_driver_date, "driver date", absent);
         }},
        {"windows build", [](S& s, AbsentFindings& absent) { keep(read_os_build(), s.os_build, "windows build", absent); }},
    };
}

SettingsSnapshot scan_settings(const std::vector<SettingsProbe>& probes, std::uint32_t deadline_ms,
                               AbsentFindings& absent)
{
    SettingsSnapshot snapshot;
    for (const SettingsProbe& probe : probes) {
        // The probe works on its own copy, which the thread keeps if it is late.
        struct Result {
            SettingsSnapshot snapshot;
            AbsentFindings absent;
        };
        auto result = std::make_shared<Result>(Result{snapshot, {}});
        const std::function<void(SettingsSnapshot&, AbsentFindings&)> read = probe.read;
        std::string late = run_within([read, result] { read(result->snapshot, result->absent); }, deadline_ms);
        if (!late.empty()) {
            absent.push_back({std::string(probe.finding), std::move(late)});
            continue;
        }
        snapshot = std::move(result->snapshot);
        for (AbsentFinding& line : result->absent) absent.push_back(std::move(line));
    }
    return snapshot;
}

SettingsSnapshot scan_settings(const std::optional<std::string>& graphics_name,
                               const std::vector<DisplayInfo>& displays)
{
    AbsentFindings absent;
    return scan_settings(settings_probes(graphics_name, displays), probe_deadline_ms, absent);
}

}  // namespace qd::checks
