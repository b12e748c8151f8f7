// The hand-off actions: opening the link (with the shell replaced), copying
// it, closing, and the state left free while the shell or clipboard runs.
#include "gui/hand_off_win.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "link/report_link.h"
#include "window_fixture.h"

using namespace qd::test;
using namespace qd::checks;
using namespace qd::gui;
using namespace qd::link;

TEST_F(MainWindowTest, OpenLinkStoresTheLinkItOpensWithTheFormThePhaseAsks)
{
    struct Case {
        UiPhase from;
        std::intptr_t shell_result;
        bool short_form;
        UiPhase to;
    };
    const Case cases[] = {
        {open_countdown_phase(false, 2), 33, false, opened_phase(false, 3)},
        {not_opened_phase(true, 7), 33, true, opened_phase(true, 3)},
        {open_countdown_phase(true, 1), 32, true, open_failed_phase(false)},
        {open_failed_phase(true), 42, false, opened_phase(false, 3)},
    };
    send_row(RowMessage{ProcessorRow{"Acme CPU"}});
    send_row(RowMessage{MemoryRow{8}});
    ScanReport report;
    report.processor_name = "Acme CPU";
    report.memory_gb = 8;
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.from.state));
        set_link("stale");
        set_phase(c.from);
        shell.links.clear();
        shell.result = c.shell_result;
        hand_off(window, HandOffAction::OpenLink);
        const std::string expected = build_report_link(report, c.short_form);
        ASSERT_EQ(shell.links.size(), 1u);
        EXPECT_EQ(shell.links[0], expected);
        EXPECT_EQ(phase(), c.to);
        StateGuard state;
        EXPECT_EQ(state->link, expected);
        if (c.to.state == UiState::OpenFailed) {
            EXPECT_EQ(text_of(GetDlgItem(window, control_id::link_box)), expected);
        }
    }
}

namespace {
HWND shell_test_window = nullptr;
void row_during_shell_call()
{
    // Something the shell sends back while it runs: the state must be free.
    SendMessageW(shell_test_window, wm_scan_row, 0, reinterpret_cast<LPARAM>(new RowMessage{MemoryRow{64}}));
    // "Open now" pressed again while the first opening is still in the shell.
    SendMessageW(shell_test_window, WM_COMMAND, MAKEWPARAM(control_id::primary, BN_CLICKED), 0);
}
}  // namespace

TEST_F(MainWindowTest, TheStateIsFreeDuringTheShellCallAndASecondOpenWaitsForNone)
{
    set_phase(open_countdown_phase(false, 3));
    shell_test_window = window;
    shell.during_call = row_during_shell_call;
    click(control_id::primary);
    EXPECT_EQ(shell.links.size(), 1u);                      // one browser, not two
    EXPECT_EQ(text(control_id::first_value + 2), "64 GB");  // the row went through during the call
    EXPECT_EQ(phase(), opened_phase(false, 3));
}

namespace {
// Cancel pressed while the shell call runs (a failing shell shows a modal
// error box and pumps messages; the window stays enabled).
void cancel_during_shell_call()
{
    SendMessageW(shell_test_window, WM_COMMAND, MAKEWPARAM(control_id::secondary, BN_CLICKED), 0);
}

// Pumps the thread's messages for `ms`; the number of WM_TIMER messages that came for `window`.
int pump_counting_timers(HWND window, DWORD ms)
{
    int timers = 0;
    const ULONGLONG until = GetTickCount64() + ms;
    while (GetTickCount64() < until) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER && msg.hwnd == window) ++timers;
            if (msg.message != WM_QUIT) DispatchMessageW(&msg);
        }
        Sleep(5);
    }
    return timers;
}
}  // namespace

TEST_F(MainWindowTest, NoCountdownTimerOutlivesItsPhaseWhenCancelComesDuringAFailingShellCall)
{
    set_phase(open_countdown_phase(false, 3));
    shell_test_window = window;
    shell.during_call = cancel_during_shell_call;
    shell.result = 31;  // SE_ERR_NOASSOC: no browser
    click(control_id::primary);
    ASSERT_EQ(phase(), open_failed_phase(false));
    SetFocus(item(control_id::link_box));  // the user goes to select the link
    EXPECT_EQ(pump_counting_timers(window, 1500), 0);
    EXPECT_EQ(focused_id(), control_id::link_box);
    EXPECT_EQ(phase(), open_failed_phase(false));
}

TEST_F(MainWindowTest, CloseWorksEvenWhileTheStateIsInUse)
{
    StateGuard held;
    hand_off(window, HandOffAction::CloseApp);
    EXPECT_FALSE(IsWindow(window));
}

namespace {
std::wstring clipboard_text()
{
    std::wstring out;
    if (!OpenClipboard(nullptr)) return L"<cannot open>";
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            out.assign(p, GlobalSize(data) / sizeof(wchar_t));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return out;
}
}  // namespace

TEST_F(MainWindowTest, CopyLinkPutsExactlyTheLinkOnTheClipboardAndRetriesAfterAFailure)
{
    const std::string link = "https://example.test/detect?src=app&cpu=Acme%20%C3%A9";
    set_link(link);
    set_phase(open_failed_phase(false));

    // Another thread holds the clipboard open: the copy fails and nothing changes.
    HANDLE holding = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread holder([&] {
        const BOOL opened = OpenClipboard(nullptr);
        SetEvent(holding);
        WaitForSingleObject(release, INFINITE);
        if (opened) CloseClipboard();
    });
    WaitForSingleObject(holding, INFINITE);
    click(control_id::primary);
    EXPECT_EQ(phase(), open_failed_phase(false));
    EXPECT_EQ(text(control_id::primary), "Copy link");
    SetEvent(release);
    holder.join();
    CloseHandle(holding);
    CloseHandle(release);

    click(control_id::primary);  // a second press succeeds
    EXPECT_EQ(phase(), open_failed_phase(true));
    EXPECT_EQ(text(control_id::primary), "Copied");
    EXPECT_EQ(text(control_id::message), "Link copied. Paste it into your browser's address bar.");
    std::wstring expected = to_wide(link);
    expected.push_back(L'\0');  // the text and one zero unit, nothing more
    EXPECT_EQ(clipboard_text(), expected);

    click(control_id::primary);  // copies again and stays
    EXPECT_EQ(phase(), open_failed_phase(true));
}

namespace {
// The formats on the clipboard in the order the system lists them: the ones
// put there first, then those it makes from them (text in other encodings, the locale).
std::vector<UINT> clipboard_formats()
{
    std::vector<UINT> formats;
    if (!OpenClipboard(nullptr)) return formats;
    for (UINT f = EnumClipboardFormats(0); f != 0; f = EnumClipboardFormats(f)) formats.push_back(f);
    CloseClipboard();
    return formats;
}
}  // namespace

TEST_F(MainWindowTest, CopyLinkPutsTheLinkAsUnicodeText)
{
    // The system converts between its text formats when asked, so reading the
    // text back cannot tell them apart: the format put there is the first listed.
    set_link("https://example.test/detect?src=app");
    set_phase(open_failed_phase(false));
    click(control_id::primary);
    ASSERT_EQ(phase(), open_failed_phase(true));
    const std::vector<UINT> formats = clipboard_formats();
    ASSERT_FALSE(formats.empty());
    EXPECT_EQ(formats[0], static_cast<UINT>(CF_UNICODETEXT));
    for (std::size_t i = 1; i < formats.size(); ++i)  // anything else is made by the system from it
        EXPECT_TRUE(formats[i] == CF_TEXT || formats[i] == CF_OEMTEXT || formats[i] == CF_LOCALE) << formats[i];
}
