#include "checks/scan_types.h"

#include <gtest/gtest.h>

using namespace qd::checks;

TEST(RowMessage, KindFollowsThePayload)
{
    EXPECT_EQ(row_kind({ProcessorRow{}}), RowKind::Processor);
    EXPECT_EQ(row_kind({GraphicsRow{}}), RowKind::GraphicsCard);
    EXPECT_EQ(row_kind({MemoryRow{}}), RowKind::Memory);
    EXPECT_EQ(row_kind({DisplayRow{}}), RowKind::Display);
    EXPECT_EQ(row_kind({StorageRow{}}), RowKind::Storage);
    EXPECT_EQ(row_kind({SettingsRow{}}), RowKind::WindowsSettings);
}

TEST(RowMessage, TakeRowMovesFindingsIntoTheirFields)
{
    ScanReport report;
    take_row(report, {ProcessorRow{"Acme CPU"}});
    take_row(report, {GraphicsRow{"Acme GPU"}});
    take_row(report, {MemoryRow{16u}});
    take_row(report, {DisplayRow{DisplaySize{1920, 1080}, 144u}});
    take_row(report, {StorageRow{"nvme"}});
    SettingsSnapshot s;
    s.game_mode = TriState::On;
    s.gpu_driver_date = "20240614";
    take_row(report, {SettingsRow{s}});

    EXPECT_EQ(report.processor_name, "Acme CPU");
    EXPECT_EQ(report.graphics_name, "Acme GPU");
    EXPECT_EQ(report.memory_gb, 16u);
    EXPECT_EQ(report.display_size, (DisplaySize{1920, 1080}));
    EXPECT_EQ(report.refresh_hz, 144u);
    EXPECT_EQ(report.storage_kind, "nvme");
    EXPECT_EQ(report.settings.game_mode, TriState::On);
    EXPECT_EQ(report.settings.gpu_driver_date, "20240614");

    // A later row replaces the fields of its own row only, absent findings included.
    take_row(report, {DisplayRow{DisplaySize{2560, 1440}, std::nullopt}});
    take_row(report, {ProcessorRow{}});
    EXPECT_EQ(report.display_size, (DisplaySize{2560, 1440}));
    EXPECT_FALSE(report.refresh_hz);
    EXPECT_FALSE(report.processor_name);
    EXPECT_EQ(report.graphics_name, "Acme GPU");
}

TEST(SettingsSnapshot, StartsWithEveryFactAbsent)
{
    const SettingsSnapshot s;
    for (TriState t : {s.game_mode, s.gpu_scheduling, s.game_capture, s.memory_integrity, s.windowed_optimizations,
                       s.mouse_acceleration, s.on_battery})
        EXPECT_EQ(t, TriState::Absent);
    EXPECT_FALSE(s.power_plan || s.power_mode || s.max_refresh_hz || s.free_space_gb || s.memory_rated_speed ||
                 s.memory_configured_speed || s.gpu_driver_date || s.os_build);
    EXPECT_EQ(static_cast<int>(TriState::Off), 0);
    EXPECT_EQ(static_cast<int>(TriState::On), 1);
    EXPECT_EQ(static_cast<int>(TriState::Absent), 2);
}
