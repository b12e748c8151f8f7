// The main window against real Win32 windows under Wine: the state slot, fonts
// and brushes, putting phases on the screen, the window procedure's handlers,
// the hand-off actions (with the shell replaced) and the dialog keys.
#include "gui/colors.h"
#include "gui/controls_win.h"
#include "gui/fonts_win.h"
#include "gui/hand_off_win.h"
#include "gui/layout.h"
#include "gui/theme_win.h"
#include "gui/window_ids.h"
#include "gui/window_state_win.h"
#include "gui/window_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "checks/scan_win.h"
#include "checks/wide_win.h"
#include "gui/title_bar_win.h"
#include "gui/ui_thread_win.h"
#include "link/report_link.h"

using namespace qd::checks;
using namespace qd::gui;
using namespace qd::link;

namespace {

// ---- Helpers --------------------------------------------------------------

std::string text_of(HWND control)
{
    wchar_t buffer[1024] = {};
    GetWindowTextW(control, buffer, 1024);
    return from_wide(buffer, 1024);
}

LONG_PTR role_of(HWND control) { return GetWindowLongPtrW(control, GWLP_USERDATA); }

std::string u8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

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

// Handles what is queued and drops WM_QUIT. Paint messages must be dispatched:
// a peek alone leaves the region invalid and WM_PAINT comes back for ever.
void drain_queue()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    }
}

LOGFONTW font_info(HFONT font)
{
    LOGFONTW info = {};
    EXPECT_EQ(GetObjectW(font, sizeof(info), &info), static_cast<int>(sizeof(info)));
    return info;
}

bool gdi_object_alive(HGDIOBJ object) { return GetObjectType(object) != 0; }

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

// The shell's stand-in: records each call and answers with a set result. A
// test can also have it do something to the window while "the shell" runs.
struct FakeShell {
    std::intptr_t result = 42;
    std::vector<std::string> links;
    void (*during_call)() = nullptr;
};
FakeShell* fake_shell = nullptr;

std::intptr_t fake_shell_open(std::string_view link)
{
    fake_shell->links.emplace_back(link);
    if (fake_shell->during_call != nullptr) fake_shell->during_call();
    return fake_shell->result;
}

// DwmSetWindowAttribute's stand-in: records each attribute with its value.
struct AttributeCall {
    HWND window;
    DWORD attribute;
    DWORD size;
    DWORD value;  // the first four bytes
    bool operator==(const AttributeCall&) const = default;
};
std::vector<AttributeCall>* attribute_calls = nullptr;

HRESULT WINAPI record_attribute(HWND window, DWORD attribute, LPCVOID value, DWORD size)
{
    DWORD first = 0;
    if (value != nullptr && size >= sizeof(first)) std::memcpy(&first, value, sizeof(first));
    attribute_calls->push_back(AttributeCall{window, attribute, size, first});
    return S_OK;
}

using UniqueBitmap = Owned<GdiTraits<HBITMAP>>;

// The width and height of an icon's image; 0 x 0 when it is no icon.
SIZE icon_size(HICON icon)
{
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return SIZE{0, 0};
    const UniqueBitmap mask(info.hbmMask);
    const UniqueBitmap color(info.hbmColor);
    BITMAP bitmap = {};
    if (GetObjectW(color ? color.get() : mask.get(), sizeof(bitmap), &bitmap) == 0) return SIZE{0, 0};
    return SIZE{bitmap.bmWidth, color ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

// ---- Fixture: the real main window with its controls and state -------------

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        static const ATOM registered = register_main_window_class(GetModuleHandleW(nullptr));
        ASSERT_NE(registered, 0);
        attribute_calls = &title_bar_calls;
        set_window_attribute_call(record_attribute);
        window = create_main_window(GetModuleHandleW(nullptr), Rect{0, 0, 1024, 768});
        ASSERT_NE(window, nullptr);
        put_window_state(make_window_state(window, initial_dpi(window)));
        {
            StateGuard state;
            ASSERT_TRUE(state);
            apply_phase(*state, scanning_phase());
        }
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
        focus_default_button(window);
        fake_shell = &shell;
        StateGuard state;
        ASSERT_TRUE(state);
        state->browser_open = fake_shell_open;
    }
    void TearDown() override
    {
        set_window_attribute_call(nullptr);
        attribute_calls = nullptr;
        fake_shell = nullptr;
        if (IsWindow(window)) DestroyWindow(window);
        take_out_window_state();
        drain_queue();  // the WM_QUIT of the destroyed window
    }

    HWND item(int id) const { return GetDlgItem(window, id); }
    std::string text(int id) const { return text_of(item(id)); }
    bool visible(int id) const { return IsWindowVisible(item(id)) != FALSE; }
    int focused_id() const { return GetDlgCtrlID(GetFocus()); }

    UiPhase phase() const
    {
        StateGuard state;
        EXPECT_TRUE(state);
        return state ? state->phase : UiPhase{};
    }
    void set_phase(const UiPhase& phase)
    {
        StateGuard state;
        ASSERT_TRUE(state);
        apply_phase(*state, phase);
    }
    void set_link(const std::string& link)
    {
        StateGuard state;
        ASSERT_TRUE(state);
        state->link = link;
    }
    void send_row(RowMessage row)
    {
        SendMessageW(window, wm_scan_row, 0, reinterpret_cast<LPARAM>(new RowMessage(std::move(row))));
    }
    void click(int id) { SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
    void tick(WPARAM id = 1) { SendMessageW(window, WM_TIMER, id, 0); }
    void escape() { SendMessageW(window, wm_escape_key, 0, 0); }

    HWND window = nullptr;
    FakeShell shell;
    std::vector<AttributeCall> title_bar_calls;  // made while the window was created
};

}  // namespace

// ---- State slot -------------------------------------------------------------

TEST(StateSlot, TakeIsExclusiveNeverWaitsAndRefusesAnEmptySlot)
{
    {
        StateGuard none;
        EXPECT_FALSE(none);  // nothing put in yet
    }
    auto owned = std::make_unique<WindowState>();
    WindowState* const raw = owned.get();
    put_window_state(std::move(owned));
    {
        StateGuard outer;
        ASSERT_TRUE(outer);
        EXPECT_EQ(&*outer, raw);
        {
            StateGuard nested;
            EXPECT_FALSE(nested);  // refused at once, not waited for
        }
        EXPECT_EQ(take_out_window_state(), nullptr);        // not while in use
        put_window_state(std::make_unique<WindowState>());  // nor replaced under the holder
        EXPECT_EQ(&*outer, raw);
        outer.release();
        StateGuard again;  // the early release gave the slot back
        EXPECT_TRUE(again);
        EXPECT_EQ(&*again, raw);
    }
    {
        StateGuard after;  // the nested refusal did not free the slot on its way out
        EXPECT_TRUE(after);
    }
    std::unique_ptr<WindowState> out = take_out_window_state();
    EXPECT_EQ(out.get(), raw);
    StateGuard empty_again;
    EXPECT_FALSE(empty_again);
}

// ---- Fonts and brushes ------------------------------------------------------

TEST(FontSet, HeightsWeightsAndFaceAtEachDpi)
{
    struct Case {
        std::uint32_t dpi;
        int title, body, strong, small;
    };
    const Case cases[] = {
        {96, -20, -14, -14, -12}, {120, -25, -17, -17, -15}, {144, -30, -21, -21, -18}, {192, -40, -28, -28, -24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const FontSet fonts = create_font_set(c.dpi);
        const LOGFONTW title = font_info(fonts.title_font.get());
        const LOGFONTW body = font_info(fonts.body_font.get());
        const LOGFONTW strong = font_info(fonts.strong_font.get());
        const LOGFONTW small = font_info(fonts.small_font.get());
        EXPECT_EQ(title.lfHeight, c.title);
        EXPECT_EQ(body.lfHeight, c.body);
        EXPECT_EQ(strong.lfHeight, c.strong);
        EXPECT_EQ(small.lfHeight, c.small);
        EXPECT_EQ(title.lfWeight, 600);
        EXPECT_EQ(body.lfWeight, 400);
        EXPECT_EQ(strong.lfWeight, 600);
        EXPECT_EQ(small.lfWeight, 400);
        EXPECT_EQ(std::wstring(body.lfFaceName), L"Segoe UI");
        EXPECT_EQ(body.lfQuality, CLEARTYPE_QUALITY);
        EXPECT_EQ(body.lfCharSet, DEFAULT_CHARSET);
    }
}

TEST(FontSet, FontsAreDeletedByTheSetAndAMoveHandsThemOver)
{
    HGDIOBJ made[4];
    {
        const FontSet fonts = create_font_set(96);
        made[0] = fonts.title_font.get();
        made[1] = fonts.body_font.get();
        made[2] = fonts.strong_font.get();
        made[3] = fonts.small_font.get();
        for (HGDIOBJ f : made) EXPECT_TRUE(gdi_object_alive(f));
    }
    for (HGDIOBJ f : made) EXPECT_FALSE(gdi_object_alive(f));

    FontSet fonts = create_font_set(120);
    HGDIOBJ body = fonts.body_font.get();
    {
        const FontSet moved = std::move(fonts);  // a move hands the fonts over, deleting nothing
        EXPECT_TRUE(gdi_object_alive(body));
        EXPECT_FALSE(fonts.body_font);
    }
    EXPECT_FALSE(gdi_object_alive(body));
}

TEST(BrushSet, ThreeBrushesOfThePaletteMadeOnceAndKept)
{
    HBRUSH card = card_brush();  // asking for one makes all three
    HBRUSH window = window_brush();
    HBRUSH line = line_brush();
    struct Case {
        HBRUSH brush;
        HBRUSH again;
        COLORREF colour;
    };
    const Case cases[] = {{window, window_brush(), RGB(28, 28, 28)},
                          {card, card_brush(), RGB(38, 38, 38)},
                          {line, line_brush(), RGB(48, 48, 48)},
                          {separator_brush(), separator_brush(), RGB(48, 48, 48)}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.brush, c.again);
        LOGBRUSH info = {};
        ASSERT_EQ(GetObjectW(c.brush, sizeof(info), &info), static_cast<int>(sizeof(info)));
        EXPECT_EQ(info.lbStyle, static_cast<UINT>(BS_SOLID));
        EXPECT_EQ(info.lbColor, c.colour);
    }
    EXPECT_NE(window, card);
    EXPECT_NE(card, line);
    // Another thread gets brushes of its own: the set belongs to its thread.
    HBRUSH other = nullptr;
    std::thread([&] { other = window_brush(); }).join();
    EXPECT_NE(other, window);
}

TEST_F(MainWindowTest, ApplyFontsGivesEachControlItsFontAndTheLinkBoxItsMargins)
{
    struct Case {
        std::uint32_t dpi;
        int margin;
    };
    for (const Case c : {Case{96, 8}, Case{120, 10}, Case{144, 12}}) {
        SCOPED_TRACE(c.dpi);
        const FontSet fonts = create_font_set(c.dpi);
        apply_fonts(window, fonts, c.dpi);
        auto font_of = [&](int id) { return reinterpret_cast<HFONT>(SendMessageW(item(id), WM_GETFONT, 0, 0)); };
        EXPECT_EQ(font_of(control_id::header), fonts.title_font.get());
        for (int row = 0; row < row_count; ++row) {
            EXPECT_EQ(font_of(control_id::first_label + row), fonts.body_font.get());
            EXPECT_EQ(font_of(control_id::first_value + row), fonts.strong_font.get());
        }
        EXPECT_EQ(font_of(control_id::message), fonts.body_font.get());
        EXPECT_EQ(font_of(control_id::link_box), fonts.body_font.get());
        EXPECT_EQ(font_of(control_id::footnote), fonts.small_font.get());
        EXPECT_EQ(font_of(control_id::primary), fonts.strong_font.get());
        EXPECT_EQ(font_of(control_id::secondary), fonts.strong_font.get());
        const LRESULT margins = SendMessageW(item(control_id::link_box), EM_GETMARGINS, 0, 0);
        EXPECT_EQ(LOWORD(margins), c.margin);
        EXPECT_EQ(HIWORD(margins), c.margin);
        StateGuard state;  // the state's own fonts go back before this set is deleted
        apply_fonts(window, state->fonts, state->dpi);
    }
}

// ---- Creation and applying phases -----------------------------------------------

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
    // Eighteen children, no more.
    int children = 0;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) ++children;
    EXPECT_EQ(children, 18);
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

// ---- Window procedure -----------------------------------------------------------

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
        {{ProcessorRow{"Acme(R) Core 8-Core"}}, control_id::first_value + 0, "Acme(R) Core 8-Core", 4},
        {{GraphicsRow{}}, control_id::first_value + 1, "not found", 5},
        {{MemoryRow{16}}, control_id::first_value + 2, "16 GB", 4},
        {{DisplayRow{DisplaySize{1920, 1080}, 144}}, control_id::first_value + 3, u8(u8"1920 \u00D7 1080 @ 144 Hz"), 4},
        {{StorageRow{"hdd"}}, control_id::first_value + 4, "Hard drive (HDD)", 4},
        {{SettingsRow{none}}, control_id::first_value + 5, "not found", 5},
        {{SettingsRow{two}}, control_id::first_value + 5, "2 checked",
         4},  // a second message for a row replaces the first
        {{DisplayRow{}}, control_id::first_value + 3, "not found", 5},
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
        send_row({MemoryRow{32}});
    }
    EXPECT_EQ(text(control_id::first_value + 2), u8(u8"\u2026"));
    EXPECT_EQ(role_of(item(control_id::first_value + 2)), static_cast<LONG_PTR>(ColorRole::ValuePending));
    StateGuard state;
    EXPECT_FALSE(state->report.memory_gb);
}

TEST_F(MainWindowTest, ScanFinishedStartsTheCountdownAndTheTimerDrivesIt)
{
    send_row({StorageRow{"ssd"}});  // storage and settings do not count as hardware
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
    send_row({ProcessorRow{"Acme CPU"}});
    send_row({MemoryRow{8}});
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

TEST_F(MainWindowTest, ControlColoursFollowTheColorRole)
{
    struct Case {
        LONG_PTR role;
        COLORREF text, background;
        HBRUSH brush;
    };
    const COLORREF text_c = RGB(241, 241, 239), muted = RGB(166, 167, 162);
    const COLORREF window_c = RGB(28, 28, 28), card = RGB(38, 38, 38), line = RGB(48, 48, 48);
    const Case cases[] = {
        {0, text_c, window_c, window_brush()},  {1, muted, window_c, window_brush()},
        {2, muted, card, card_brush()},         {3, muted, card, card_brush()},
        {4, text_c, card, card_brush()},        {5, muted, card, card_brush()},
        {6, text_c, line, line_brush()},        {7, text_c, window_c, window_brush()},
        {-1, text_c, window_c, window_brush()},
    };
    HWND control = item(control_id::message);
    HDC dc = GetDC(control);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.role);
        SetWindowLongPtrW(control, GWLP_USERDATA, c.role);
        const LRESULT brush =
            SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), c.brush);
        EXPECT_EQ(GetTextColor(dc), c.text);
        EXPECT_EQ(GetBkColor(dc), c.background);
    }
    SetTextColor(dc, RGB(1, 2, 3));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(SendMessageW(window, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                                    reinterpret_cast<LPARAM>(item(control_id::primary)))),
              window_brush());
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));  // the button answer sets no colours
    ReleaseDC(control, dc);
}

namespace {
// Draws one button item into a 124 x 36 bitmap and reads pixels back.
struct ButtonPicture {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    ButtonPicture()
    {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, 124, 36);
        ReleaseDC(nullptr, screen);
        previous = SelectObject(dc, bitmap);
    }
    ~ButtonPicture()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    LRESULT draw(HWND window, HWND button, UINT type, UINT id, UINT state)
    {
        RECT all = {0, 0, 124, 36};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DRAWITEMSTRUCT item = {};
        item.CtlType = type;
        item.CtlID = id;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = button;
        item.hDC = dc;
        item.rcItem = all;
        return SendMessageW(window, WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&item));
    }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
};
}  // namespace

TEST_F(MainWindowTest, OwnerDrawnButtonsTakeThePaletteAndShowPressAndFocus)
{
    struct Case {
        UINT id;
        UINT state;
        COLORREF fill;
    };
    const Case cases[] = {
        {control_id::primary, 0, RGB(159, 211, 138)},
        {control_id::primary, ODS_SELECTED, RGB(183, 227, 164)},
        {control_id::secondary, 0, RGB(48, 48, 48)},
        {control_id::secondary, ODS_SELECTED, RGB(58, 58, 58)},
    };
    set_phase(open_countdown_phase(false, 3));
    ButtonPicture picture;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id * 10 + c.state);
        EXPECT_EQ(picture.draw(window, item(static_cast<int>(c.id)), ODT_BUTTON, c.id, c.state), TRUE);
        EXPECT_EQ(picture.at(8, 18), c.fill);             // inside the body, left of the caption
        EXPECT_EQ(picture.at(0, 0), RGB(28, 28, 28));     // the corner shows the window colour
        EXPECT_EQ(picture.at(2, 18), RGB(28, 28, 28));    // no ring without the focus
        EXPECT_EQ(picture.at(121, 18), RGB(28, 28, 28));  // the body stops 3 short of the right edge
    }
    EXPECT_EQ(picture.draw(window, item(control_id::primary), ODT_BUTTON, control_id::primary, ODS_FOCUS), TRUE);
    EXPECT_EQ(picture.at(1, 18), RGB(241, 241, 239));  // the focus ring, inset by 1
    EXPECT_EQ(picture.at(8, 18), RGB(159, 211, 138));

    // Anything but a button is left alone.
    EXPECT_EQ(picture.draw(window, item(control_id::header), ODT_STATIC, control_id::header, 0), FALSE);
    EXPECT_EQ(picture.at(8, 18), RGB(255, 255, 255));
}

// ---- High Contrast ------------------------------------------------------------

namespace {

bool high_contrast_answer = false;
bool answer_high_contrast() { return high_contrast_answer; }

// Puts the test's answer in place of the system's High Contrast setting, for
// the life of the guard; the thread's colours are chosen again on the way out.
struct HighContrastSeam {
    explicit HighContrastSeam(bool on)
    {
        high_contrast_answer = on;
        set_high_contrast_query(answer_high_contrast);
    }
    HighContrastSeam(const HighContrastSeam&) = delete;
    HighContrastSeam& operator=(const HighContrastSeam&) = delete;
    ~HighContrastSeam()
    {
        set_high_contrast_query(nullptr);
        follow_theme();
    }
};

COLORREF brush_colour(HBRUSH brush)
{
    LOGBRUSH info = {};
    return GetObjectW(brush, sizeof(info), &info) == static_cast<int>(sizeof(info)) ? info.lbColor : CLR_INVALID;
}

bool has_update_region(HWND window)
{
    RECT r = {};
    return GetUpdateRect(window, &r, FALSE) != FALSE;
}

// The screen as the window painted it, at a client point.
COLORREF painted_pixel(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

}  // namespace

TEST_F(MainWindowTest, ThemeChangesSwitchToTheSystemColoursAndBackFreeingTheOldBrushes)
{
    // Wine's own system colours, which share none of the palette's.
    const COLORREF sys_window = GetSysColor(COLOR_WINDOW), sys_text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF sys_gray = GetSysColor(COLOR_GRAYTEXT);
    ASSERT_NE(sys_window, palette::window);

    const LayoutMetrics m = layout_metrics(96, false);
    const int mid_row = m.card_rect.top + m.row_height / 2;
    struct Message {
        UINT message;
        WPARAM wparam;
        const wchar_t* area;
    };
    const Message changes[] = {
        {WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, nullptr},
        {WM_SETTINGCHANGE, 0, L"WindowsThemeElement"},
        {WM_SYSCOLORCHANGE, 0, nullptr},
    };
    HighContrastSeam seam(false);
    for (const Message& change : changes) {
        SCOPED_TRACE(change.message * 100 + change.wparam);
        for (const bool on : {true, false}) {
            SCOPED_TRACE(on ? "on" : "off");
            UpdateWindow(window);
            ASSERT_FALSE(has_update_region(window));
            const HBRUSH old_window = window_brush(), old_card = card_brush(), old_line = line_brush();
            const HBRUSH old_separator = separator_brush();
            title_bar_calls.clear();
            high_contrast_answer = on;
            SendMessageW(window, change.message, change.wparam, reinterpret_cast<LPARAM>(change.area));

            for (HBRUSH old : {old_window, old_card, old_line, old_separator}) EXPECT_FALSE(gdi_object_alive(old));
            EXPECT_EQ(brush_colour(window_brush()), on ? sys_window : palette::window);
            EXPECT_EQ(brush_colour(card_brush()), on ? sys_window : palette::card);
            EXPECT_EQ(brush_colour(line_brush()), on ? sys_window : palette::line);
            EXPECT_EQ(brush_colour(separator_brush()), on ? sys_text : palette::line);

            // The window and every control are to paint again, and the title bar follows.
            EXPECT_TRUE(has_update_region(window));
            EXPECT_TRUE(has_update_region(item(control_id::header)));
            EXPECT_TRUE(has_update_region(item(control_id::first_value + 5)));
            const std::vector<AttributeCall> title_bar = {
                {window, 20, 4, on ? 0u : 1u},
                {window, 35, 4, on ? 0xFFFFFFFF : palette::window},  // the system's own colour, or the palette's
                {window, 36, 4, on ? 0xFFFFFFFF : palette::text},
            };
            EXPECT_EQ(title_bar_calls, title_bar);

            // What the controls are told, and what the window paints.
            HWND value = item(control_id::first_value);  // still pending
            HDC dc = GetDC(value);
            const LRESULT brush =
                SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(value));
            EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), card_brush());
            EXPECT_EQ(GetTextColor(dc), on ? sys_gray : palette::muted);
            EXPECT_EQ(GetBkColor(dc), on ? sys_window : palette::card);
            ReleaseDC(value, dc);
            UpdateWindow(window);
            EXPECT_EQ(painted_pixel(window, m.margin / 2, mid_row), on ? sys_window : palette::window);
            EXPECT_EQ(painted_pixel(window, m.card_rect.left, mid_row), on ? sys_text : palette::card);  // outline
            EXPECT_EQ(painted_pixel(window, m.card_rect.left + 3, mid_row), on ? sys_window : palette::card);
            EXPECT_EQ(painted_pixel(window, m.card_rect.left + 20, m.card_rect.top + m.row_height),
                      on ? sys_text : palette::line);  // a separator
        }
    }

    // Other settings leave the colours alone.
    const HBRUSH kept = window_brush();
    high_contrast_answer = true;
    title_bar_calls.clear();
    for (const Message& other : {Message{WM_SETTINGCHANGE, SPI_SETWORKAREA, nullptr},
                                 Message{WM_SETTINGCHANGE, 0, L"Environment"}, Message{WM_SETTINGCHANGE, 0, L"intl"}}) {
        SendMessageW(window, other.message, other.wparam, reinterpret_cast<LPARAM>(other.area));
        EXPECT_EQ(window_brush(), kept);
    }
    EXPECT_TRUE(title_bar_calls.empty());
}

TEST_F(MainWindowTest, InHighContrastButtonsTakeTheSystemColoursOutlinedAndInvertWhenPressed)
{
    const HighContrastSeam seam(true);
    follow_theme();
    const COLORREF face = GetSysColor(COLOR_BTNFACE), face_text = GetSysColor(COLOR_BTNTEXT);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), highlight_text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    const COLORREF back = GetSysColor(COLOR_WINDOW);
    struct Case {
        UINT id;
        UINT state;
        COLORREF fill, outline;
    };
    const Case cases[] = {
        {control_id::primary, 0, highlight, highlight},
        {control_id::primary, ODS_SELECTED, highlight_text, highlight},
        {control_id::secondary, 0, face, face_text},
        {control_id::secondary, ODS_SELECTED, face_text, face_text},
    };
    set_phase(open_countdown_phase(false, 3));
    ButtonPicture picture;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id * 10 + c.state);
        EXPECT_EQ(picture.draw(window, item(static_cast<int>(c.id)), ODT_BUTTON, c.id, c.state), TRUE);
        EXPECT_EQ(picture.at(8, 18), c.fill);
        EXPECT_EQ(picture.at(4, 18), c.outline);  // the body's left edge
        EXPECT_EQ(picture.at(0, 0), back);
        EXPECT_EQ(picture.at(121, 18), back);
    }
    EXPECT_EQ(picture.draw(window, item(control_id::secondary), ODT_BUTTON, control_id::secondary, ODS_FOCUS), TRUE);
    EXPECT_EQ(picture.at(1, 18), GetSysColor(COLOR_WINDOWTEXT));  // the focus ring
}

TEST_F(MainWindowTest, AWindowMadeInHighContrastAsksForNoDarkTitleBar)
{
    const HighContrastSeam seam(true);
    follow_theme();
    title_bar_calls.clear();
    HWND second = create_main_window(GetModuleHandleW(nullptr), Rect{0, 0, 1024, 768});
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(title_bar_calls.empty());
    DestroyWindow(second);
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

TEST_F(MainWindowTest, TheWindowAsksForADarkTitleBarInThePalettesColours)
{
    const std::vector<AttributeCall> expected = {
        {window, 20, 4, TRUE},             // DWMWA_USE_IMMERSIVE_DARK_MODE
        {window, 35, 4, palette::window},  // DWMWA_CAPTION_COLOR
        {window, 36, 4, palette::text},    // DWMWA_TEXT_COLOR
    };
    EXPECT_EQ(title_bar_calls, expected);
}

TEST_F(MainWindowTest, WindowAndTaskbarIconsHaveTheSizesOfTheDpiAndFollowADpiChange)
{
    auto icon = [&](WPARAM kind) { return reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, kind, 0)); };
    auto expect_sizes = [&](std::uint32_t dpi) {
        SCOPED_TRACE(dpi);
        const int small_size = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
        const int big_size = GetSystemMetricsForDpi(SM_CXICON, dpi);
        ASSERT_LT(small_size, big_size);
        const SIZE small_icon = icon_size(icon(ICON_SMALL));
        const SIZE big_icon = icon_size(icon(ICON_BIG));
        EXPECT_EQ(small_icon.cx, small_size);
        EXPECT_EQ(small_icon.cy, small_size);
        EXPECT_EQ(big_icon.cx, big_size);
        EXPECT_EQ(big_icon.cy, big_size);
    };
    std::uint32_t first_dpi = 0;
    {
        StateGuard state;
        ASSERT_TRUE(state);
        first_dpi = state->dpi;
    }
    expect_sizes(first_dpi);
    const HICON old_small = icon(ICON_SMALL);
    const HICON old_big = icon(ICON_BIG);

    const std::uint32_t new_dpi = first_dpi == 144 ? 192 : 144;
    RECT suggested = {0, 0, 900, 900};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(new_dpi, new_dpi), reinterpret_cast<LPARAM>(&suggested));
    expect_sizes(new_dpi);
    EXPECT_EQ(icon_size(old_small).cx, 0);  // the replaced icons are destroyed
    EXPECT_EQ(icon_size(old_big).cx, 0);
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

// ---- The user-interface thread: its COM apartment and its wait for the worker

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
