// The window procedure's handlers (rows, the end of the scan, timer ticks,
// buttons, Escape, activation, DPI changes) and the message loop's keys.
#include "gui/window_win.h"

#include <gtest/gtest.h>

#include <string>

#include "gui/fonts_win.h"
#include "link/report_link.h"
#include "window_fixture.h"

using namespace qd::test;
using namespace qd::checks;
using namespace qd::gui;
using namespace qd::link;

namespace {

void pump_for(DWORD ms)
{
    const ULONGLONG until = GetTickCount64() + ms;
    while (GetTickCount64() < until) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

}  // namespace

TEST_F(MainWindowTest, RowMessagesSetTheValueTextAndRole)
{
    struct Case {
        RowMessage row;
        int id;
        std::string text;
        LONG_PTR role;
    };
    SettingsSnapshot none;
    SettingsSnapshot two;
    two.game_mode = TriState::Off;
    two.os_build = 22631;
    const Case cases[] = {
        {RowMessage{ProcessorRow{"Acme(R) Core 8-Core"}}, control_id::first_value + 0, "Acme(R) Core 8-Core", 4},
        {RowMessage{GraphicsRow{}}, control_id::first_value + 1, "not found", 5},
        {RowMessage{MemoryRow{16}}, control_id::first_value + 2, "16 GB", 4},
        {RowMessage{DisplayRow{DisplaySize{1920, 1080}, 144}}, control_id::first_value + 3, u8(u8"1920 \u00D7 1080 @ 144 Hz"), 4},
        {RowMessage{StorageRow{"hdd"}}, control_id::first_value + 4, "Hard drive (HDD)", 4},
        {RowMessage{SettingsRow{none}}, control_id::first_value + 5, "not found", 5},
        {RowMessage{SettingsRow{two}}, control_id::first_value + 5, "2 checked",
         4},  // a second message for a row replaces the first
        {RowMessage{DisplayRow{}}, control_id::first_value + 3, "not found", 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        send_row(c.row);
        EXPECT_EQ(text(c.id), c.text);
        EXPECT_EQ(role_of(item(c.id)), c.role);
    }
    StateGuard state;
    ASSERT_TRUE(state);
    EXPECT_EQ(state->report.processor_name, "Acme(R) Core 8-Core");
    EXPECT_EQ(state->report.memory_gb, 16u);
    EXPECT_FALSE(state->report.display_size);
    EXPECT_EQ(state->report.settings.os_build, 22631u);
    EXPECT_EQ(state->phase, scanning_phase());  // rows change no phase
}

TEST_F(MainWindowTest, ARowMessageThatFindsTheStateInUseIsDroppedUnread)
{
    {
        StateGuard held;
        ASSERT_TRUE(held);
        send_row(RowMessage{MemoryRow{32}});
    }
    EXPECT_EQ(text(control_id::first_value + 2), u8(u8"\u2026"));
    EXPECT_EQ(role_of(item(control_id::first_value + 2)), static_cast<LONG_PTR>(ColorRole::ValuePending));
    StateGuard state;
    EXPECT_FALSE(state->report.memory_gb);
}

TEST_F(MainWindowTest, ScanFinishedStartsTheCountdownAndTheTimerDrivesIt)
{
    send_row(RowMessage{StorageRow{"ssd"}});  // storage and settings do not count as hardware
    const ULONGLONG began = GetTickCount64();
    SendMessageW(window, wm_scan_finished, 0, 0);
    EXPECT_EQ(phase(), open_countdown_phase(true, 3));
    EXPECT_EQ(text(control_id::header), "No hardware found");
    EXPECT_EQ(text(control_id::message), u8(u8"Opening Quellix in your browser in 3\u2026"));
    EXPECT_TRUE(visible(control_id::primary));
    EXPECT_EQ(focused_id(), control_id::primary);
    // The real timer 1 ticks: one count down, a second after it was set (less
    // a step of the tick count). The limit only ends a test that went wrong.
    const ULONGLONG limit = began + 10'000;
    while (phase() == open_countdown_phase(true, 3) && GetTickCount64() < limit) pump_for(5);
    EXPECT_GE(GetTickCount64() - began, 1000u - 16u);
    EXPECT_EQ(phase(), open_countdown_phase(true, 2));
    EXPECT_EQ(text(control_id::message), u8(u8"Opening Quellix in your browser in 2\u2026"));
}

TEST_F(MainWindowTest, TimerTicksFollowThePhase)
{
    set_phase(open_countdown_phase(false, 3));
    tick(2);  // only timer 1 counts
    EXPECT_EQ(phase(), open_countdown_phase(false, 3));
    tick();
    EXPECT_EQ(phase(), open_countdown_phase(false, 2));
    tick();
    tick();  // at 1: opens the link
    ASSERT_EQ(shell.links.size(), 1u);
    EXPECT_EQ(phase(), opened_phase(false, 3));
    EXPECT_EQ(text(control_id::message),
              u8(u8"Opened ") + std::string(site_host()) + u8(u8" \u2014 your rig is ready. Closing in 3\u2026"));
    tick();
    tick();
    EXPECT_EQ(phase(), opened_phase(false, 1));
    EXPECT_TRUE(IsWindow(window));
    tick();  // at 1: closes
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowTest, TicksInScanningAndOpenFailedChangeNothing)
{
    tick();
    EXPECT_EQ(phase(), scanning_phase());
    set_link("https://example.test/x");
    set_phase(open_failed_phase(true));
    tick();
    EXPECT_EQ(phase(), open_failed_phase(true));
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(MainWindowTest, ButtonsActOnlyWhenVisibleAndClicked)
{
    click(control_id::primary);  // hidden while scanning
    EXPECT_TRUE(shell.links.empty());
    EXPECT_EQ(phase(), scanning_phase());
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(control_id::secondary, BN_DOUBLECLICKED), 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(control_id::message, BN_CLICKED), 0);
    EXPECT_TRUE(IsWindow(window));

    set_phase(open_countdown_phase(false, 3));
    ShowWindow(item(control_id::primary), SW_HIDE);  // "Open now" has an action but cannot be seen
    click(control_id::primary);
    EXPECT_TRUE(shell.links.empty());
    EXPECT_EQ(phase(), open_countdown_phase(false, 3));
    ShowWindow(item(control_id::primary), SW_SHOW);

    click(control_id::secondary);  // Cancel
    EXPECT_EQ(phase(), not_opened_phase(false, 10));
    EXPECT_EQ(text(control_id::message), u8(u8"Not opened. Choose Open now to see Quellix. Closing in 10\u2026"));
    click(control_id::secondary);  // Close
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowTest, CancelDuringTheScanClosesTheWindow)
{
    click(control_id::secondary);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowTest, EscapeCancelsTheCountdownThenClosesAndDoesNothingWhileTheStateIsInUse)
{
    set_phase(open_countdown_phase(true, 2));
    {
        StateGuard held;
        escape();
    }
    EXPECT_EQ(phase(), open_countdown_phase(true, 2));
    escape();
    EXPECT_EQ(phase(), not_opened_phase(true, 10));
    escape();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowTest, EscapeClosesWhenOpened)
{
    set_phase(opened_phase(false, 3));
    escape();
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MainWindowTest, ActivationRestoresTheSavedFocusOrFallsBackToTheDefaultButton)
{
    set_phase(open_countdown_phase(false, 3));
    SetFocus(item(control_id::secondary));
    SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(item(control_id::primary));
    SendMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(focused_id(), control_id::secondary);

    // The saved control has been hidden since: the default button gets the focus.
    SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0);  // saves button 2
    set_phase(opened_phase(false, 3));                  // hides it
    SetFocus(item(control_id::header));
    SendMessageW(window, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    EXPECT_EQ(focused_id(), control_id::primary);
}

TEST_F(MainWindowTest, ActivationSavesAndRestoresTheFocusWhileAHandlerHoldsTheState)
{
    // The shell's error box or another program's window can take the activation
    // while a handler holds the state: the focus is saved and restored all the same.
    set_phase(open_countdown_phase(false, 3));
    SetFocus(item(control_id::secondary));
    {
        StateGuard held;
        ASSERT_TRUE(held);
        SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0);
        SetFocus(item(control_id::primary));
        SendMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);
        EXPECT_EQ(focused_id(), control_id::secondary);

        SendMessageW(window, WM_ACTIVATE, WA_INACTIVE, 0);  // saved while held ...
    }
    SetFocus(item(control_id::primary));
    SendMessageW(window, WM_ACTIVATE, WA_ACTIVE, 0);  // ... restored after
    EXPECT_EQ(focused_id(), control_id::secondary);
}

TEST_F(MainWindowTest, DpiChangeRemakesFontsRelaysOutAndMovesToTheSuggestedCorner)
{
    HGDIOBJ old_body = nullptr;
    {
        StateGuard state;
        old_body = state->fonts.body_font.get();
    }
    RECT suggested = {140, 90, 900, 900};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    StateGuard state;
    ASSERT_TRUE(state);
    EXPECT_EQ(state->dpi, 144u);
    EXPECT_EQ(font_info(state->fonts.title_font.get()).lfHeight, -30);
    EXPECT_FALSE(gdi_object_alive(old_body));
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(item(control_id::header), WM_GETFONT, 0, 0)),
              state->fonts.title_font.get());
    EXPECT_EQ(LOWORD(SendMessageW(item(control_id::link_box), EM_GETMARGINS, 0, 0)), 12);
    RECT outer = {0, 0, 780, 651};  // the client size of 144 DPI, framed at 144 DPI
    AdjustWindowRectExForDpi(&outer, main_window_style, FALSE, 0, 144);
    RECT now = {};
    GetWindowRect(window, &now);
    EXPECT_EQ(now.left, 140);  // the suggested corner
    EXPECT_EQ(now.top, 90);
    EXPECT_EQ(now.right - now.left, outer.right - outer.left);  // its own size, not the suggested one
    EXPECT_EQ(now.bottom - now.top, outer.bottom - outer.top);
}

TEST_F(MainWindowTest, AskedForItsSizeAtAnotherDpiTheWindowGivesItsLaidOutSize)
{
    // The client sizes of the layout at each DPI, framed at that DPI: what the
    // window takes after the change, so what Windows should suggest.
    const struct {
        UINT dpi;
        SIZE client;
    } cases[] = {{96, {520, 434}}, {120, {650, 538}}, {144, {780, 651}}, {192, {1040, 868}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        RECT outer = {0, 0, c.client.cx, c.client.cy};
        AdjustWindowRectExForDpi(&outer, main_window_style, FALSE, 0, c.dpi);
        SIZE size = {123, 45};  // Windows' own guess, scaled from the current size
        EXPECT_EQ(SendMessageW(window, WM_GETDPISCALEDSIZE, c.dpi, reinterpret_cast<LPARAM>(&size)), TRUE);
        EXPECT_EQ(size.cx, outer.right - outer.left);
        EXPECT_EQ(size.cy, outer.bottom - outer.top);
    }
    // With the link box shown the window is taller by its band.
    set_phase(open_failed_phase(false));
    RECT outer = {0, 0, 780, 720};
    AdjustWindowRectExForDpi(&outer, main_window_style, FALSE, 0, 144);
    SIZE size = {};
    SendMessageW(window, WM_GETDPISCALEDSIZE, 144, reinterpret_cast<LPARAM>(&size));
    EXPECT_EQ(size.cy, outer.bottom - outer.top);
}

namespace {

// The window's moves and resizes as it receives them, through a procedure put in front of its own.
std::vector<WINDOWPOS>* window_moves = nullptr;
WNDPROC window_own_proc = nullptr;
LRESULT CALLBACK recording_moves(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_WINDOWPOSCHANGED && window_moves != nullptr) {
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lparam);
        if ((pos->flags & SWP_NOMOVE) == 0 || (pos->flags & SWP_NOSIZE) == 0) window_moves->push_back(*pos);
    }
    return CallWindowProcW(window_own_proc, hwnd, message, wparam, lparam);
}

}  // namespace

TEST_F(MainWindowTest, ADpiChangeMovesAndSizesTheWindowInOneStep)
{
    std::vector<WINDOWPOS> moves;
    window_moves = &moves;
    window_own_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(recording_moves)));
    RECT suggested = {300, 200, 1000, 950};  // another size than the window's own
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(window_own_proc));
    window_moves = nullptr;

    RECT outer = {0, 0, 780, 651};
    AdjustWindowRectExForDpi(&outer, main_window_style, FALSE, 0, 144);
    ASSERT_EQ(moves.size(), 1u) << "moved and sized in separate steps";
    EXPECT_EQ(moves[0].x, 300);
    EXPECT_EQ(moves[0].y, 200);
    EXPECT_EQ(moves[0].cx, outer.right - outer.left);
    EXPECT_EQ(moves[0].cy, outer.bottom - outer.top);
    RECT now = {};
    GetWindowRect(window, &now);
    EXPECT_EQ(now.left, 300);
    EXPECT_EQ(now.top, 200);
    EXPECT_EQ(now.right - now.left, outer.right - outer.left);
    EXPECT_EQ(now.bottom - now.top, outer.bottom - outer.top);
}

TEST_F(MainWindowTest, ADpiChangeBelow96IsTakenAs96)
{
    for (const WORD dpi : {WORD{0}, WORD{48}}) {
        SCOPED_TRACE(dpi);
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0);
        StateGuard state;
        ASSERT_TRUE(state);
        EXPECT_EQ(state->dpi, 96u);
        EXPECT_EQ(font_info(state->fonts.title_font.get()).lfHeight, -20);
    }
}

// ---- The message loop's keys ------------------------------------------------------

TEST_F(MainWindowTest, EnterAndEscapeBecomeMessagesForTheWindow)
{
    set_phase(open_countdown_phase(false, 3));
    drain_queue();
    auto key = [&](HWND target, WPARAM vk, UINT message = WM_KEYDOWN) {
        MSG msg = {};
        msg.hwnd = target;
        msg.message = message;
        msg.wParam = vk;
        return forward_dialog_key(window, msg);
    };
    auto posted = [&](UINT message, WPARAM* wparam) {
        MSG msg;
        int count = 0;
        while (PeekMessageW(&msg, window, message, message, PM_REMOVE)) {
            ++count;
            if (wparam != nullptr) *wparam = msg.wParam;
        }
        return count;
    };
    WPARAM wparam = 0;

    EXPECT_TRUE(key(item(control_id::link_box), VK_ESCAPE));
    EXPECT_EQ(posted(wm_escape_key, nullptr), 1);

    struct Case {
        int focus;
        WPARAM command;
    };
    for (const Case c : {Case{control_id::link_box, 1}, Case{control_id::secondary, 2}, Case{control_id::primary, 1}}) {
        SCOPED_TRACE(c.focus);
        SetFocus(item(c.focus));
        EXPECT_TRUE(key(item(c.focus), VK_RETURN));
        EXPECT_EQ(posted(WM_COMMAND, &wparam), 1);
        EXPECT_EQ(wparam, c.command);  // BN_CLICKED (0) in the high word
    }
    SetFocus(nullptr);
    EXPECT_TRUE(key(window, VK_RETURN | 0x10000));  // only the low 16 bits name the key
    EXPECT_EQ(posted(WM_COMMAND, &wparam), 1);
    EXPECT_EQ(wparam, 1u);

    EXPECT_FALSE(key(item(control_id::primary), VK_TAB));
    EXPECT_FALSE(key(item(control_id::primary), VK_ESCAPE, WM_KEYUP));
    EXPECT_FALSE(key(GetDesktopWindow(), VK_ESCAPE));  // not this window's
    EXPECT_EQ(posted(wm_escape_key, nullptr), 0);
    EXPECT_EQ(posted(WM_COMMAND, nullptr), 0);
}

TEST_F(MainWindowTest, EnterOnAHiddenButtonOneDoesNothing)
{
    SetFocus(nullptr);
    MSG msg = {};
    msg.hwnd = window;
    msg.message = WM_KEYDOWN;
    msg.wParam = VK_RETURN;
    ASSERT_TRUE(forward_dialog_key(window, msg));
    pump_for(50);  // the posted WM_COMMAND for button 1 reaches the window
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(phase(), scanning_phase());
    EXPECT_TRUE(shell.links.empty());
}
