// The scan worker: runs the scan once on its own thread and reports each row
// to the window by posting it. Include only from *_win.cpp files.
#pragma once
#include "checks/platform_win.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "checks/deadline_win.h"
#include "checks/display_win.h"
#include "checks/graphics_win.h"
#include "checks/memory_win.h"
#include "checks/owned_win.h"
#include "checks/processor.h"
#include "checks/scan_types.h"
#include "checks/settings_win.h"
#include "checks/storage_win.h"

namespace qd::checks {

static_assert(wm_scan_row == WM_APP + 1);
static_assert(wm_scan_finished == WM_APP + 2);

// The monotonic clock the pacing reads, in nanoseconds.
std::int64_t monotonic_ns();

// The pacing's calls to the system, gathered so that a test can answer them
// the way a Windows build without high-resolution timers does.
// Plain function pointers: each gets `context` first (a test's answers; the
// system's calls need none).
struct PacingApi {
    void* context = nullptr;
    // CreateWaitableTimerExW with CREATE_WAITABLE_TIMER_HIGH_RESOLUTION: null when
    // the build does not offer such timers.
    using CreateTimer = HANDLE (*)(void* context);

    CreateTimer create_timer = [](void*) {
        return CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
    };
    void (*sleep)(void* context, DWORD ms) = [](void*, DWORD ms) { Sleep(ms); };
    std::int64_t (*now)(void* context) = [](void*) { return monotonic_ns(); };
};

// Sleeps `ns` on a high-resolution waitable timer; without one, with Sleep in
// whole ms, then 1 ms at a time until the clock says `ns` has passed. 0 only
// gives up the time slice.
void pace_sleep(std::int64_t ns, const PacingApi& api = {});

// Writes one line for a debugger or a debug-output viewer (OutputDebugStringW).
void write_debug_line(const std::string& line);

// The scan's probes and its one output besides the window, gathered so that a
// test can put a probe that never returns in place of any of them.
struct ScanApi {
    std::function<Finding<std::string>()> processor = [] { return probe_processor(); };
    std::function<Finding<std::string>()> graphics = [] { return probe_graphics(); };
    std::function<Finding<std::uint32_t>()> memory_size = [] { return probe_memory_size(); };
    std::function<Finding<DisplayProbe>()> display = [] { return found(probe_display()); };
    std::function<Finding<std::string_view>()> storage = [] { return probe_storage(); };
    std::function<std::vector<SettingsProbe>(const std::optional<std::string>& graphics_name,
                                             const std::vector<DisplayInfo>& displays)>
        settings = settings_probes;
    // Each absent finding's line, "Quellix Detect: storage: ...", as soon as it is known.
    std::function<void(const std::string& line)> debug_output = write_debug_line;
};

// Runs every probe in row order, each within `deadline_ms`, posting six rows
// and then the end message. A probe that misses its deadline gives an absent
// finding; every absent finding's reason goes to api.debug_output.
void run_scan(HWND window, const ScanApi& api = {}, std::uint32_t deadline_ms = probe_deadline_ms);

// Waits for the row spacing, sets last_post, then posts WM_APP+1 with the row.
// A failed post releases the row at once.
void post_row(std::int64_t& last_post, HWND window, RowMessage row);

// Posts WM_APP+2 at once.
void post_scan_finished(HWND window);

// Starts the worker thread for `window` with 2 MiB of stack reserved; a thread
// that cannot be created is fatal. The caller owns the thread's handle.
UniqueHandle start_scan_worker(HWND window);

// Takes ownership of the RowMessage that a WM_APP+1 carries.
inline std::unique_ptr<RowMessage> take_row_message(LPARAM lparam)
{
    return std::unique_ptr<RowMessage>(reinterpret_cast<RowMessage*>(lparam));
}

}  // namespace qd::checks
