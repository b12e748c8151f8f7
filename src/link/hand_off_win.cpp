#include "link/hand_off.h"

#include <shellapi.h>

#include <cstring>
#include <string>

#include "checks/win32_util.h"
#include "gui/window.h"
#include "link/report_link.h"

namespace {

std::intptr_t shell_execute(const wchar_t* link)
{
    return reinterpret_cast<std::intptr_t>(ShellExecuteW(nullptr, L"open", link, nullptr, nullptr, SW_SHOWNORMAL));
}

thread_local ShellOpen shell_open = shell_execute;

// Set while OpenLink waits for the shell. The shell may pump messages; a
// second "Open now" or Enter arriving then must not start a second browser.
thread_local bool shell_call_running = false;

void start_timer_if_counting(HWND window, const UiPhase& phase)
{
    if (timer_runs_in(phase)) SetTimer(window, countdown_timer, countdown_period_ms, nullptr);
}

void open_link(HWND window)
{
    if (shell_call_running) return;
    std::wstring wide;
    bool short_form = false;
    {
        StateGuard state;
        if (!state) return;
        KillTimer(window, countdown_timer);
        short_form = open_link_short_form(state->phase);
        state->link = build_report_link(state->report, short_form);
        wide = to_wide(state->link);
    }
    shell_call_running = true;
    const std::intptr_t result = shell_open(wide.c_str());
    shell_call_running = false;
    wide = std::wstring();

    StateGuard state;
    if (!state) return;
    const UiPhase next = phase_after_open(result, short_form);
    apply_phase(*state, next);
    start_timer_if_counting(window, next);
}

void cancel_open(HWND window)
{
    StateGuard state;
    if (!state) return;
    KillTimer(window, countdown_timer);
    const UiPhase next = phase_after_cancel(state->phase);
    apply_phase(*state, next);
    start_timer_if_counting(window, next);
}

bool valid_handle(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }

class OpenClipboardGuard {
public:
    OpenClipboardGuard() = default;
    OpenClipboardGuard(const OpenClipboardGuard&) = delete;
    OpenClipboardGuard& operator=(const OpenClipboardGuard&) = delete;
    ~OpenClipboardGuard() { CloseClipboard(); }
};

// Puts `text` and its terminating zero on the clipboard as CF_UNICODETEXT.
// On any failure the clipboard is closed again and the memory freed.
bool put_on_clipboard(HWND window, const std::wstring& text)
{
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    if (!OpenClipboard(window)) return false;
    const OpenClipboardGuard close_clipboard;
    if (!EmptyClipboard()) return false;
    UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!valid_handle(memory.get())) {
        memory.release();
        return false;
    }
    void* target = GlobalLock(memory.get());
    if (target == nullptr) return false;
    std::memcpy(target, text.c_str(), bytes);
    GlobalUnlock(memory.get());
    if (!valid_handle(SetClipboardData(CF_UNICODETEXT, memory.get()))) return false;
    memory.release();  // the clipboard owns it now
    return true;
}

void copy_link(HWND window)
{
    std::wstring wide;
    {
        StateGuard state;
        if (!state) return;
        wide = to_wide(state->link);
    }
    if (!put_on_clipboard(window, wide)) return;
    wide = std::wstring();

    StateGuard state;
    if (!state) return;
    apply_phase(*state, open_failed_phase(true));
}

}  // namespace

void set_shell_open(ShellOpen open) { shell_open = open != nullptr ? open : shell_execute; }

void hand_off(HWND window, HandOffAction action)
{
    switch (action) {
    case HandOffAction::OpenLink: open_link(window); return;
    case HandOffAction::CancelOpen: cancel_open(window); return;
    case HandOffAction::CopyLink: copy_link(window); return;
    case HandOffAction::CloseApp: DestroyWindow(window); return;
    case HandOffAction::None: return;
    }
}
