// The user-interface thread: its COM apartment and its wait for the scan
// worker at the end.
#include "gui/ui_thread_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <utility>

#include <objbase.h>

using namespace qd::gui;

namespace {

// A hidden window of the waiting thread that posts itself a message for each
// one it handles, so that its queue is never empty, until `stop` is set.
std::atomic<bool> stop_reposting{false};
std::atomic<int> reposts{0};
constexpr UINT wm_repost = WM_APP + 40;

LRESULT CALLBACK reposting_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message != wm_repost) return DefWindowProcW(window, message, wparam, lparam);
    ++reposts;
    if (!stop_reposting) PostMessageW(window, wm_repost, 0, 0);
    return 0;
}

struct BusyWait {
    bool signalled = false;
    bool returned = false;
};

// On a thread of its own: a reposting window, then the wait for `handle` with a limit of `limit_ms`.
DWORD WINAPI wait_beside_a_busy_window(void* parameter)
{
    auto* const args = static_cast<std::pair<HANDLE, BusyWait*>*>(parameter);
    HWND busy = CreateWindowExW(0, L"QdReposting", L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    PostMessageW(busy, wm_repost, 0, 0);
    args->second->signalled = wait_pumping_messages(args->first, 300);
    args->second->returned = true;
    DestroyWindow(busy);
    return 0;
}

}  // namespace

TEST(UiThread, TheWaitForTheWorkerEndsAtItsLimitWhileAWindowKeepsTheQueueBusy)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = reposting_proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QdReposting";
    static const ATOM registered = RegisterClassExW(&wc);
    ASSERT_NE(registered, 0);

    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE already = CreateEventW(nullptr, TRUE, TRUE, nullptr);
    for (HANDLE worker : {never, already}) {
        const bool ends_signalled = worker == already;
        SCOPED_TRACE(ends_signalled ? "worker already ended" : "worker never ends");
        stop_reposting = false;
        reposts = 0;
        BusyWait result;
        std::pair<HANDLE, BusyWait*> args{worker, &result};
        HANDLE thread = CreateThread(nullptr, 0, wait_beside_a_busy_window, &args, 0, nullptr);
        ASSERT_NE(thread, nullptr);
        // The limit is 300 ms; 20 s only tells a wait that ends from one that never does.
        const bool ended = WaitForSingleObject(thread, 20000) == WAIT_OBJECT_0;
        stop_reposting = true;  // lets a wait that never ended go, so the test can finish
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        EXPECT_TRUE(ended) << "the wait drained the busy queue past its limit";
        EXPECT_TRUE(result.returned);
        EXPECT_EQ(result.signalled, ends_signalled);
        if (!ends_signalled) {
            EXPECT_GT(reposts.load(), 1);  // the thread's messages were handled meanwhile
        }
    }
    CloseHandle(never);
    CloseHandle(already);
}

TEST(UiThread, TheApartmentIsNeverLeft)
{
    // The program's COM step on a thread of its own: afterwards the thread is
    // still in its single-threaded apartment (joining another kind is refused).
    HRESULT after = S_OK;
    std::thread ui([&after] {
        enter_com_apartment();
        after = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(after)) CoUninitialize();
    });
    ui.join();
    EXPECT_EQ(after, RPC_E_CHANGED_MODE);
}
