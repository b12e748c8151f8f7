#include "checks/settings.h"

#include "checks/text.h"

namespace qd::checks {

namespace {

struct CodeByGuid {
    std::string_view guid;
    std::string_view code;
};

// The built-in power schemes. Anything else is a scheme the user (or a vendor) made.
constexpr CodeByGuid power_plans[] = {
    {"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c", "hp"},   // High performance
    {"e9a42b02-d5df-448d-aa00-03f14749eb61", "up"},   // Ultimate Performance
    {"381b4222-f694-41f0-9685-ff5bb260df2e", "bal"},  // Balanced
    {"a1841308-3541-4fab-bc81-f71556f20b4a", "ps"},   // Power saver
};

// The power-mode slider's overlays on mains power. No overlay (empty or all
// zeros) is the middle, balanced position.
constexpr CodeByGuid power_modes[] = {
    {"ded574b5-45a0-4f42-8737-46345c09c238", "best"},
    {"961cc777-2547-4f9d-8174-7d86181b8a7a", "eff"},
    {"", "bal"},
    {"00000000-0000-0000-0000-000000000000", "bal"},
};

void append_hex(std::string& out, std::uint64_t value, int digits)
{
    constexpr char hex[] = "0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) out += hex[(value >> shift) & 0xF];
}

bool is_brace(char c) { return c == '{' || c == '}'; }

}  // namespace

std::string guid_text(const Guid& guid)
{
    std::string out;
    out.reserve(36);
    append_hex(out, guid.data1, 8);
    out += '-';
    append_hex(out, guid.data2, 4);
    out += '-';
    append_hex(out, guid.data3, 4);
    out += '-';
    append_hex(out, guid.data4[0], 2);
    append_hex(out, guid.data4[1], 2);
    out += '-';
    for (std::size_t i = 2; i < guid.data4.size(); ++i) append_hex(out, guid.data4[i], 2);
    return out;
}

std::string normalize_guid_text(std::string_view text)
{
    text = trim(text);
    while (!text.empty() && is_brace(text.front())) text.remove_prefix(1);
    while (!text.empty() && is_brace(text.back())) text.remove_suffix(1);
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::optional<std::string_view> power_plan_code(const std::optional<Guid>& active_scheme)
{
    if (!active_scheme) return std::nullopt;
    const std::string text = normalize_guid_text(guid_text(*active_scheme));
    for (const CodeByGuid& plan : power_plans)
        if (text == plan.guid) return plan.code;
    return "oth";
}

std::optional<std::string_view> power_mode_code(const std::optional<std::string>& overlay)
{
    const std::string text = normalize_guid_text(overlay ? *overlay : std::string());
    for (const CodeByGuid& mode : power_modes)
        if (text == mode.guid) return mode.code;
    return std::nullopt;
}

TriState game_mode_state(std::optional<std::uint32_t> auto_game_mode)
{
    // Game Mode is on unless it has been switched off explicitly.
    return auto_game_mode == 0u ? TriState::Off : TriState::On;
}

TriState gpu_scheduling_state(std::optional<std::uint32_t> hw_sch_mode)
{
    if (hw_sch_mode == 2u) return TriState::On;
    if (hw_sch_mode == 1u) return TriState::Off;
    return TriState::Absent;
}

TriState game_capture_state(std::optional<std::uint32_t> game_dvr, std::optional<std::uint32_t> app_capture)
{
    if (!game_dvr && !app_capture) return TriState::Absent;
    return game_dvr == 1u || app_capture == 1u ? TriState::On : TriState::Off;
}

TriState memory_integrity_state(std::optional<std::uint32_t> enabled)
{
    if (enabled == 1u) return TriState::On;
    if (enabled == 0u) return TriState::Off;
    return TriState::Absent;
}

// DirectXUserGlobalSettings is a list of name=value pieces, for example
//   VRROptimizeEnable=0;SwapEffectUpgradeEnable=1;
// The first SwapEffectUpgradeEnable piece with a value of 0 or 1 decides.
TriState windowed_optimizations_state(const std::optional<std::string>& directx_settings)
{
    if (!directx_settings) return TriState::Absent;
    std::string_view rest = *directx_settings;
    for (;;) {
        const std::size_t end = rest.find(';');
        const std::string_view piece = rest.substr(0, end);
        const std::size_t equals = piece.find('=');
        if (equals != std::string_view::npos &&
            ascii_iequals(trim(piece.substr(0, equals)), "SwapEffectUpgradeEnable")) {
            const std::string_view value = trim(piece.substr(equals + 1));
            if (value == "1") return TriState::On;
            if (value == "0") return TriState::Off;
        }
        if (end == std::string_view::npos) return TriState::Absent;
        rest.remove_prefix(end + 1);
    }
}

TriState mouse_acceleration_state(const std::optional<std::string>& mouse_speed)
{
    if (!mouse_speed) return TriState::Absent;
    const std::string_view speed = trim(*mouse_speed);
    if (speed == "0") return TriState::Off;
    if (speed == "1" || speed == "2") return TriState::On;
    return TriState::Absent;
}

std::optional<std::u16string> windows_drive_root(std::u16string_view buffer, std::uint32_t length)
{
    if (length < 3 || length > 259 || length > buffer.size()) return std::nullopt;
    return std::u16string(buffer.substr(0, 3));
}

TriState on_battery_state(const std::optional<PowerStatus>& status)
{
    // BatteryFlag 128: no system battery; 255: status unknown.
    if (!status || status->battery_flag == 128 || status->battery_flag == 255) return TriState::Absent;
    if (status->ac_line_status == 0) return TriState::On;
    if (status->ac_line_status == 1) return TriState::Off;
    return TriState::Absent;
}

std::optional<std::uint32_t> os_build_number(std::int32_t status, std::uint32_t build_number)
{
    if (status < 0 || build_number == 0) return std::nullopt;
    return build_number;
}

std::string power_plan_reason(std::uint32_t status)
{
    if (status != 0) return call_failed("PowerGetActiveScheme", status);
    return "PowerGetActiveScheme succeeded without a scheme";
}

std::string power_mode_reason() { return "ActiveOverlayAcPowerScheme: not a known overlay GUID"; }

std::string toggle_reason(std::string_view value_name, const RegistryRead<std::uint32_t>& read,
                          std::string_view known)
{
    if (!read.value) return registry_reason(value_name, read.status, read.bytes);
    return std::string(value_name) + ": " + decimal(*read.value) + " is not " + std::string(known);
}

std::string game_capture_reason(const RegistryRead<std::uint32_t>& game_dvr,
                                const RegistryRead<std::uint32_t>& app_capture)
{
    return registry_reason("GameDVR_Enabled", game_dvr.status, game_dvr.bytes) + "; " +
           registry_reason("AppCaptureEnabled", app_capture.status, app_capture.bytes);
}

std::string windowed_optimizations_reason(const RegistryRead<std::string>& read)
{
    if (!read.value) return registry_reason("DirectXUserGlobalSettings", read.status, read.bytes);
    return "DirectXUserGlobalSettings: no SwapEffectUpgradeEnable of 0 or 1";
}

std::string mouse_acceleration_reason(const RegistryRead<std::string>& read)
{
    if (!read.value) return registry_reason("MouseSpeed", read.status, read.bytes);
    return "MouseSpeed: not 0, 1 or 2";
}

std::string windows_directory_reason(std::uint32_t length, std::uint32_t error)
{
    std::string why = "GetSystemWindowsDirectoryW gave a length of " + decimal(length);
    if (length == 0) why += " (error " + decimal(error) + ")";
    return why;
}

std::string free_space_reason(std::uint32_t error) { return call_failed("GetDiskFreeSpaceExW", error); }

std::string battery_reason(const std::optional<PowerStatus>& status, std::uint32_t error)
{
    if (!status) return call_failed("GetSystemPowerStatus", error);
    if (status->battery_flag == 128) return "BatteryFlag 128: no system battery";
    if (status->battery_flag == 255) return "BatteryFlag 255: battery status unknown";
    return "ACLineStatus " + decimal(status->ac_line_status) + ": neither on battery nor on mains";
}

std::string os_build_reason(bool function_found, std::int32_t status, std::uint32_t build_number)
{
    if (!function_found) return "RtlGetVersion not found in ntdll.dll";
    if (status < 0) return call_failed_hresult("RtlGetVersion", static_cast<std::uint32_t>(status));
    return "RtlGetVersion gave build number " + decimal(build_number);
}

}  // namespace qd::checks
