// quellix-report.exe, the field kit: runs the program's readers once and
// prints what each found, how long it took, the link the program would open,
// and a record of what Windows answered each reader (kit/machine_record.h).
// From a Command Prompt:
//   quellix-report.exe > report.txt          record this PC
//   quellix-report.exe --replay report.txt   the same readers against a record
#include <cstdio>
#include <cwchar>
#include <string>
#include <string_view>

#include "checks/platform_win.h"
#include "checks/text.h"
#include "checks/wide_win.h"
#include "gui/phases.h"
#include "kit/field_scan_win.h"
#include "link/report_link.h"
#include "version.h"

namespace qd::kit {

namespace {

// The probe whose time a finding is shown with.
std::string_view probe_of(std::string_view finding)
{
    static constexpr std::pair<std::string_view, std::string_view> probes[] = {
        {"memory-gb", "memory-size"},
        {"display-size", "display"},
        {"refresh-hz", "display"},
        {"memory-rated-speed", "memory-speeds"},
        {"memory-configured-speed", "memory-speeds"},
        {"free-space-gb", "free-space"},
        {"on-battery", "battery"},
        {"gpu-driver-date", "driver-date"},
    };
    for (const auto& [f, probe] : probes)
        if (f == finding) return probe;
    return finding;
}

std::string milliseconds(double ms)
{
    char text[32];
    std::snprintf(text, sizeof(text), "%.2f ms", ms);
    return text;
}

// The findings with their times, then the link.
std::string findings_text(const TimedScan& scan)
{
    std::string out = "# What the program found, each with the time its probe took (absent: not found).\n";
    for (const auto& [key, value] : report_expectations(scan.report)) {
        out += fact_line("expect", key, value);
        for (const auto& [probe, ms] : scan.times_ms)
            if (probe == probe_of(key)) out += fact_line("time", key, milliseconds(ms));
    }
    if (!scan.absent.empty()) {
        out += "# Why each absent finding is absent, as the program writes it to the debug output.\n";
        for (const checks::AbsentFinding& line : scan.absent) {
            std::string key = line.finding;
            for (char& c : key)
                if (c == ' ') c = '-';
            out += fact_line("reason", key, line.reason);
        }
    }
    out += "# The link the program would open with these findings.\n";
    // A link has no blanks or control characters: it is written as it is.
    out += "link " + link::build_report_link(scan.report, gui::nothing_found(scan.report)) + "\n";
    return out;
}

void print(std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); }

int record_this_pc()
{
    MachineRecord record;
    const TimedScan scan = scan_machine(recording_api(record));
    const std::string version(program_version);
    print("# Quellix Detect field record, made by quellix-report " + version +
          ".\n"
          "# What each reader of the program found on this PC, and what Windows answered it.\n"
          "# Nothing here names you or this PC: no serial numbers, device ids, user,\n"
          "# computer or drive names. Send the file as it is.\n"
          "quellix-record 1\n"
          "what recorded by quellix-report " +
          version + "\n");
    print(findings_text(scan));
    print(write_raw_sections(record));
    return 0;
}

int replay(const wchar_t* path)
{
    const std::string shown = checks::from_wide(path, std::wcslen(path));
    FILE* file = _wfopen(path, L"rb");
    if (file == nullptr) {
        std::fprintf(stderr, "quellix-report: cannot open %s\n", shown.c_str());
        return 2;
    }
    std::string text;
    char chunk[4096];
    for (std::size_t n; (n = std::fread(chunk, 1, sizeof(chunk), file)) > 0;) text.append(chunk, n);
    std::fclose(file);
    const auto parsed = parse_record(text);
    if (const auto* error = std::get_if<RecordError>(&parsed)) {
        std::fprintf(stderr, "quellix-report: %s: %s\n", shown.c_str(), describe(*error).c_str());
        return 2;
    }
    const MachineRecord& record = std::get<MachineRecord>(parsed);
    print("# Quellix Detect replay of " + shown + ": the program's readers against the record.\n");
    print(findings_text(scan_machine(replay_api(record))));
    return 0;
}

}  // namespace

}  // namespace qd::kit

int wmain(int argc, wchar_t** argv)
{
    // Every DLL, the program's own or one the system loads for it, from System32 only.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (argc == 1) return qd::kit::record_this_pc();
    if (argc == 3 && std::wcscmp(argv[1], L"--replay") == 0) return qd::kit::replay(argv[2]);
    std::fprintf(stderr,
                 "usage: quellix-report.exe > report.txt          record this PC\n"
                 "       quellix-report.exe --replay report.txt   replay a record\n");
    return 2;
}
