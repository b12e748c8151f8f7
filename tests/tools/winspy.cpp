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
//   winspy --watch MS      prints "waiting" at once, waits for the window,
//                          prints "seen unix_ms=<Unix time in ms>" when it
//                          first sees it, then every line that changes,
//                          prefixed with t=<ms since then, when the read
//                          that saw the change ended>, until the window is
//                          gone ("t=N gone", then "exit code=N" once the
//                          program has ended, within 30 s) or MS have
//                          passed ("t=N timeout"). It reads the window every
//                          5 ms; a read takes a few ms on an idle machine,
//                          some hundreds on a busy one, and t is never
//                          before the change.
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
#include <cwchar>
#include <map>
#include <optional>
#include <string>
#include <utility>
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
// program answers once its thread handles messages again, up to `wait_ms` later;
// answered becomes false when it did not answer in time.
std::string window_text(HWND window, bool& answered, UINT wait_ms = 500)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, wait_ms, &length)) {
        answered = false;
        return "";
    }
    std::vector<wchar_t> buffer(length + 2, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                             SMTO_ABORTIFHUNG, wait_ms, &copied))
        answered = false;
    return from_wide(buffer.data(), buffer.size());
}

// The text of a window. Statics, buttons and top-level windows keep theirs
// where the system keeps every window's: InternalGetWindowText reads it there,
// without the window's thread, which a busy machine can keep from answering
// for a second. An edit control keeps its own, read through its thread.
std::string control_text(HWND window, bool& answered)
{
    static std::map<HWND, bool> edits;  // a window's class does not change
    const auto known = edits.find(window);
    bool edit = known != edits.end() && known->second;
    if (known == edits.end()) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        CharLowerW(name);
        edit = edits[window] = std::wcsstr(name, L"edit") != nullptr;
    }
    if (edit) return window_text(window, answered);
    std::vector<wchar_t> buffer(4096, L'\0');
    InternalGetWindowText(window, buffer.data(), static_cast<int>(buffer.size()));
    return from_wide(buffer.data(), buffer.size());
}

HWND find_main_window() { return FindWindowW(L"QuellixDetectWindow", nullptr); }

struct Snapshot {
    std::string window_line;
    std::map<int, std::string> child_lines;  // by control id, in id order
    bool answered = true;                    // false: a text went unread, and the reading stopped there
    bool operator==(const Snapshot&) const = default;
};

// Every field but an edit control's text is read without the window's
// thread, and as few calls as give them: on a busy machine each call waits
// its turn at the Wine server, and the watch reads the window again and again.
Snapshot take_snapshot(HWND main)
{
    Snapshot snapshot;
    RECT r = {};
    RECT client = {};
    GetWindowRect(main, &r);
    GetClientRect(main, &client);
    POINT origin = {0, 0};  // the client area's top-left corner on the screen
    ClientToScreen(main, &origin);
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
    HWND focus = info.hwndFocus;
    const bool shown = IsWindowVisible(main) != FALSE;
    char line[512];
    std::snprintf(line, sizeof(line),
                  "window found=1 visible=%d active=%d x=%ld y=%ld w=%ld h=%ld cw=%ld ch=%ld focus=%d title=",
                  shown ? 1 : 0, info.hwndActive == main ? 1 : 0, r.left, r.top, r.right - r.left, r.bottom - r.top,
                  client.right, client.bottom, focus != nullptr ? GetDlgCtrlID(focus) : 0);
    snapshot.window_line = line + escaped(control_text(main, snapshot.answered));
    for (HWND child = GetWindow(main, GW_CHILD); child != nullptr && snapshot.answered;
         child = GetWindow(child, GW_HWNDNEXT)) {
        GetWindowRect(child, &r);
        const int id = GetDlgCtrlID(child);
        // Visible: its own style says so and the window is (IsWindowVisible would ask for both).
        const bool visible = shown && (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE) != 0;
        std::snprintf(line, sizeof(line),
                      "child id=%d visible=%d role=%lld focus=%d x=%ld y=%ld w=%ld h=%ld sx=%ld sy=%ld text=", id,
                      visible ? 1 : 0, static_cast<long long>(GetWindowLongPtrW(child, GWLP_USERDATA)),
                      child == focus ? 1 : 0, r.left - origin.x, r.top - origin.y, r.right - r.left, r.bottom - r.top,
                      r.left, r.top);
        snapshot.child_lines[id] = line + escaped(control_text(child, snapshot.answered));
    }
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

// A snapshot for the watch, or nothing when the window's thread did not
// answer in time (the next poll reads it again). The fields are read one
// after the other while the program may be changing them: a read that
// overlaps a change of phase can mix old and new, so a change is taken once
// two reads in a row agree. read_at is when the first read ended: whatever
// it saw had happened by then.
std::optional<Snapshot> settled_snapshot(HWND main, const Snapshot& last, std::int64_t& read_at)
{
    Snapshot s = take_snapshot(main);
    read_at = now_ms();
    for (int i = 0; i < 5 && s.answered && s != last; ++i) {
        Snapshot again = take_snapshot(main);
        if (again == s) break;
        s = std::move(again);
    }
    if (!s.answered) return std::nullopt;
    return s;
}

int watch(std::int64_t limit_ms)
{
    const std::int64_t started = now_ms();
    std::printf("waiting\n");  // running: from here on, it sees the window as soon as it shows
    std::fflush(stdout);
    HWND main = wait_for_window(limit_ms);
    if (main == nullptr) {
        std::printf("t=0 timeout\n");
        return 1;
    }
    const std::int64_t seen = now_ms();
    // The same moment on the Unix clock, so that a script can place its own
    // moments (`date +%s%3N`) on the record's time line.
    FILETIME now = {};
    GetSystemTimePreciseAsFileTime(&now);
    const std::int64_t unix_ms = static_cast<std::int64_t>(
        (ULARGE_INTEGER{{now.dwLowDateTime, now.dwHighDateTime}}.QuadPart - 116444736000000000ULL) / 10000);
    std::printf("seen unix_ms=%lld\n", static_cast<long long>(unix_ms));
    DWORD process_id = 0;
    GetWindowThreadProcessId(main, &process_id);
    const UniqueHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process_id));
    Snapshot last;
    for (;;) {
        if (!IsWindow(main)) {
            std::printf("t=%lld gone\n", static_cast<long long>(now_ms() - seen));
            std::fflush(stdout);
            // The program's own exit code, as Windows reports it. On a busy
            // machine the Wine process has been seen to end by SIGKILL (137
            // to the shell) after the window had closed as usual.
            DWORD code = 0;
            if (process && WaitForSingleObject(process.get(), 30000) == WAIT_OBJECT_0 &&
                GetExitCodeProcess(process.get(), &code))
                std::printf("exit code=%lu\n", static_cast<unsigned long>(code));
            return 0;
        }
        // Closing hides the window first, then destroys its controls: a read
        // from then on would show them half gone. "gone" comes next.
        std::int64_t read_at = 0;
        const std::optional<Snapshot> read =
            IsWindowVisible(main) ? settled_snapshot(main, last, read_at) : std::nullopt;
        if (read && IsWindowVisible(main)) {
            const Snapshot& s = *read;
            const std::int64_t t = read_at - seen;
            if (s.window_line != last.window_line)
                std::printf("t=%lld %s\n", static_cast<long long>(t), s.window_line.c_str());
            for (const auto& [id, line] : s.child_lines) {
                const auto before = last.child_lines.find(id);
                if (before == last.child_lines.end() || before->second != line)
                    std::printf("t=%lld %s\n", static_cast<long long>(t), line.c_str());
            }
            std::fflush(stdout);
            last = s;
        }
        if (now_ms() - started >= limit_ms) {
            std::printf("t=%lld timeout\n", static_cast<long long>(now_ms() - seen));
            return 1;
        }
        Sleep(5);
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
    bool answered = true;
    std::printf("t=%lld live id=%d object=%ld child=%ld text=%s\n",
                static_cast<long long>(now_ms() - events_started), GetDlgCtrlID(control), object, child,
                escaped(window_text(control, answered, 10000)).c_str());  // raised while the program starts up, too
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
