// The scan worker against real Win32 threads, timers and message queues.
#include "checks/owned_win.h"
#include "checks/scan_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

using namespace qd::checks;

// Counts the heap blocks alive in this test process, so that a test can see
// whether the worker released every record it could not hand over.
namespace {
std::atomic<long> blocks_alive{0};
}

void* operator new(std::size_t size)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    ++blocks_alive;
    return p;
}
void operator delete(void* p) noexcept
{
    if (p == nullptr) return;
    --blocks_alive;
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

struct Received {
    UINT message;
    RowKind kind;
    std::int64_t at_ns;  // when the window handled it
    DWORD posted_ms;     // when it was posted: the message's time, on the tick count
};

std::vector<Received>* received = nullptr;

constexpr DWORD tick_step_ms = 16;  // the coarsest step of the tick count on Windows

LRESULT CALLBACK recording_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == wm_scan_row) {
        auto row = take_row_message(lparam);
        received->push_back({message, row_kind(*row), monotonic_ns(), static_cast<DWORD>(GetMessageTime())});
        return 0;
    }
    if (message == wm_scan_finished) {
        received->push_back({message, RowKind::Processor, monotonic_ns(), static_cast<DWORD>(GetMessageTime())});
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

HWND make_hidden_window()
{
    static const ATOM atom = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = recording_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuellixScanWorkerTest";
        return RegisterClassExW(&wc);
    }();
    return CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

DWORD WINAPI scan_proc(LPVOID window)
{
    run_scan(static_cast<HWND>(window));
    return 0;
}

}  // namespace

TEST(ScanWorker, PostsSixRowsInOrderThenTheEndPacedAtLeast180msApart)
{
    std::vector<Received> log;
    received = &log;
    HWND window = make_hidden_window();
    ASSERT_NE(window, nullptr);

    const std::int64_t started = monotonic_ns();
    start_scan_worker(window);
    MSG msg;
    const std::int64_t deadline = started + 30'000'000'000LL;
    while ((log.empty() || log.back().message != wm_scan_finished) && monotonic_ns() < deadline) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
    }
    DestroyWindow(window);
    received = nullptr;

    ASSERT_EQ(log.size(), 7u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(log[i].message, wm_scan_row);
        EXPECT_EQ(log[i].kind, static_cast<RowKind>(i));
        // Row i is posted no sooner than (i + 1) x 180 ms after the start and
        // handled after it was posted: a hard bound, whatever the load.
        EXPECT_GE(log[i].at_ns - started, (i + 1) * 180'000'000LL) << "row " << i;
        // The spacing itself, where the rows are posted: a busy machine can
        // make the window handle one row late and the next on time, but it
        // cannot bring two posts closer. The message time is the tick count
        // at the post, which may advance in steps of up to 16 ms.
        if (i > 0) {
            EXPECT_GE(log[i].posted_ms - log[i - 1].posted_ms, 180u - tick_step_ms) << "row " << i;
        }
    }
    EXPECT_EQ(log[6].message, wm_scan_finished);
}

TEST(ScanWorker, ReleasesEveryRecordItCannotPost)
{
    // A window that no longer exists: every post fails.
    HWND window = make_hidden_window();
    ASSERT_NE(window, nullptr);
    DestroyWindow(window);

    auto run_once = [&] {
        UniqueHandle thread(CreateThread(nullptr, 0, scan_proc, window, 0, nullptr));
        ASSERT_TRUE(thread);
        ASSERT_EQ(WaitForSingleObject(thread.get(), 60'000), WAIT_OBJECT_0);
    };
    run_once();  // first run settles any one-time allocations of the system libraries
    const long before = blocks_alive.load();
    run_once();
    EXPECT_EQ(blocks_alive.load(), before);
}

TEST(ScanWorker, PostRowToADestroyedWindowReleasesTheRow)
{
    HWND window = make_hidden_window();
    DestroyWindow(window);
    std::int64_t last_post = monotonic_ns() - 1'000'000'000;
    const long before = blocks_alive.load();
    post_row(last_post, window, {ProcessorRow{std::string(100, 'x')}});  // owns a heap text
    EXPECT_EQ(blocks_alive.load(), before);
}
