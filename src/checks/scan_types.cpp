#include "checks/scan_types.h"

#include <utility>

namespace qd::checks {

RowMessage processor_row(std::optional<std::string> processor_name)
{
    return {RowPayload(std::in_place_index<0>, std::move(processor_name))};
}

RowMessage graphics_row(std::optional<std::string> graphics_name)
{
    return {RowPayload(std::in_place_index<1>, std::move(graphics_name))};
}

RowMessage memory_row(std::optional<std::uint32_t> memory_gb)
{
    return {RowPayload(std::in_place_index<2>, memory_gb)};
}

RowMessage display_row(std::optional<DisplaySize> display_size, std::optional<std::uint32_t> refresh_hz)
{
    return {RowPayload(std::in_place_index<3>, DisplayRow{display_size, refresh_hz})};
}

RowMessage storage_row(std::optional<std::string_view> storage_kind)
{
    return {RowPayload(std::in_place_index<4>, storage_kind)};
}

RowMessage settings_row(SettingsSnapshot settings) { return {RowPayload(std::in_place_index<5>, std::move(settings))}; }

void take_row(ScanReport& report, RowMessage&& row)
{
    RowPayload& p = row.payload;
    switch (row_kind(row)) {
    case RowKind::Processor: report.processor_name = std::move(std::get<0>(p)); break;
    case RowKind::GraphicsCard: report.graphics_name = std::move(std::get<1>(p)); break;
    case RowKind::Memory: report.memory_gb = std::get<2>(p); break;
    case RowKind::Display:
        report.display_size = std::get<3>(p).display_size;
        report.refresh_hz = std::get<3>(p).refresh_hz;
        break;
    case RowKind::Storage: report.storage_kind = std::get<4>(p); break;
    case RowKind::WindowsSettings: report.settings = std::move(std::get<5>(p)); break;
    }
}

}  // namespace qd::checks
