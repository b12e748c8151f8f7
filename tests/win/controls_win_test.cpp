// The main window's controls: creation, applying phases and the layout at
// each DPI, and where the focus goes.
#include "gui/controls_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/layout.h"
#include "link/report_link.h"
#include "window_fixture.h"

using namespace qd::test;
using namespace qd::checks;
using namespace qd::gui;
using namespace qd::link;

namespace {

SIZE client_size(HWND window)
{
    RECT r = {};
    GetClientRect(window, &r);
    return SIZE{r.right, r.bottom};
}

RECT client_rect_of(HWND window, HWND control)
{
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

}  // namespace

TEST_F(MainWindowTest, ControlsAreCreatedWithTheirTextsAndRoles)
{
    struct Case {
        int id;
        std::string text;
        LONG_PTR role;
    };
    const std::string ellipsis = u8(u8"\u2026");
    const Case cases[] = {
        {control_id::header, u8(u8"Scanning your PC\u2026"), 0},
        {control_id::first_label, "Processor", 2},
        {control_id::first_label + 5, "Windows settings", 2},
        {control_id::first_value, ellipsis, 3},
        {control_id::first_value + 5, ellipsis, 3},
        {control_id::link_box, "", 6},
        {control_id::footnote,
         u8(u8"Reads hardware and Windows settings only. Changes nothing.\r\nSends nothing \u2014 it only opens ") +
             std::string(site_host()) + ".",
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        ASSERT_NE(item(c.id), nullptr);
        EXPECT_EQ(text(c.id), c.text);
        EXPECT_EQ(role_of(item(c.id)), c.role);
    }
    EXPECT_EQ(role_of(item(control_id::primary)), 0);
    EXPECT_EQ(role_of(item(control_id::message)), 0);
    // Nineteen children, no more: the eighteen shown and the announcer, last.
    int children = 0;
    HWND last = nullptr;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        ++children;
        last = child;
    }
    EXPECT_EQ(children, 19);
    EXPECT_EQ(last, item(control_id::announcer));
}

TEST_F(MainWindowTest, TheMessageStandsJustBeforeTheLinkBoxAndTabKeepsItsOrder)
{
    // A screen reader names the read-only link box by the static text before it.
    EXPECT_EQ(GetWindow(item(control_id::link_box), GW_HWNDPREV), item(control_id::message));
    EXPECT_EQ(GetWindowLongPtrW(item(control_id::message), GWL_STYLE) & WS_TABSTOP, 0);

    // Tab goes round the shown buttons, and to the link box once it is shown, as before.
    struct Case {
        UiPhase phase;
        std::vector<int> round;  // from button 1, Tab after Tab, back to button 1
    };
    const Case cases[] = {
        {open_countdown_phase(false, 3), {control_id::primary, control_id::secondary, control_id::primary}},
        {open_failed_phase(false),
         {control_id::primary, control_id::secondary, control_id::link_box, control_id::primary}},
    };
    for (const Case& c : cases) {
        set_phase(c.phase);
        HWND at = item(control_id::primary);
        std::vector<int> round = {GetDlgCtrlID(at)};
        for (std::size_t i = 1; i < c.round.size(); ++i) {
            at = GetNextDlgTabItem(window, at, FALSE);
            round.push_back(GetDlgCtrlID(at));
        }
        EXPECT_EQ(round, c.round) << c.round.size();
    }
}

TEST_F(MainWindowTest, ScanningShowsOnlyCancelFocusedAndTheWindowHasItsDesignSize)
{
    EXPECT_FALSE(visible(control_id::primary));
    EXPECT_TRUE(visible(control_id::secondary));
    EXPECT_FALSE(visible(control_id::link_box));
    EXPECT_EQ(text(control_id::secondary), "Cancel");
    EXPECT_EQ(text(control_id::message), "Reading your hardware and Windows settings. This takes a second.");
    EXPECT_EQ(focused_id(), control_id::secondary);
    ASSERT_EQ(initial_dpi(window), 96u);  // the test prefix runs at 96 DPI
    const SIZE size = client_size(window);
    EXPECT_EQ(size.cx, 520);
    EXPECT_EQ(size.cy, 434);
    const RECT cancel = client_rect_of(window, item(control_id::secondary));
    EXPECT_EQ(cancel.left, 372);  // the one button takes the rightmost place
    EXPECT_EQ(cancel.top, 330);
}

TEST_F(MainWindowTest, RelayoutPlacesControlsAndSizesTheWindowForTheStatesDpi)
{
    struct Case {
        std::uint32_t dpi;
        UiPhase phase;
        SIZE client;
        RECT button1, button2, value0, link_box;
    };
    const Case cases[] = {
        {96,
         open_countdown_phase(false, 3),
         {520, 434},
         {238, 330, 362, 366},
         {372, 330, 496, 366},
         {190, 63, 482, 95},
         {28, 336, 492, 356}},
        {96,
         open_failed_phase(false),
         {520, 480},
         {238, 376, 362, 412},
         {372, 376, 496, 412},
         {190, 63, 482, 95},
         {28, 336, 492, 356}},
        {120,
         open_countdown_phase(false, 3),
         {650, 538},
         {298, 409, 453, 454},
         {465, 409, 620, 454},
         {237, 78, 603, 118},
         {35, 416, 615, 441}},
        {144,
         open_failed_phase(true),
         {780, 720},
         {357, 564, 543, 618},
         {558, 564, 744, 618},
         {285, 94, 723, 143},
         {42, 504, 738, 534}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        {
            StateGuard state;
            ASSERT_TRUE(state);
            state->dpi = c.dpi;
            apply_phase(*state, c.phase);
        }
        // The frame Wine draws follows the window's real DPI, so the client
        // size is exact only there; the controls' places hold at any DPI.
        if (c.dpi == initial_dpi(window)) {
            const SIZE size = client_size(window);
            EXPECT_EQ(size.cx, c.client.cx);
            EXPECT_EQ(size.cy, c.client.cy);
        }
        RECT outer = {0, 0, c.client.cx, c.client.cy};
        AdjustWindowRectExForDpi(&outer, main_window_style, FALSE, 0, c.dpi);
        RECT now = {};
        GetWindowRect(window, &now);
        EXPECT_EQ(now.right - now.left, outer.right - outer.left);
        EXPECT_EQ(now.bottom - now.top, outer.bottom - outer.top);
        auto expect_rect = [&](int id, const RECT& want) {
            const RECT got = client_rect_of(window, item(id));
            EXPECT_EQ(got.left, want.left) << id;
            EXPECT_EQ(got.top, want.top) << id;
            EXPECT_EQ(got.right, want.right) << id;
            EXPECT_EQ(got.bottom, want.bottom) << id;
        };
        expect_rect(control_id::primary, c.button1);
        expect_rect(control_id::secondary, c.button2);
        expect_rect(control_id::first_value, c.value0);
        expect_rect(control_id::link_box, c.link_box);
    }
}

TEST_F(MainWindowTest, TheLinkBoxShowsTheStoredLinkAndGrowsTheWindowByItsBand)
{
    set_link("https://example.test/detect?src=app");
    set_phase(open_countdown_phase(false, 3));
    RECT before = {};
    GetWindowRect(window, &before);
    set_phase(open_failed_phase(false));
    RECT after = {};
    GetWindowRect(window, &after);
    EXPECT_TRUE(visible(control_id::link_box));
    EXPECT_EQ(text(control_id::link_box), "https://example.test/detect?src=app");
    EXPECT_EQ(after.bottom - after.top, before.bottom - before.top + 46);
    EXPECT_EQ(after.left, before.left);  // the window keeps its place
    EXPECT_EQ(after.top, before.top);
    EXPECT_EQ(text(control_id::primary), "Copy link");
    EXPECT_EQ(text(control_id::header), "Could not open your browser");

    set_phase(opened_phase(false, 3));  // hides the box and shrinks again
    EXPECT_FALSE(visible(control_id::link_box));
    RECT shrunk = {};
    GetWindowRect(window, &shrunk);
    EXPECT_EQ(shrunk.bottom - shrunk.top, before.bottom - before.top);
}

TEST_F(MainWindowTest, FocusStaysOnATickAndMovesToTheDefaultButtonOnANewState)
{
    set_phase(open_countdown_phase(false, 3));
    EXPECT_EQ(focused_id(), control_id::primary);  // a new state: button 1
    SetFocus(item(control_id::secondary));
    set_phase(open_countdown_phase(false, 2));  // a tick
    EXPECT_EQ(focused_id(), control_id::secondary);
    set_phase(not_opened_phase(false, 10));  // a new state
    EXPECT_EQ(focused_id(), control_id::primary);

    SetFocus(item(control_id::link_box));  // not a button: a tick moves it too
    set_phase(not_opened_phase(false, 9));
    EXPECT_EQ(focused_id(), control_id::primary);
}

TEST_F(MainWindowTest, AHiddenButtonKeepsItsOldCaption)
{
    set_phase(not_opened_phase(false, 10));
    EXPECT_EQ(text(control_id::secondary), "Close");
    set_phase(opened_phase(false, 3));
    EXPECT_FALSE(visible(control_id::secondary));
    EXPECT_EQ(text(control_id::secondary), "Close");
    EXPECT_EQ(text(control_id::primary), "Close");
    EXPECT_EQ(focused_id(), control_id::primary);
    const RECT close = client_rect_of(window, item(control_id::primary));
    EXPECT_EQ(close.left, 372);  // alone, button 1 takes the rightmost place
}
