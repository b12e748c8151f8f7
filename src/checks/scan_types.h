// The records that carry one scan's findings from the scan worker to the window.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace qd::checks {

// A Windows setting that is off, on, or could not be read (or held an unlisted value).
enum class TriState : std::uint8_t { Off = 0, On = 1, Absent = 2 };

// The Windows settings and hardware-derived facts of one scan, in the order the
// report link writes them. Code fields point at constant texts and own nothing.
struct SettingsSnapshot {
    std::optional<std::string_view> power_plan;  // "hp", "up", "bal", "ps", "oth"
    std::optional<std::string_view> power_mode;  // "best", "eff", "bal"
    TriState game_mode = TriState::Absent;
    TriState gpu_scheduling = TriState::Absent;
    TriState game_capture = TriState::Absent;
    TriState memory_integrity = TriState::Absent;
    TriState windowed_optimizations = TriState::Absent;
    TriState mouse_acceleration = TriState::Absent;
    std::optional<std::uint32_t> max_refresh_hz;
    std::optional<std::uint64_t> free_space_gb;
    TriState on_battery = TriState::Absent;
    std::optional<std::uint32_t> memory_rated_speed;
    std::optional<std::uint32_t> memory_configured_speed;
    std::optional<std::string> gpu_driver_date;  // YYYYMMDD
    std::optional<std::uint32_t> os_build;
};

struct DisplaySize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    friend bool operator==(const DisplaySize&, const DisplaySize&) = default;
};

// The findings of one scan as the window accumulates them.
struct ScanReport {
    SettingsSnapshot settings;
    std::optional<std::string> processor_name;
    std::optional<std::string> graphics_name;
    std::optional<std::uint32_t> memory_gb;
    std::optional<std::uint32_t> refresh_hz;
    std::optional<std::string_view> storage_kind;  // "nvme", "ssd", "hdd"
    std::optional<DisplaySize> display_size;
};

// The six rows of the window, in screen order.
enum class RowKind : std::uint8_t {
    Processor = 0,
    GraphicsCard = 1,
    Memory = 2,
    Display = 3,
    Storage = 4,
    WindowsSettings = 5,
};
inline constexpr int row_count = 6;

struct DisplayRow {
    std::optional<DisplaySize> display_size;
    std::optional<std::uint32_t> refresh_hz;
};

// One finished row. The variant's index is the RowKind, so every kind carries
// exactly its own payload, absent findings included.
using RowPayload = std::variant<std::optional<std::string>,       // Processor
                                std::optional<std::string>,       // Graphics card
                                std::optional<std::uint32_t>,     // Memory
                                DisplayRow,                       // Display
                                std::optional<std::string_view>,  // Storage
                                SettingsSnapshot>;                // Windows settings

static_assert(std::variant_size_v<RowPayload> == row_count, "one payload alternative per row");

struct RowMessage {
    RowPayload payload;
};

inline RowKind row_kind(const RowMessage& row) { return static_cast<RowKind>(row.payload.index()); }

RowMessage processor_row(std::optional<std::string> processor_name);
RowMessage graphics_row(std::optional<std::string> graphics_name);
RowMessage memory_row(std::optional<std::uint32_t> memory_gb);
RowMessage display_row(std::optional<DisplaySize> display_size, std::optional<std::uint32_t> refresh_hz);
RowMessage storage_row(std::optional<std::string_view> storage_kind);
RowMessage settings_row(SettingsSnapshot settings);

// Moves the row's findings into the report, replacing the fields of that row.
void take_row(ScanReport& report, RowMessage&& row);

// The worker's messages to the main window (WM_APP+1 and WM_APP+2).
// WM_APP+1 carries an owned RowMessage in lParam.
inline constexpr unsigned wm_scan_row = 0x8001;
inline constexpr unsigned wm_scan_finished = 0x8002;

}  // namespace qd::checks
