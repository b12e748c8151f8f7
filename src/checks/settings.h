// The Windows settings step of the scan. Each probe is a platform read
// (settings_win.cpp) and a classification of what was read (settings.cpp);
// the classifications, their GUIDs and codes are plain functions of the read.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "checks/display.h"
#include "checks/finding.h"
#include "checks/registry.h"
#include "checks/scan_types.h"

namespace qd::checks {

// Runs the settings probes in order: memory speeds, power plan, power mode,
// Game Mode, GPU scheduling, game capture, memory integrity, windowed
// optimisations, mouse acceleration, highest refresh rate, free space,
// battery, driver date, Windows build.
SettingsSnapshot scan_settings(const std::optional<std::string>& graphics_name,
                               const std::vector<DisplayInfo>& displays);

// Where a setting lives. The Win32 reader maps the hive to its HKEY.
enum class RegistryHive : std::uint8_t { CurrentUser, LocalMachine };
struct RegistrySetting {
    RegistryHive hive;
    std::string_view subkey;
    std::string_view value;
};

inline constexpr RegistrySetting power_mode_setting{RegistryHive::LocalMachine,
                                                    "SYSTEM\\CurrentControlSet\\Control\\Power\\User\\PowerSchemes",
                                                    "ActiveOverlayAcPowerScheme"};
inline constexpr RegistrySetting game_mode_setting{RegistryHive::CurrentUser, "Software\\Microsoft\\GameBar",
                                                   "AutoGameModeEnabled"};
inline constexpr RegistrySetting gpu_scheduling_setting{
    RegistryHive::LocalMachine, "SYSTEM\\CurrentControlSet\\Control\\GraphicsDrivers", "HwSchMode"};
inline constexpr RegistrySetting game_dvr_setting{RegistryHive::CurrentUser, "System\\GameConfigStore",
                                                  "GameDVR_Enabled"};
inline constexpr RegistrySetting app_capture_setting{
    RegistryHive::CurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\GameDVR", "AppCaptureEnabled"};
inline constexpr RegistrySetting memory_integrity_setting{
    RegistryHive::LocalMachine,
    "SYSTEM\\CurrentControlSet\\Control\\DeviceGuard\\Scenarios\\HypervisorEnforcedCodeIntegrity", "Enabled"};
inline constexpr RegistrySetting directx_settings_setting{
    RegistryHive::CurrentUser, "Software\\Microsoft\\DirectX\\UserGpuPreferences", "DirectXUserGlobalSettings"};
inline constexpr RegistrySetting mouse_speed_setting{RegistryHive::CurrentUser, "Control Panel\\Mouse", "MouseSpeed"};

// A GUID as its four numbers, the way the system hands it over.
struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::array<std::uint8_t, 8> data4{};
};

// 8-4-4-4-12 small hexadecimal digits, zero-filled, no braces.
std::string guid_text(const Guid& guid);

// Trims white space, strips every leading and trailing "{" or "}", and maps
// A-Z to a-z: " {8C5E7FDA-...} " becomes "8c5e7fda-...".
std::string normalize_guid_text(std::string_view text);

// "hp", "up", "bal", "ps" or "oth"; absent when the active scheme could not be read.
std::optional<std::string_view> power_plan_code(const std::optional<Guid>& active_scheme);

// "best", "eff" or "bal" from the overlay GUID text; a failed read is balanced,
// an unknown GUID is absent.
std::optional<std::string_view> power_mode_code(const std::optional<std::string>& overlay);

TriState game_mode_state(std::optional<std::uint32_t> auto_game_mode);
TriState gpu_scheduling_state(std::optional<std::uint32_t> hw_sch_mode);
TriState game_capture_state(std::optional<std::uint32_t> game_dvr, std::optional<std::uint32_t> app_capture);
TriState memory_integrity_state(std::optional<std::uint32_t> enabled);
TriState windowed_optimizations_state(const std::optional<std::string>& directx_settings);
TriState mouse_acceleration_state(const std::optional<std::string>& mouse_speed);

// The root ("C:\") of the drive in the Windows directory buffer, given the
// length GetSystemWindowsDirectoryW returned; absent unless 3 <= length <= 259.
std::optional<std::u16string> windows_drive_root(std::u16string_view buffer, std::uint32_t length);

// Whole GiB, remainder dropped.
constexpr std::uint64_t whole_gib(std::uint64_t bytes) { return bytes >> 30; }

// The two bytes of SYSTEM_POWER_STATUS that decide the battery state.
struct PowerStatus {
    std::uint8_t ac_line_status = 0;
    std::uint8_t battery_flag = 0;
};

// On = running on battery, Off = on mains with a battery present.
TriState on_battery_state(const std::optional<PowerStatus>& status);

// dwBuildNumber when RtlGetVersion succeeded (status >= 0) and it is not 0.
std::optional<std::uint32_t> os_build_number(std::int32_t status, std::uint32_t build_number);

// Why a setting is absent, one line each, from what its read gave.
// "PowerGetActiveScheme failed with error 120", or a success without a scheme.
std::string power_plan_reason(std::uint32_t status);
// An overlay GUID none of the known ones.
std::string power_mode_reason();
// A DWORD toggle: the failed read, or a number it does not know ("HwSchMode: 3 is not 1 or 2").
std::string toggle_reason(std::string_view value_name, const RegistryRead<std::uint32_t>& read,
                          std::string_view known);
// Both game-capture reads failed.
std::string game_capture_reason(const RegistryRead<std::uint32_t>& game_dvr,
                                const RegistryRead<std::uint32_t>& app_capture);
std::string windowed_optimizations_reason(const RegistryRead<std::string>& read);
std::string mouse_acceleration_reason(const RegistryRead<std::string>& read);
// GetSystemWindowsDirectoryW's length outside 3..259 (with its error), or
// GetDiskFreeSpaceExW's error.
std::string windows_directory_reason(std::uint32_t length, std::uint32_t error);
std::string free_space_reason(std::uint32_t error);
// GetSystemPowerStatus's error when `status` is absent, else what it said.
std::string battery_reason(const std::optional<PowerStatus>& status, std::uint32_t error);
// RtlGetVersion missing, failed, or without a build number.
std::string os_build_reason(bool function_found, std::int32_t status, std::uint32_t build_number);

}  // namespace qd::checks
