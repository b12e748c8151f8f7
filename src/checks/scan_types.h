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

// One finished row: one payload type per row, each naming its RowKind, so that
// a row's kind and its findings cannot part. Absent findings travel too.
struct ProcessorRow {
    static constexpr RowKind kind = RowKind::Processor;
    std::optional<std::string> processor_name;
};
struct GraphicsRow {
    static constexpr RowKind kind = RowKind::GraphicsCard;
    std::optional<std::string> graphics_name;
};
struct MemoryRow {
    static constexpr RowKind kind = RowKind::Memory;
    std::optional<std::uint32_t> memory_gb;
};
struct DisplayRow {
    static constexpr RowKind kind = RowKind::Display;
    std::optional<DisplaySize> display_size;
    std::optional<std::uint32_t> refresh_hz;
};
struct StorageRow {
    static constexpr RowKind kind = RowKind::Storage;
    std::optional<std::string_view> storage_kind;
};
struct SettingsRow {
    static constexpr RowKind kind = RowKind::WindowsSettings;
    SettingsSnapshot settings;
};

using RowPayload = std::variant<ProcessorRow, GraphicsRow, MemoryRow, DisplayRow, StorageRow, SettingsRow>;

static_assert(std::variant_size_v<RowPayload> == row_count, "one payload type per row");

struct RowMessage {
    RowPayload payload;
};

inline RowKind row_kind(const RowMessage& row)
{
    return std::visit([](const auto& payload) { return payload.kind; }, row.payload);
}

// Moves the row's findings into the report, replacing the fields of that row.
void take_row(ScanReport& report, RowMessage&& row);

// The worker's messages to the main window (WM_APP+1 and WM_APP+2).
// WM_APP+1 carries an owned RowMessage in lParam.
inline constexpr unsigned wm_scan_row = 0x8001;
inline constexpr unsigned wm_scan_finished = 0x8002;

}  // namespace qd::checks
