#include "checks/scan_win.h"

#include <utility>

#include "checks/display_win.h"
#include "checks/graphics_win.h"
#include "checks/memory_win.h"
#include "checks/owned_win.h"
#include "checks/pacing.h"
#include "checks/processor.h"
#include "checks/settings.h"
#include "checks/storage_win.h"

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

void run_scan(HWND window)
{
    std::int64_t last_post = monotonic_ns();

    post_row(last_post, window, {ProcessorRow{probe_processor()}});

    const std::optional<std::string> graphics_name = probe_graphics();
    post_row(last_post, window, {GraphicsRow{graphics_name}});

    post_row(last_post, window, {MemoryRow{probe_memory_size()}});

    DisplayProbe display = probe_display();
    post_row(last_post, window, {DisplayRow{display.display_size, display.refresh_hz}});

    post_row(last_post, window, {StorageRow{probe_storage()}});

    post_row(last_post, window, {SettingsRow{scan_settings(graphics_name, display.displays)}});

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
