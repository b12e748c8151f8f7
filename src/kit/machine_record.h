// A machine record: what Windows answered each reader of the program on one
// PC, as a small text file a person can read and paste. quellix-report.exe
// writes one; the readers' tests replay one as a machine. It holds nothing
// identifying: no serial numbers, device instance paths, user, machine or
// volume names, and of the SMBIOS table only the memory devices' speed fields.
//
// One line per fact, "section field..." with key=value fields; a text field
// (desc=, name=, text=) runs to the end of the line. '#' starts a comment line.
//
//   quellix-record 1
//   what desktop: one discrete GPU, NVMe and a SATA hard drive
//   expect graphics NVIDIA GeForce RTX 3070
//   adapter 0 vendor=0x10de device=0x2484 dedicated=8421113856 shared=8589934592 flags=0x0 desc=NVIDIA GeForce RTX 3070
//   adapter 1 desc-error=0x80004005
//   display-device 0 flags=0x5 name=\\.\DISPLAY1
//   mode \\.\DISPLAY1 current 2560x1440@144
//   drive 0 device-bytes=40 bus=17 seek-bytes=12 penalty=0
//   registry HKCU Control%20Panel\Mouse MouseSpeed text=1
//
// What a record does not list was a failure: an adapter index past the list
// is DXGI_ERROR_NOT_FOUND, an unlisted drive cannot be opened, an unlisted
// registry value is missing, an unlisted power status cannot be read.
// Texts escape '%', control characters and a final blank as %XX; tokens
// (registry key and value names, display device names in mode lines) also
// escape blanks.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "checks/display.h"
#include "checks/scan_types.h"
#include "checks/settings.h"

namespace qd::kit {

inline constexpr int record_format_version = 1;

// Adapter `index` of DXGI's list: described, or which of the two calls failed.
struct RecordedAdapter {
    std::uint32_t index = 0;
    std::uint32_t enum_error = 0;  // EnumAdapters1's HRESULT when it failed
    std::uint32_t desc_error = 0;  // GetDesc1's HRESULT when it failed
    std::string description;
    std::uint32_t vendor = 0;
    std::uint32_t device = 0;
    std::uint64_t dedicated = 0;         // DedicatedVideoMemory, bytes
    std::uint64_t dedicated_system = 0;  // DedicatedSystemMemory
    std::uint64_t shared = 0;            // SharedSystemMemory
    std::uint32_t flags = 0;
};

// EnumDisplayDevicesW at `index`: fails, or the device's name and StateFlags.
struct RecordedDisplayDevice {
    std::uint32_t index = 0;
    bool fails = false;
    std::string name;
    std::uint32_t flags = 0;
};

// EnumDisplaySettingsW for one device (none: the calling thread's display)
// and one mode index (none: ENUM_CURRENT_SETTINGS).
struct RecordedMode {
    std::optional<std::string> device;
    std::optional<std::uint32_t> index;
    std::optional<checks::DisplayMode> mode;  // absent: the call failed
};

// PhysicalDriveN: the open, then the two property queries (error 0: answered).
struct RecordedDrive {
    std::uint32_t number = 0;
    std::uint32_t open_error = 0;
    std::uint32_t device_error = 0;
    std::uint32_t device_bytes = 40;  // what the device query said it wrote
    std::uint32_t bus = 0;
    std::uint32_t seek_error = 0;
    std::uint32_t seek_bytes = 12;
    std::uint32_t penalty = 0;  // IncursSeekPenalty
};

// The fields of one SMBIOS type-17 Memory Device that the speed reader looks
// at; the fields past `length` do not exist in the structure.
struct RecordedMemoryDevice {
    std::uint32_t length = 0x5C;
    std::uint32_t size = 0;
    std::uint32_t speed = 0;
    std::uint32_t configured = 0;
    std::uint32_t extended_speed = 0;
    std::uint32_t extended_configured = 0;
};

// How the walk over the structures ended: at a type-127 structure, at the end
// of the table, or at a structure whose length is below 4 or runs past the table.
enum class SmbiosEnd : std::uint8_t { EndOfTable, TableEnd, BadLength };

struct RecordedSmbios {
    bool present = false;  // the "smbios table" line; without it, there is no table
    // What the size query answered (0: no table) and what the read wrote (0:
    // the read failed); when not given, the size of the table built back.
    std::optional<std::uint32_t> size;
    std::optional<std::uint32_t> got;
    std::uint8_t major = 3;
    std::uint8_t minor = 4;
    std::vector<RecordedMemoryDevice> devices;  // in table order, up to where the walk ended
    SmbiosEnd end = SmbiosEnd::EndOfTable;
};

enum class RegistryRootName : std::uint8_t { LocalMachine, CurrentUser };

// One registry value as the reader received it.
struct RecordedValue {
    RegistryRootName root = RegistryRootName::LocalMachine;
    std::string subkey;
    std::string name;
    std::optional<std::string> text;    // read as REG_SZ
    std::optional<std::uint32_t> dword;  // read as REG_DWORD
};

struct RecordedPowerStatus {
    std::uint8_t ac_line = 0;
    std::uint8_t battery_flag = 0;
    std::uint8_t battery_percent = 0;
};

struct MachineRecord {
    std::string what;
    // Findings as "expect key value" and what the report said of them.
    std::vector<std::pair<std::string, std::string>> expect;
    std::vector<std::pair<std::string, std::string>> times;
    std::vector<std::pair<std::string, std::string>> reasons;
    std::optional<std::string> link;

    std::uint32_t dxgi_error = 0;  // CreateDXGIFactory1's HRESULT when it failed
    std::vector<RecordedAdapter> adapters;
    std::vector<RecordedDisplayDevice> display_devices;
    std::vector<RecordedMode> modes;
    std::vector<RecordedDrive> drives;
    std::optional<std::uint64_t> installed_kib;  // absent: the call failed
    std::optional<std::uint64_t> total_phys;     // absent: GlobalMemoryStatusEx failed
    std::uint64_t available_phys = 0;
    RecordedSmbios smbios;
    std::optional<checks::Guid> scheme;  // absent: PowerGetActiveScheme failed
    std::uint32_t scheme_error = 0;
    std::optional<RecordedPowerStatus> power;  // absent: GetSystemPowerStatus failed
    std::vector<RecordedValue> registry;
    std::optional<std::string> windows_directory;  // absent: GetSystemWindowsDirectoryW failed
    std::optional<std::uint64_t> free_bytes;       // absent: GetDiskFreeSpaceExW failed
    std::optional<std::uint32_t> os_build;         // absent: RtlGetVersion could not be had
    std::int32_t os_status = 0;

    // The expected value of a finding, when the record states one.
    std::optional<std::string> expected(std::string_view key) const;
    // The recorded value, if the reader received one.
    const RecordedValue* value(RegistryRootName root, std::string_view subkey, std::string_view name) const;
};

struct RecordError {
    std::size_t line = 0;  // 1-based; 0: the whole text
    std::string message;
};

// Reads a record; any line it does not understand is an error.
std::variant<MachineRecord, RecordError> parse_record(std::string_view text);

// "line 12: adapter: unknown field 'vendr'"
std::string describe(const RecordError& error);

// The record's lines after the "quellix-record 1" line, in section order. The
// caller writes the comment header, and the expect, time and reason lines.
std::string write_raw_sections(const MachineRecord& record);

// The findings of a report as expect pairs, every finding once, "absent" for
// one that is absent: ("display-size", "2560x1440"), ("game-mode", "on").
std::vector<std::pair<std::string, std::string>> report_expectations(const checks::ScanReport& report);

// One expect, time or reason line; the value escaped like any text. (A link
// line holds the URL as it is: it has no blanks, controls or bare "%".)
std::string fact_line(std::string_view section, std::string_view key, std::string_view value);

// "%"-escaping of a text (to the end of its line) and of a token.
std::string escape_text(std::string_view text);
std::string escape_token(std::string_view text);
std::optional<std::string> unescape(std::string_view text);

// The SMBIOS memory devices as the speed reader walks them (the same bounds,
// the same stops), for the record; and a table built back from them.
RecordedSmbios smbios_memory_devices(const std::vector<std::uint8_t>& buffer, std::uint32_t size, std::uint32_t got);
std::vector<std::uint8_t> smbios_table(const RecordedSmbios& smbios);

}  // namespace qd::kit
