// Measures from outside how fast a GUI program shows its window and, for
// quellix-detect.exe, when its scan delivers the last row and ends.
//
//   bench_startup [--runs N] [--warmup N] [--class NAME] [--title TEXT]
//                 [--scan] [--timeout-ms N] PROGRAM.exe
//
// Each run starts the program with CreateProcessW and looks about every
// millisecond for a visible top-level window of the class and title that
// belongs to the new process ("shown"). With --scan it then watches the sixth
// row value (child 125) until it no longer reads "…" ("last row") and the
// message line (child 130) until it starts with "Opening" ("scan end"). The
// program is then ended with TerminateProcess. Times count from just before
// CreateProcessW, with QueryPerformanceCounter.
//
// Output: one line per run, then the medians, e.g.
//   run 1: shown 93.1 ms, last row 1213.0 ms, scan end 1214.2 ms
//   median shown_ms 93.1
//   median last_row_ms 1213.0
//   median scan_end_ms 1214.2
//   median shown_to_scan_end_ms 1121.1
// Exit code 0; 1 when a run failed (not started, ended early, timed out);
// 2 for bad arguments.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "checks/owned_win.h"
#include "checks/wide_win.h"

using namespace qd::checks;

namespace {

constexpr int last_row_value_id = 125;
constexpr int message_line_id = 130;

struct Options {
    std::wstring program;
    std::wstring window_class = L"QuellixDetectWindow";
    std::wstring title = L"Quellix Detect";
    unsigned runs = 10;
    unsigned warmup = 1;
    bool scan = false;
    unsigned timeout_ms = 20000;
};

struct RunTimes {
    double shown_ms = 0;
    double last_row_ms = 0;
    double scan_end_ms = 0;
};

struct Stopwatch {
    LARGE_INTEGER start = {};
    double ticks_per_ms = 1;
};

Stopwatch start_stopwatch()
{
    Stopwatch watch;
    LARGE_INTEGER frequency = {};
    QueryPerformanceFrequency(&frequency);
    watch.ticks_per_ms = static_cast<double>(frequency.QuadPart) / 1000.0;
    QueryPerformanceCounter(&watch.start);
    return watch;
}

double elapsed_ms(const Stopwatch& watch)
{
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - watch.start.QuadPart) / watch.ticks_per_ms;
}

std::string narrow(const std::wstring& text) { return from_wide(text.c_str(), text.size()); }

std::optional<Options> parse_options(int argc, wchar_t** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool has_value = i + 1 < argc;
        if (arg == L"--scan") {
            options.scan = true;
        } else if ((arg == L"--class" || arg == L"--title") && has_value) {
            (arg == L"--class" ? options.window_class : options.title) = argv[++i];
        } else if ((arg == L"--runs" || arg == L"--warmup" || arg == L"--timeout-ms") && has_value) {
            const std::optional<std::uint32_t> n = parse_u32(narrow(argv[++i]));
            if (!n) return std::nullopt;
            (arg == L"--runs" ? options.runs : arg == L"--warmup" ? options.warmup : options.timeout_ms) = *n;
        } else if (arg.rfind(L"--", 0) != 0 && options.program.empty()) {
            options.program = arg;
        } else {
            return std::nullopt;
        }
    }
    if (options.program.empty() || options.runs == 0) return std::nullopt;
    return options;
}

// The visible top-level window of the class and title that the process owns.
// Windows of an earlier run that is still going away are passed over.
HWND find_window(const Options& options, DWORD process_id)
{
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, options.window_class.c_str(), options.title.c_str())) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == process_id && IsWindowVisible(window)) return window;
    }
    return nullptr;
}

// A control's text. For a window of another process GetWindowTextW reads the
// text that the system keeps for the window and sends it no message, so
// polling does not disturb the program being measured.
std::wstring control_text(HWND window, int id)
{
    const HWND control = GetDlgItem(window, id);
    if (control == nullptr) return {};
    wchar_t buffer[512] = {};
    const int length = GetWindowTextW(control, buffer, 512);
    return std::wstring(buffer, static_cast<std::size_t>(std::max(length, 0)));
}

// Lets the windows of the previous run disappear before the next one starts,
// so that the system is in the same state for every run.
void wait_until_no_window(const Options& options)
{
    for (int waited = 0; waited < 3000; waited += 5) {
        if (FindWindowW(options.window_class.c_str(), options.title.c_str()) == nullptr) return;
        Sleep(5);
    }
}

// One run; nothing when the program did not start, ended early or timed out.
std::optional<RunTimes> measure_once(const Options& options)
{
    wait_until_no_window(options);
    std::wstring command_line = L"\"" + options.program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    // Detached, so that a console-subsystem baseline gets no console either.
    const Stopwatch watch = start_stopwatch();
    if (!CreateProcessW(options.program.c_str(), command_line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS,
                        nullptr, nullptr, &startup, &info)) {
        std::printf("cannot start %s (error %lu)\n", narrow(options.program).c_str(), GetLastError());
        return std::nullopt;
    }
    const UniqueHandle process(info.hProcess);
    const UniqueHandle thread(info.hThread);

    RunTimes times;
    HWND window = nullptr;
    bool last_row_seen = false;
    const char* failure = nullptr;
    for (;;) {
        const double now = elapsed_ms(watch);
        if (window == nullptr) {
            window = find_window(options, info.dwProcessId);
            if (window != nullptr) {
                times.shown_ms = now;
                if (!options.scan) break;
            }
        } else {
            if (!last_row_seen) {
                const std::wstring value = control_text(window, last_row_value_id);
                if (!value.empty() && value != L"\u2026") {
                    times.last_row_ms = now;
                    last_row_seen = true;
                }
            }
            if (last_row_seen && control_text(window, message_line_id).rfind(L"Opening", 0) == 0) {
                times.scan_end_ms = now;
                break;
            }
        }
        if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) {
            failure = "ended before it was measured";
            break;
        }
        if (now > options.timeout_ms) {
            failure = window == nullptr ? "showed no window in time" : "did not end its scan in time";
            break;
        }
        Sleep(1);
    }
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 5000);
    if (failure != nullptr) {
        std::printf("%s %s\n", narrow(options.program).c_str(), failure);
        return std::nullopt;
    }
    return times;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void print_run(const char* label, unsigned number, const RunTimes& times, bool scan)
{
    if (scan) {
        std::printf("%s %u: shown %.1f ms, last row %.1f ms, scan end %.1f ms\n", label, number, times.shown_ms,
                    times.last_row_ms, times.scan_end_ms);
    } else {
        std::printf("%s %u: shown %.1f ms\n", label, number, times.shown_ms);
    }
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::optional<Options> options = parse_options(argc, argv);
    if (!options) {
        std::printf(
            "usage: bench_startup [--runs N] [--warmup N] [--class NAME] [--title TEXT] [--scan] "
            "[--timeout-ms N] PROGRAM.exe\n");
        return 2;
    }
    for (unsigned i = 1; i <= options->warmup; ++i) {
        const std::optional<RunTimes> times = measure_once(*options);
        if (!times) return 1;
        print_run("warm-up", i, *times, options->scan);
    }
    std::vector<double> shown, last_row, scan_end, shown_to_scan_end;
    for (unsigned i = 1; i <= options->runs; ++i) {
        const std::optional<RunTimes> times = measure_once(*options);
        if (!times) return 1;
        print_run("run", i, *times, options->scan);
        shown.push_back(times->shown_ms);
        last_row.push_back(times->last_row_ms);
        scan_end.push_back(times->scan_end_ms);
        shown_to_scan_end.push_back(times->scan_end_ms - times->shown_ms);
    }
    std::printf("median shown_ms %.1f\n", median(shown));
    if (options->scan) {
        std::printf("median last_row_ms %.1f\n", median(last_row));
        std::printf("median scan_end_ms %.1f\n", median(scan_end));
        std::printf("median shown_to_scan_end_ms %.1f\n", median(shown_to_scan_end));
    }
    return 0;
}
