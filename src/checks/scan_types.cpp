#include "checks/scan_types.h"

#include <utility>

namespace qd::checks {

namespace {

// One overload per row type: a row type without one does not compile.
void take(ScanReport& report, ProcessorRow&& row) { report.processor_name = std::move(row.processor_name); }
void take(ScanReport& report, GraphicsRow&& row) { report.graphics_name = std::move(row.graphics_name); }
void take(ScanReport& report, MemoryRow&& row) { report.memory_gb = row.memory_gb; }
void take(ScanReport& report, DisplayRow&& row)
{
    report.display_size = row.display_size;
    report.refresh_hz = row.refresh_hz;
}
void take(ScanReport& report, StorageRow&& row) { report.storage_kind = row.storage_kind; }
void take(ScanReport& report, SettingsRow&& row) { report.settings = std::move(row.settings); }

}  // namespace

void take_row(ScanReport& report, RowMessage&& row)
{
    std::visit([&report](auto&& payload) { take(report, std::move(payload)); }, std::move(row.payload));
}

}  // namespace qd::checks
