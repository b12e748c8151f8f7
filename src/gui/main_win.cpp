// Program entry: sets the window up in one straight sequence, starts the scan,
// runs the message loop and tears down. The exit code is always 0.
#include <cstdlib>

#include "checks/owned_win.h"
#include "checks/scan_win.h"
#include "gui/controls_win.h"
#include "gui/layout.h"
#include "gui/ui_thread_win.h"
#if defined(QD_HIGH_CONTRAST_FROM_ENVIRONMENT)
#include "gui/theme_win.h"
#endif
#include "gui/window_state_win.h"
#include "gui/window_win.h"

namespace qd::gui {

namespace {

// The work area of the monitor under the pointer; 1024 x 768 at the origin
// when the monitor cannot be asked.
Rect work_area_under_pointer()
{
    POINT pointer = {0, 0};
    if (!GetCursorPos(&pointer)) pointer = POINT{0, 0};
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTOPRIMARY), &info)) return Rect{0, 0, 1024, 768};
    return Rect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
}

void centre_in(HWND window, const Rect& work)
{
    RECT r = {};
    if (!GetWindowRect(window, &r)) r = RECT{};
    const Point at = centred_window_position(work, r.right - r.left, r.bottom - r.top);
    SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// How long a closed window lets a scan still in progress finish before the
// process ends. Ending the process normally while a probe is inside the
// graphics stack can crash it on its way out (seen under Wine while the
// adapter list is first built, from the DLLs' detach handlers); the window is
// already gone, so the user waits for nothing.
constexpr DWORD scan_finish_wait_ms = 5000;

void run()
{
    enter_com_apartment();  // the shell call runs on this thread
    HMODULE module = GetModuleHandleW(nullptr);
    if (module == nullptr) return;
    if (register_main_window_class(module) == 0) return;
    const Rect work = work_area_under_pointer();
    HWND window = create_main_window(module, work);
    if (window == nullptr) return;

    put_window_state(make_window_state(window, initial_dpi(window)));
    {
        StateGuard state;
        if (state) apply_phase(*state, scanning_phase());
    }
    centre_in(window, work);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetForegroundWindow(window);
    focus_default_button(window);

    const checks::UniqueHandle worker = checks::start_scan_worker(window);
    run_message_loop(window);

    take_out_window_state();  // releases the state and its fonts; the brushes go with the thread
    if (!wait_pumping_messages(worker.get(), scan_finish_wait_ms) || checks::probe_left_running()) {
        // The scan is still inside a probe (a very busy machine), or a probe
        // that missed its deadline is still inside a driver call that may
        // never return: end here with exit code 0, without the DLLs' detach
        // handlers that could crash under its feet.
        TerminateProcess(GetCurrentProcess(), 0);
    }
}

}  // namespace

#if defined(QD_HIGH_CONTRAST_FROM_ENVIRONMENT)
namespace {

// The test build only: QD_HIGH_CONTRAST=1 or 0 in the environment stands in
// for the system's High Contrast setting, which Wine cannot switch on.
bool forced_high_contrast = false;
bool forced_answer() { return forced_high_contrast; }

void take_high_contrast_from_environment()
{
    wchar_t value[2] = {};
    if (GetEnvironmentVariableW(L"QD_HIGH_CONTRAST", value, 2) != 1) return;
    forced_high_contrast = value[0] == L'1';
    set_high_contrast_query(forced_answer);
}

}  // namespace
#endif

}  // namespace qd::gui

#if defined(__GLIBCXX__)
// A GUI program has no console for libstdc++'s verbose terminate handler to
// print to, and that handler links in the whole C++ demangler (a quarter of
// the exe). An uncaught exception ends the program the same way without it.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    // Before anything else: every DLL loaded from here on, by the program or by
    // system code on its behalf, comes from System32 only, never from the
    // folder the exe was downloaded to. The exe's own imports are all KnownDLLs.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
#if defined(QD_HIGH_CONTRAST_FROM_ENVIRONMENT)
    qd::gui::take_high_contrast_from_environment();
#endif
    qd::gui::run();
    return 0;
}
