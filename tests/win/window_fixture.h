// The main window's tests share this: the real main window with its controls
// and state under Wine (MainWindowTest), a stand-in for the shell that opens
// the browser, one for the title-bar call, and one for the system's High
// Contrast setting.
#pragma once
#include "gui/controls_win.h"
#include "gui/theme_win.h"
#include "gui/title_bar_win.h"
#include "gui/window_ids.h"
#include "gui/window_state_win.h"
#include "gui/window_win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "checks/scan_win.h"
#include "checks/wide_win.h"

namespace qd::test {

using namespace qd::checks;
using namespace qd::gui;
using namespace qd::link;

// ---- Helpers --------------------------------------------------------------

inline std::string text_of(HWND control)
{
    wchar_t buffer[1024] = {};
    GetWindowTextW(control, buffer, 1024);
    return from_wide(buffer, 1024);
}

inline LONG_PTR role_of(HWND control) { return GetWindowLongPtrW(control, GWLP_USERDATA); }

inline std::string u8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

// Handles what is queued and drops WM_QUIT. Paint messages must be dispatched:
// a peek alone leaves the region invalid and WM_PAINT comes back for ever.
inline void drain_queue()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) DispatchMessageW(&msg);
    }
}

inline LOGFONTW font_info(HFONT font)
{
    LOGFONTW info = {};
    EXPECT_EQ(GetObjectW(font, sizeof(info), &info), static_cast<int>(sizeof(info)));
    return info;
}

inline bool gdi_object_alive(HGDIOBJ object) { return GetObjectType(object) != 0; }

// The shell's stand-in: records each call and answers with a set result. A
// test can also have it do something to the window while "the shell" runs.
struct FakeShell {
    std::intptr_t result = 42;
    std::vector<std::string> links;
    void (*during_call)() = nullptr;
};
inline FakeShell* fake_shell = nullptr;

inline std::intptr_t fake_shell_open(std::string_view link)
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
inline std::vector<AttributeCall>* attribute_calls = nullptr;

inline HRESULT WINAPI record_attribute(HWND window, DWORD attribute, LPCVOID value, DWORD size)
{
    DWORD first = 0;
    if (value != nullptr && size >= sizeof(first)) std::memcpy(&first, value, sizeof(first));
    attribute_calls->push_back(AttributeCall{window, attribute, size, first});
    return S_OK;
}

// ---- High Contrast ----------------------------------------------------------

inline bool high_contrast_answer = false;
inline bool answer_high_contrast() { return high_contrast_answer; }

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

}  // namespace qd::test
