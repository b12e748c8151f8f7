#include "checks/scan_win.h"

#include <utility>

#include "checks/pacing.h"
#include "checks/wide_win.h"

namespace qd::checks {

namespace {

// Sleeps `ns` on a high-resolution waitable timer; false when the timer
// cannot be created, set or waited on.
bool timer_sleep(const PacingApi& api, std::int64_t ns)
{
    UniqueHandle timer(api.create_timer(api.context));
    if (!timer) return false;
    LARGE_INTEGER due;
    due.QuadPart = -(ns / 100);  // relative, in whole 100 ns units
    if (!SetWaitableTimer(timer.get(), &due, 0, nullptr, nullptr, FALSE)) return false;
    return WaitForSingleObject(timer.get(), INFINITE) == WAIT_OBJECT_0;
}

DWORD WINAPI scan_thread(LPVOID parameter)
{
    run_scan(static_cast<HWND>(parameter));
    return 0;
}

}  // namespace

void pace_sleep(std::int64_t ns, const PacingApi& api)
{
    if (ns == 0) {
        api.sleep(api.context, 0);
        return;
    }
    if (timer_sleep(api, ns)) return;
    // Sleep may end up to a clock tick early (15.6 ms by default): top it up
    // until the clock says the whole wait has passed.
    const std::int64_t began = api.now(api.context);
    api.sleep(api.context, sleep_ms_for(ns));
    while (api.now(api.context) - began < ns) api.sleep(api.context, 1);
}

std::int64_t monotonic_ns()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    const std::int64_t f = frequency.QuadPart;
    const std::int64_t c = counter.QuadPart;
    return (c / f) * 1'000'000'000 + (c % f) * 1'000'000'000 / f;
}

void post_row(std::int64_t& last_post, HWND window, RowMessage row)
{
    if (const auto wait = pacing_wait_ns(monotonic_ns(), last_post)) pace_sleep(*wait);
    last_post = monotonic_ns();
    auto record = std::make_unique<RowMessage>(std::move(row));
    if (PostMessageW(window, wm_scan_row, 0, reinterpret_cast<LPARAM>(record.get()))) record.release();
}

void post_scan_finished(HWND window) { PostMessageW(window, wm_scan_finished, 0, 0); }

void write_debug_line(const std::string& line) { OutputDebugStringW(to_wide(line).c_str()); }

void run_scan(HWND window, const ScanApi& api, std::uint32_t deadline_ms)
{
    std::int64_t last_post = monotonic_ns();
    const auto report = [&api](std::string_view finding, const std::string& reason) {
        api.debug_output(debug_line({std::string(finding), reason}));
    };
    // The probe's value for its row; an absent one's reason reported first.
    const auto run = [&]<typename T>(std::string_view finding, const std::function<Finding<T>()>& probe) {
        Finding<T> result = within_deadline(probe, deadline_ms);
        if (!result.value) report(finding, result.why_absent);
        return std::move(result.value);
    };

    post_row(last_post, window, {ProcessorRow{run("processor", api.processor)}});

    // Kept for the driver date; absent (a timed-out probe too) means no lookup.
    const std::optional<std::string> graphics_name = run("graphics", api.graphics);
    post_row(last_post, window, {GraphicsRow{graphics_name}});

    post_row(last_post, window, {MemoryRow{run("memory size", api.memory_size)}});

    // Kept for the highest refresh rate; a timed-out probe leaves no displays.
    const std::optional<DisplayProbe> probed = run("display", api.display);
    const DisplayProbe display = probed.value_or(DisplayProbe{});
    if (probed) {
        if (!display.display_size) report("display size", display_size_reason(display.displays));
        if (!display.refresh_hz) report("refresh rate", refresh_rate_reason(display.displays));
    }
    post_row(last_post, window, {DisplayRow{display.display_size, display.refresh_hz}});

    post_row(last_post, window, {StorageRow{run("storage", api.storage)}});

    AbsentFindings absent;
    SettingsSnapshot settings = scan_settings(api.settings(graphics_name, display.displays), deadline_ms, absent);
    for (const AbsentFinding& line : absent) api.debug_output(debug_line(line));
    post_row(last_post, window, {SettingsRow{std::move(settings)}});

    post_scan_finished(window);
}

UniqueHandle start_scan_worker(HWND window)
{
    UniqueHandle thread(
        CreateThread(nullptr, 0x200000, scan_thread, window, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) RaiseFailFastException(nullptr, nullptr, 0);
    return thread;
}

}  // namespace qd::checks
