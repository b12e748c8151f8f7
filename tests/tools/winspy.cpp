// winspy: reads the program's main window from outside, for the end-to-end
// tests. Finds the window by its class and prints one line for the window and
// one per child control, as space-separated key=value fields with the text
// last (backslash, CR and LF escaped as \\, \r, \n):
//
//   window found=1 visible=1 active=1 x=700 y=281 w=526 h=463 cw=520 ch=434 focus=2
//   child id=120 visible=1 role=4 focus=0 x=190 y=63 w=292 h=32 sx=896 sy=367 text=Intel(R) Core(TM) i7
//
// x/y are client coordinates of the main window, sx/sy the screen position of
// the control's top-left corner; focus on the window line is the id of the
// child that has the keyboard focus (0: none), read with GetGUIThreadInfo.
//
//   winspy                 one snapshot; exit code 1 when there is no window
//   winspy --wait MS       waits up to MS for a visible window, then a snapshot
//   winspy --watch MS      waits for the window, then prints every line that
//                          changes, prefixed with t=<ms since the window was
//                          first seen>, until the window is gone ("t=N gone")
//                          or MS have passed ("t=N timeout"); a change of a
//                          role or a visibility is seen within a few ms, a
//                          change of a text alone within about 50 ms
//   winspy --deactivate MS shows a window of its own in front for MS, so that
//                          the program's window loses and then regains activation
//   winspy --send-after-close MS
//                          once the program's window is gone, sends WM_NULL to
//                          every window its thread still has (up to MS each):
//                          "window class=NAME answered=0|1 running=0|1"
//   winspy --events MS     hooks the live-region events of other processes,
//                          prints "ready", then one line per event until the
//                          program's window, once seen, is gone ("t=N gone")
//                          or MS have passed ("t=N timeout"):
//     t=1234 live id=133 object=-4 child=0 text=Processor: Acme
//                          t is ms since "ready"; id, object and child are the
//                          event's; the text is the control's when the line is
//                          written (WinEvents carry none), so a watcher that
//                          stays up for the whole run is what to read, not polls
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "checks/owned_win.h"
#include "checks/wide_win.h"

using namespace qd::checks;

namespace {

std::int64_t now_ms() { return static_cast<std::int64_t>(GetTickCount64()); }

std::string escaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

// WM_GETTEXT is marshalled across processes, so edit controls answer too. The
// program answers once its thread handles messages again, up to `wait_ms` later.
std::string window_text(HWND window, UINT wait_ms = 500)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, wait_ms, &length)) return "";
    std::vector<wchar_t> buffer(length + 2, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                        wait_ms, &copied);
    return from_wide(buffer.data(), buffer.size());
}

HWND find_main_window() { return FindWindowW(L"QuellixDetectWindow", nullptr); }

HWND focused_window(HWND main)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

struct Snapshot {
    std::string window_line;
    std::map<int, std::string> child_lines;  // by control id, in id order
};

struct EnumContext {
    HWND main;
    HWND focus;
    Snapshot* snapshot;
};

BOOL CALLBACK add_child(HWND child, LPARAM parameter)
{
    auto& context = *reinterpret_cast<EnumContext*>(parameter);
    if (GetParent(child) != context.main) return TRUE;
    RECT r = {};
    GetWindowRect(child, &r);
    POINT top_left = {r.left, r.top};
    ScreenToClient(context.main, &top_left);
    const int id = GetDlgCtrlID(child);
    char line[512];
    std::snprintf(
        line, sizeof(line), "child id=%d visible=%d role=%lld focus=%d x=%ld y=%ld w=%ld h=%ld sx=%ld sy=%ld text=", id,
        IsWindowVisible(child) ? 1 : 0, static_cast<long long>(GetWindowLongPtrW(child, GWLP_USERDATA)),
        child == context.focus ? 1 : 0, top_left.x, top_left.y, r.right - r.left, r.bottom - r.top, r.left, r.top);
    context.snapshot->child_lines[id] = line + escaped(window_text(child));
    return TRUE;
}

Snapshot take_snapshot(HWND main)
{
    Snapshot snapshot;
    RECT r = {};
    RECT client = {};
    GetWindowRect(main, &r);
    GetClientRect(main, &client);
    HWND focus = focused_window(main);
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
    char line[512];
    std::snprintf(line, sizeof(line),
                  "window found=1 visible=%d active=%d x=%ld y=%ld w=%ld h=%ld cw=%ld ch=%ld focus=%d title=",
                  IsWindowVisible(main) ? 1 : 0, info.hwndActive == main ? 1 : 0, r.left, r.top, r.right - r.left,
                  r.bottom - r.top, client.right, client.bottom, focus != nullptr ? GetDlgCtrlID(focus) : 0);
    snapshot.window_line = line + escaped(window_text(main));
    EnumContext context{main, focus, &snapshot};
    EnumChildWindows(main, add_child, reinterpret_cast<LPARAM>(&context));
    return snapshot;
}

void print_snapshot(const Snapshot& s)
{
    std::printf("%s\n", s.window_line.c_str());
    for (const auto& [id, line] : s.child_lines) std::printf("%s\n", line.c_str());
}

HWND wait_for_window(std::int64_t limit_ms)
{
    const std::int64_t until = now_ms() + limit_ms;
    for (;;) {
        HWND main = find_main_window();
        if (main != nullptr && IsWindowVisible(main)) return main;
        if (now_ms() >= until) return nullptr;
        Sleep(5);
    }
}

// What can change without a text changing: the children's roles and
// visibility and the window's size. Cheap to read (no message is sent), so it
// is polled every 2 ms and a full snapshot taken when it changes, or at least
// every 40 ms for the texts alone.
std::string signature(HWND main)
{
    std::string out;
    RECT r = {};
    GetWindowRect(main, &r);
    out += std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) + ";";
    for (HWND child = GetWindow(main, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        out += std::to_string(GetWindowLongPtrW(child, GWLP_USERDATA));
        out += IsWindowVisible(child) ? "v" : "h";
    }
    return out;
}

int watch(std::int64_t limit_ms)
{
    const std::int64_t started = now_ms();
    HWND main = wait_for_window(limit_ms);
    if (main == nullptr) {
        std::printf("t=0 timeout\n");
        return 1;
    }
    const std::int64_t seen = now_ms();
    Snapshot last;
    std::string last_signature;
    std::int64_t last_full = -1000;
    for (;;) {
        const std::int64_t t = now_ms() - seen;
        if (!IsWindow(main)) {
            std::printf("t=%lld gone\n", static_cast<long long>(t));
            return 0;
        }
        const std::string sig = signature(main);
        if (sig != last_signature || t - last_full >= 40) {
            const Snapshot s = take_snapshot(main);
            if (s.window_line != last.window_line)
                std::printf("t=%lld %s\n", static_cast<long long>(t), s.window_line.c_str());
            for (const auto& [id, line] : s.child_lines) {
                const auto before = last.child_lines.find(id);
                if (before == last.child_lines.end() || before->second != line)
                    std::printf("t=%lld %s\n", static_cast<long long>(t), line.c_str());
            }
            std::fflush(stdout);
            last = s;
            last_signature = sig;
            last_full = t;
        }
        if (now_ms() - started >= limit_ms) {
            std::printf("t=%lld timeout\n", static_cast<long long>(now_ms() - seen));
            return 1;
        }
        Sleep(2);
    }
}

int deactivate(std::int64_t hold_ms)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"WinspyFront";
    RegisterClassExW(&wc);
    HWND front = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"winspy", WS_POPUP | WS_VISIBLE, 0, 0, 120, 80,
                                 nullptr, nullptr, wc.hInstance, nullptr);
    if (front == nullptr) return 1;
    SetForegroundWindow(front);
    SetActiveWindow(front);
    SetFocus(front);
    const std::int64_t until = now_ms() + hold_ms;
    while (now_ms() < until) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
    DestroyWindow(front);
    return 0;
}

// The windows of `thread`: its top-level ones (hidden or not) and its
// message-only ones.
std::vector<HWND> windows_of_thread(DWORD thread)
{
    std::vector<HWND> found;
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM out) {
            reinterpret_cast<std::vector<HWND>*>(out)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr)) != nullptr;) {
        if (GetWindowThreadProcessId(window, nullptr) == thread) found.push_back(window);
    }
    return found;
}

// Waits for the program's window, then for it to be gone, and sends WM_NULL
// to every window its thread still has, each with up to MS to answer. One
// line per window: its class, whether it answered, and whether the program
// was still running after the answer (an answer given while the program still
// waited for its scan, not one that came only because the thread ended).
int send_after_close(std::int64_t limit_ms)
{
    HWND main = wait_for_window(30000);
    if (main == nullptr) return 1;
    DWORD process_id = 0;
    const DWORD thread = GetWindowThreadProcessId(main, &process_id);
    const UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, process_id));
    if (!process) return 1;
    while (IsWindow(main)) Sleep(1);
    const std::vector<HWND> windows = windows_of_thread(thread);
    std::printf("windows=%zu running=%d\n", windows.size(),
                WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT ? 1 : 0);
    for (HWND window : windows) {
        wchar_t name[256] = {};
        GetClassNameW(window, name, 256);
        DWORD_PTR result = 0;
        const bool answered =
            SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(limit_ms), &result) != 0;
        const bool running = WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
        std::printf("window class=%s answered=%d running=%d\n", from_wide(name, 256).c_str(), answered ? 1 : 0,
                    running ? 1 : 0);
    }
    return 0;
}

std::int64_t events_started = 0;

void CALLBACK print_live_region(HWINEVENTHOOK, DWORD, HWND control, LONG object, LONG child, DWORD, DWORD)
{
    std::printf("t=%lld live id=%d object=%ld child=%ld text=%s\n",
                static_cast<long long>(now_ms() - events_started), GetDlgCtrlID(control), object, child,
                escaped(window_text(control, 10000)).c_str());  // raised while the program starts up, too
    std::fflush(stdout);
}

int live_region_events(std::int64_t limit_ms)
{
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                                         print_live_region, 0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
    if (hook == nullptr) return 1;
    events_started = now_ms();
    std::printf("ready\n");
    std::fflush(stdout);
    bool seen = false;
    int status = 1;
    for (;;) {
        // Events arrive as messages to this thread: handle them, then look at the window.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        const std::int64_t t = now_ms() - events_started;
        HWND main = find_main_window();
        if (main != nullptr) seen = true;
        if (seen && main == nullptr) {
            std::printf("t=%lld gone\n", static_cast<long long>(t));
            status = 0;
            break;
        }
        if (t >= limit_ms) {
            std::printf("t=%lld timeout\n", static_cast<long long>(t));
            break;
        }
    }
    UnhookWinEvent(hook);
    return status;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    _setmode(_fileno(stdout), _O_BINARY);  // plain "\n" line ends for the shell scripts
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    const std::int64_t ms = argc > 2 ? std::wcstoll(argv[2], nullptr, 10) : 0;
    if (mode == L"--watch") return watch(ms);
    if (mode == L"--deactivate") return deactivate(ms);
    if (mode == L"--send-after-close") return send_after_close(ms);
    if (mode == L"--events") return live_region_events(ms);
    HWND main = mode == L"--wait" ? wait_for_window(ms) : find_main_window();
    if (main == nullptr) {
        std::printf("window found=0\n");
        return 1;
    }
    print_snapshot(take_snapshot(main));
    return 0;
}
