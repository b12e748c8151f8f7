// What a screen reader gets from the real window under Wine: the live regions
// marked through the annotation service (a recorder in its place), the
// live-region events with the text each carries when raised, every row said
// once, the window waiting for the user while a screen reader runs (the query
// answered by the test), and the names oleacc reads from the controls.
#include "gui/announce_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "checks/scan_win.h"
#include "checks/system_dll_win.h"
#include "checks/wide_win.h"
#include "gui/controls_win.h"
#include "gui/window_ids.h"
#include "gui/window_state_win.h"
#include "link/report_link.h"

using namespace qd::checks;
using namespace qd::gui;

namespace {

std::string text_of(HWND control)
{
    wchar_t buffer[512] = {};
    GetWindowTextW(control, buffer, 512);
    return from_wide(buffer, 512);
}

std::string opened_text() { return "Opened " + std::string(qd::link::site_host()) + " \xE2\x80\x94 your rig is ready."; }

// ---- The annotation service's stand-in -----------------------------------------

struct PropCall {
    HWND control;
    DWORD object;
    DWORD child;
    GUID property;
    VARTYPE type;
    LONG value;
};

// Records SetHwndProp; every other method is refused. Counts its references,
// so a test sees the window state let go of it.
struct PropRecorder : IAccPropServices {
    std::vector<PropCall> calls;
    ULONG references = 0;

    HRESULT WINAPI QueryInterface(REFIID iid, void** out) override
    {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != iid_acc_prop_services) return E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    ULONG WINAPI AddRef() override { return ++references; }
    ULONG WINAPI Release() override { return --references; }
    HRESULT WINAPI SetHwndProp(HWND hwnd, DWORD object, DWORD child, MSAAPROPID property, VARIANT value) override
    {
        calls.push_back({hwnd, object, child, property, value.vt, value.lVal});
        return S_OK;
    }
    HRESULT WINAPI SetPropValue(const BYTE*, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    HRESULT WINAPI SetPropServer(const BYTE*, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearProps(const BYTE*, DWORD, const MSAAPROPID*, int) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHwndPropStr(HWND, DWORD, DWORD, MSAAPROPID, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHwndPropServer(HWND, DWORD, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearHwndProps(HWND, DWORD, DWORD, const MSAAPROPID*, int) override { return E_NOTIMPL; }
    HRESULT WINAPI ComposeHwndIdentityString(HWND, DWORD, DWORD, BYTE**, DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI DecomposeHwndIdentityString(const BYTE*, DWORD, HWND*, DWORD*, DWORD*) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI SetHmenuProp(HMENU, DWORD, MSAAPROPID, VARIANT) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropStr(HMENU, DWORD, MSAAPROPID, LPCWSTR) override { return E_NOTIMPL; }
    HRESULT WINAPI SetHmenuPropServer(HMENU, DWORD, const MSAAPROPID*, int, IAccPropServer*, AnnoScope) override
    {
        return E_NOTIMPL;
    }
    HRESULT WINAPI ClearHmenuProps(HMENU, DWORD, const MSAAPROPID*, int) override { return E_NOTIMPL; }
    HRESULT WINAPI ComposeHmenuIdentityString(HMENU, DWORD, BYTE**, DWORD*) override { return E_NOTIMPL; }
    HRESULT WINAPI DecomposeHmenuIdentityString(const BYTE*, DWORD, HMENU*, DWORD*) override { return E_NOTIMPL; }
};

PropRecorder* recorder = nullptr;  // what the source hands out; null: no service
IAccPropServices* recorder_source()
{
    if (recorder == nullptr) return nullptr;
    recorder->AddRef();
    return recorder;
}

// ---- Live-region events, as raised ----------------------------------------------

struct LiveEvent {
    int id;
    std::string text;  // the control's text when the event was raised
    LONG object;
    LONG child;
    bool operator==(const LiveEvent&) const = default;
};
std::vector<LiveEvent>* live_events = nullptr;

// In-context, in this process: called inside NotifyWinEvent, so the text is
// the one the event was raised for.
void CALLBACK record_live_event(HWINEVENTHOOK, DWORD, HWND control, LONG object, LONG child, DWORD, DWORD)
{
    if (live_events != nullptr) live_events->push_back({GetDlgCtrlID(control), text_of(control), object, child});
}

LiveEvent live(int id, std::string text) { return {id, std::move(text), OBJID_CLIENT, CHILDID_SELF}; }

// ---- The screen reader's stand-in and the shell's --------------------------------

bool screen_reader_answer = false;
bool answer_screen_reader() { return screen_reader_answer; }

std::vector<std::string>* opened_links = nullptr;
std::intptr_t record_open(std::string_view link)
{
    opened_links->emplace_back(link);
    return 42;
}

// ---- Fixture: the real window with the service, query and shell replaced ---------

class AnnounceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Another fixture of this program may have registered the class for good.
        registered_here = register_main_window_class(GetModuleHandleW(nullptr)) != 0;
        recorder = &services;
        set_prop_services_source(recorder_source);
        screen_reader_answer = false;
        set_screen_reader_query(answer_screen_reader);
        live_events = &events;
        opened_links = &links;
        hook = SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED,
                               GetModuleHandleW(nullptr), record_live_event, GetCurrentProcessId(),
                               GetCurrentThreadId(), WINEVENT_INCONTEXT);
        ASSERT_NE(hook, nullptr);
        window = create_main_window(GetModuleHandleW(nullptr), Rect{0, 0, 1024, 768});
        ASSERT_NE(window, nullptr);
        put_window_state(make_window_state(window, initial_dpi(window)));
        {
            StateGuard state;
            ASSERT_TRUE(state);
            state->browser_open = record_open;
            apply_phase(*state, scanning_phase());
        }
        ShowWindow(window, SW_SHOWNORMAL);
        SetForegroundWindow(window);
        focus_default_button(window);
        events.clear();
    }
    void TearDown() override
    {
        if (IsWindow(window)) DestroyWindow(window);
        take_out_window_state();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) DispatchMessageW(&msg);
        }
        if (hook != nullptr) UnhookWinEvent(hook);
        live_events = nullptr;
        opened_links = nullptr;
        set_screen_reader_query(nullptr);
        set_prop_services_source(nullptr);
        recorder = nullptr;
        if (registered_here) UnregisterClassW(main_window_class, GetModuleHandleW(nullptr));
    }

    HWND item(int id) const { return GetDlgItem(window, id); }
    std::string text(int id) const { return text_of(item(id)); }
    int focused_id() const { return GetDlgCtrlID(GetFocus()); }
    UiPhase phase() const
    {
        StateGuard state;
        return state ? state->phase : UiPhase{};
    }
    void set_phase(const UiPhase& phase)
    {
        StateGuard state;
        ASSERT_TRUE(state);
        apply_phase(*state, phase);
    }
    void send_row(RowPayload payload)
    {
        SendMessageW(window, wm_scan_row, 0, reinterpret_cast<LPARAM>(new RowMessage{std::move(payload)}));
    }
    void scan_finished() { SendMessageW(window, wm_scan_finished, 0, 0); }
    void tick() { SendMessageW(window, WM_TIMER, countdown_timer, 0); }
    void screen_reader_switched(bool on)
    {
        screen_reader_answer = on;
        SendMessageW(window, WM_SETTINGCHANGE, SPI_SETSCREENREADER, 0);
    }
    // Whether the countdown timer was running; it is stopped by asking.
    bool timer_was_running() const { return KillTimer(window, countdown_timer) != FALSE; }

    HWND window = nullptr;
    bool registered_here = false;
    HWINEVENTHOOK hook = nullptr;
    PropRecorder services;
    std::vector<LiveEvent> events;
    std::vector<std::string> links;
};

}  // namespace

// ---- Live regions ---------------------------------------------------------------

TEST_F(AnnounceTest, HeaderMessageAndAnnouncerAreMarkedPoliteAndTheStateKeepsTheService)
{
    ASSERT_EQ(services.calls.size(), 3u);
    const int ids[] = {control_id::header, control_id::message, control_id::announcer};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(ids[i]);
        const PropCall& call = services.calls[i];
        EXPECT_EQ(call.control, item(ids[i]));
        EXPECT_EQ(call.object, static_cast<DWORD>(OBJID_CLIENT));
        EXPECT_EQ(call.child, static_cast<DWORD>(CHILDID_SELF));
        EXPECT_TRUE(IsEqualGUID(call.property, live_setting_property));
        EXPECT_EQ(call.type, VT_I4);
        EXPECT_EQ(call.value, 1);  // Polite
    }
    // LiveSetting is UI Automation's: {C12BCD8E-2A8E-4950-8AE7-3625111D58EB}.
    EXPECT_EQ(live_setting_property.Data1, 0xc12bcd8eu);
    EXPECT_EQ(live_setting_property.Data4[7], 0xeb);

    // The window state holds the one reference until it is released.
    EXPECT_EQ(services.references, 1u);
    take_out_window_state();
    EXPECT_EQ(services.references, 0u);
}

TEST_F(AnnounceTest, WithoutTheServiceNothingIsMarkedAndTheWindowWorksAsBefore)
{
    recorder = nullptr;  // the source finds no service
    services.calls.clear();
    EXPECT_FALSE(mark_live_regions(window));
    EXPECT_TRUE(services.calls.empty());
    set_phase(open_countdown_phase(false, 3));
    EXPECT_EQ(text(control_id::message), "Opening Quellix in your browser in 3\xE2\x80\xA6");
}

// The system's service: COM finds the class (oleacc.dll, from System32) once COM is
// initialised. Wine's answers E_NOTIMPL to SetHwndProp, which the window ignores.
TEST_F(AnnounceTest, TheSystemsServiceIsFoundThroughCom)
{
    set_prop_services_source(nullptr);
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        const ComPtr<IAccPropServices> system = mark_live_regions(window);
        EXPECT_TRUE(system);
    }
    CoUninitialize();
}

TEST_F(AnnounceTest, EachChangeOfTheHeaderOrMessageRaisesOneEventWithTheNewText)
{
    const std::string ellipsis = "\xE2\x80\xA6";
    set_phase(open_countdown_phase(false, 3));
    set_phase(open_countdown_phase(false, 2));
    set_phase(open_countdown_phase(false, 2));  // the same texts again: nothing new to say
    set_phase(opened_phase(false, 3));
    const std::vector<LiveEvent> expected = {
        live(control_id::header, "Scan complete"),
        live(control_id::message, "Opening Quellix in your browser in 3" + ellipsis),
        live(control_id::message, "Opening Quellix in your browser in 2" + ellipsis),
        // The header stays "Scan complete": no event for it.
        live(control_id::message, opened_text() + " Closing in 3" + ellipsis),
    };
    EXPECT_EQ(events, expected);
}

TEST_F(AnnounceTest, EachRowIsSaidOnceLabelAndValueTogether)
{
    send_row(ProcessorRow{"Acme 8-Core"});
    send_row(GraphicsRow{"NVIDIA GeForce RTX 4070"});
    send_row(MemoryRow{16});
    send_row(DisplayRow{DisplaySize{1920, 1080}, 144});
    send_row(StorageRow{});
    send_row(SettingsRow{});
    const std::vector<LiveEvent> expected = {
        live(control_id::announcer, "Processor: Acme 8-Core"),
        live(control_id::announcer, "Graphics card: NVIDIA GeForce RTX 4070"),
        live(control_id::announcer, "Memory: 16 GB"),
        live(control_id::announcer, "Display: 1920 \xC3\x97 1080 @ 144 Hz"),
        live(control_id::announcer, "Storage: not found"),
        live(control_id::announcer, "Windows settings: not found"),
    };
    EXPECT_EQ(events, expected);

    // The announcer is never seen and never takes the focus: no size, no tab
    // stop, and Tab still goes from button to button.
    HWND announcer = item(control_id::announcer);
    RECT r = {};
    GetWindowRect(announcer, &r);
    EXPECT_EQ(r.right - r.left, 0);
    EXPECT_EQ(r.bottom - r.top, 0);
    EXPECT_EQ(GetWindowLongPtrW(announcer, GWL_STYLE) & WS_TABSTOP, 0);
    set_phase(open_countdown_phase(false, 3));
    EXPECT_EQ(GetNextDlgTabItem(window, item(control_id::primary), FALSE), item(control_id::secondary));
    EXPECT_EQ(GetNextDlgTabItem(window, item(control_id::secondary), FALSE), item(control_id::primary));
}

// ---- No time limit while a screen reader runs -----------------------------------

TEST_F(AnnounceTest, WithAScreenReaderTheWindowWaitsOnOpenNowAndAfterOpeningStaysOpen)
{
    screen_reader_answer = true;
    scan_finished();
    EXPECT_EQ(phase(), waiting_for_user(open_countdown_phase(true, 3)));
    EXPECT_EQ(text(control_id::message), "Choose Open now to see Quellix in your browser.");
    EXPECT_EQ(focused_id(), control_id::primary);
    EXPECT_FALSE(timer_was_running());
    for (int i = 0; i < 12; ++i) tick();  // a stray tick moves nothing either
    EXPECT_TRUE(links.empty());
    EXPECT_EQ(phase(), waiting_for_user(open_countdown_phase(true, 3)));

    SendMessageW(window, WM_COMMAND, MAKEWPARAM(control_id::primary, BN_CLICKED), 0);
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(phase(), waiting_for_user(opened_phase(true, 3)));
    EXPECT_EQ(text(control_id::message),
              "Opened " + std::string(qd::link::site_host()) + " \xE2\x80\x94 pick your parts there.");
    EXPECT_FALSE(timer_was_running());
    for (int i = 0; i < 12; ++i) tick();
    EXPECT_TRUE(IsWindow(window));
    SendMessageW(window, wm_escape_key, 0, 0);
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(AnnounceTest, CancelWithAScreenReaderWaitsInsteadOfClosingInTenSeconds)
{
    screen_reader_answer = true;
    scan_finished();
    SendMessageW(window, wm_escape_key, 0, 0);
    EXPECT_EQ(phase(), waiting_for_user(not_opened_phase(true, 10)));
    EXPECT_EQ(text(control_id::message), "Not opened. Choose Open now to see Quellix.");
    EXPECT_FALSE(timer_was_running());
    for (int i = 0; i < 12; ++i) tick();
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(AnnounceTest, AScreenReaderSwitchedOnStopsACountAndTheFocusStaysWithTheUser)
{
    scan_finished();
    ASSERT_EQ(phase(), open_countdown_phase(true, 3));
    ASSERT_TRUE(timer_was_running());
    SetTimer(window, countdown_timer, countdown_period_ms, nullptr);
    SetFocus(item(control_id::secondary));  // the user is on Cancel

    // Another setting changes nothing.
    screen_reader_answer = true;
    SendMessageW(window, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_EQ(phase(), open_countdown_phase(true, 3));

    screen_reader_switched(true);
    EXPECT_EQ(phase(), waiting_for_user(open_countdown_phase(true, 3)));
    EXPECT_EQ(text(control_id::message), "Choose Open now to see Quellix in your browser.");
    EXPECT_FALSE(timer_was_running());
    EXPECT_EQ(focused_id(), control_id::secondary);

    // Switched off again: the window goes on waiting.
    screen_reader_switched(false);
    EXPECT_EQ(phase(), waiting_for_user(open_countdown_phase(true, 3)));
    tick();
    EXPECT_TRUE(links.empty());
}

TEST_F(AnnounceTest, ATickWithAScreenReaderRunningStopsTheCountToo)
{
    // The setting's change went unseen; the next tick, even the last one, stops the count.
    set_phase(opened_phase(false, 1));
    screen_reader_answer = true;
    tick();
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(phase(), waiting_for_user(opened_phase(false, 1)));
    EXPECT_EQ(text(control_id::message), opened_text());
    EXPECT_FALSE(timer_was_running());
}

TEST_F(AnnounceTest, WithoutAScreenReaderTheCountsRunAsBefore)
{
    scan_finished();
    EXPECT_EQ(phase(), open_countdown_phase(true, 3));
    EXPECT_TRUE(timer_was_running());
    SetTimer(window, countdown_timer, countdown_period_ms, nullptr);
    for (int i = 0; i < 3; ++i) tick();
    EXPECT_EQ(links.size(), 1u);
    EXPECT_EQ(phase(), opened_phase(true, 3));
    screen_reader_switched(false);
    EXPECT_EQ(phase(), opened_phase(true, 3));
    for (int i = 0; i < 3; ++i) tick();
    EXPECT_FALSE(IsWindow(window));
}

// ---- Names, as a screen reader reads them -------------------------------------------

namespace {

// Reads the name and role of `control`'s client object through the System32
// oleacc, as a screen reader's MSAA side does.
struct Accessible {
    std::string name;
    long role = 0;
};
Accessible read_accessible(HWND control)
{
    using FromWindow = decltype(&AccessibleObjectFromWindow);
    static const auto from_window = system_function<FromWindow>(L"oleacc.dll", "AccessibleObjectFromWindow");
    Accessible out;
    if (from_window == nullptr) return out;
    ComPtr<IAccessible> object;
    if (FAILED(from_window(control, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(object.put()))))
        return out;
    VARIANT self = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    if (object.get()->get_accName(self, &name) == S_OK && name != nullptr) {
        out.name = from_wide(name, wcslen(name));
        using FreeString = void(WINAPI*)(BSTR);
        if (const auto free_string = system_function<FreeString>(L"oleaut32.dll", "SysFreeString")) free_string(name);
    }
    VARIANT role = {};
    if (object.get()->get_accRole(self, &role) == S_OK && role.vt == VT_I4) out.role = role.lVal;
    return out;
}

}  // namespace

TEST_F(AnnounceTest, EveryControlAScreenReaderReachesHasAName)
{
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    set_phase(open_countdown_phase(false, 3));
    std::vector<std::pair<int, std::string>> expected = {
        {control_id::header, "Scan complete"},
        {control_id::message, "Opening Quellix in your browser in 3\xE2\x80\xA6"},
        {control_id::primary, "Open now"},
        {control_id::secondary, "Cancel"},
        {control_id::footnote, footnote_text()},
    };
    for (int row = 0; row < row_count; ++row) {
        expected.emplace_back(control_id::first_label + row, std::string(row_labels[row]));
        expected.emplace_back(control_id::first_value + row, std::string(pending_value_text));
    }
    for (const auto& [id, name] : expected) EXPECT_EQ(read_accessible(item(id)).name, name) << id;
    EXPECT_EQ(read_accessible(window).name, "Quellix Detect");

    // The link box is named by the message just before it, and is a text field.
    {
        StateGuard state;
        ASSERT_TRUE(state);
        state->link = "https://example.test/detect?v=1";
    }
    set_phase(open_failed_phase(false));
    const Accessible link_box = read_accessible(item(control_id::link_box));
    EXPECT_EQ(link_box.name, "Copy this link and paste it into your browser's address bar:");
    EXPECT_EQ(link_box.role, ROLE_SYSTEM_TEXT);
    EXPECT_EQ(read_accessible(item(control_id::primary)).name, "Copy link");
    EXPECT_EQ(read_accessible(item(control_id::secondary)).name, "Close");
    CoUninitialize();
}
