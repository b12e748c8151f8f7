// The window procedure, one handler per message, and the message loop.
#include "gui/window_win.h"

#include <utility>

#include "checks/scan_win.h"
#include "checks/wide_win.h"
#include "gui/announce_win.h"
#include "gui/colors.h"
#include "gui/controls_win.h"
#include "gui/fonts_win.h"
#include "gui/hand_off_win.h"
#include "gui/layout.h"
#include "gui/paint_win.h"
#include "gui/theme_win.h"
#include "gui/title_bar_win.h"
#include "gui/window_ids.h"
#include "gui/window_state_win.h"

namespace qd::gui {

static_assert(wm_escape_key == WM_APP + 3);

namespace {

// ---- Message handlers -----------------------------------------------------

LRESULT on_row_message(HWND window, LPARAM lparam)
{
    auto row = checks::take_row_message(lparam);  // released on every path
    StateGuard state;
    if (!state || row == nullptr) return 0;
    const checks::RowKind kind = row_kind(*row);
    checks::take_row(state->report, std::move(*row));
    row.reset();

    const RowText value = row_value_text(state->report, kind);
    HWND control = GetDlgItem(window, control_id::first_value + static_cast<int>(kind));
    if (control == nullptr) return 0;
    SetWindowTextW(control, checks::to_wide(value.found ? std::string_view(value.text) : not_found_text).c_str());
    const ColorRole role = value.found ? ColorRole::ValueFound : ColorRole::ValueMissing;
    SetWindowLongPtrW(control, GWLP_USERDATA, static_cast<LONG_PTR>(role));
    InvalidateRect(control, nullptr, TRUE);
    InvalidateRect(window, nullptr, FALSE);  // the row's mark
    announce(window, row_announcement(state->report, kind));
    return 0;
}

LRESULT on_scan_finished()
{
    StateGuard state;
    if (!state) return 0;
    // Starts the countdown, or, while a screen reader runs, waits for the user.
    apply_phase(*state, phase_after_scan(state->report, next_phase_waits(state->phase, screen_reader_on())));
    return 0;
}

LRESULT on_timer(HWND window, WPARAM timer_id)
{
    if (timer_id != countdown_timer) return 0;
    StateGuard state;
    if (!state) return 0;
    const TickDecision tick = on_tick(state->phase, screen_reader_on());
    switch (tick.step) {
    case TickStep::Apply: apply_phase(*state, tick.phase); break;
    case TickStep::OpenLink:
        state.release();
        hand_off(window, HandOffAction::OpenLink);
        break;
    case TickStep::Destroy:
        state.release();
        DestroyWindow(window);
        break;
    }
    return 0;
}

LRESULT on_command(HWND window, WPARAM wparam)
{
    const int id = LOWORD(wparam);
    if (HIWORD(wparam) != BN_CLICKED || (id != control_id::primary && id != control_id::secondary)) return 0;
    if (!control_visible(window, id)) return 0;
    HandOffAction action = HandOffAction::None;
    {
        StateGuard state;
        if (!state) return 0;
        action = button_action(state->phase, id);
    }
    hand_off(window, action);
    return 0;
}

LRESULT on_escape(HWND window)
{
    HandOffAction action = HandOffAction::None;
    {
        StateGuard state;
        if (!state) return 0;
        action = escape_action(state->phase);
    }
    hand_off(window, action);
    return 0;
}

// The child that had the focus when the window was last deactivated. Kept in a
// slot of its own, outside the WindowState: WM_ACTIVATE also arrives from inside
// calls made while a handler holds the state (the shell opening a browser,
// a window of another program taking over), and the focus is saved then too.
thread_local HWND saved_focus = nullptr;

LRESULT on_activate(HWND window, WPARAM wparam)
{
    if (LOWORD(wparam) == WA_INACTIVE) {
        saved_focus = GetFocus();
        return 0;
    }
    if (saved_focus != nullptr && IsChild(window, saved_focus) && IsWindowVisible(saved_focus))
        SetFocus(saved_focus);
    else
        focus_default_button(window);
    return 0;
}

LRESULT on_dpi_changed(HWND window, WPARAM wparam, LPARAM lparam)
{
    StateGuard state;
    if (!state) return 0;
    // A DPI below 96 (0 would be a broken message) is taken as 96, as at
    // start-up, so the fonts never get a height of 0.
    const std::uint32_t dpi = layout_dpi(HIWORD(wparam));
    state->dpi = dpi;
    const FontSet old_fonts = std::exchange(state->fonts, create_font_set(dpi));
    apply_fonts(window, state->fonts, dpi);  // the old fonts go once no control uses them
    apply_icons(window, state->icons, dpi);
    // The suggested corner with the window's own size, in one move: on a
    // drag to another monitor the window lands where Windows put it, at the
    // size WM_GETDPISCALEDSIZE told Windows, not first resized and then moved.
    if (const auto* suggested = reinterpret_cast<const RECT*>(lparam))
        relayout_at(*state, suggested->left, suggested->top);
    else
        relayout(*state);
    return 0;
}

// Before a DPI change Windows asks what size the window will take at the new
// DPI, so that the rectangle it then suggests is the window's own, laid-out
// size (and the pointer stays on the title bar while dragging).
LRESULT on_get_dpi_scaled_size(WPARAM wparam, LPARAM lparam)
{
    auto* size = reinterpret_cast<SIZE*>(lparam);
    StateGuard state;
    if (!state || size == nullptr) return FALSE;
    *size = laid_out_window_size(layout_dpi(static_cast<std::uint32_t>(wparam)),
                                 phase_view(state->phase).link_box_shown);
    return TRUE;
}

LRESULT on_erase_background(HWND window, HDC dc)
{
    RECT client = {};
    GetClientRect(window, &client);
    FillRect(dc, &client, window_brush());
    return TRUE;
}

// The settings that change the window's colours: the theme (which switches
// High Contrast on and off) and High Contrast itself.
bool theme_setting(WPARAM wparam, LPARAM lparam)
{
    if (wparam == SPI_SETHIGHCONTRAST) return true;
    const auto* area = reinterpret_cast<const wchar_t*>(lparam);
    return area != nullptr && lstrcmpW(area, L"WindowsThemeElement") == 0;
}

// New colours: the thread's brushes are remade (the old ones deleted), the
// title bar follows, and the window and every control paint again.
LRESULT on_theme_changed(HWND window)
{
    follow_theme();
    if (current_scheme().dark_title_bar)
        set_dark_title_bar(window);
    else
        set_system_title_bar(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return 0;
}

// A screen reader started during a count stops it: the window waits for the user.
LRESULT on_screen_reader_changed()
{
    StateGuard state;
    if (!state) return 0;
    const UiPhase next = phase_after_screen_reader_change(state->phase, screen_reader_on());
    if (next != state->phase) apply_phase(*state, next);
    return 0;
}

LRESULT on_setting_change(HWND window, WPARAM wparam, LPARAM lparam)
{
    if (theme_setting(wparam, lparam)) return on_theme_changed(window);
    if (wparam == SPI_SETSCREENREADER) return on_screen_reader_changed();
    return DefWindowProcW(window, WM_SETTINGCHANGE, wparam, lparam);
}

LRESULT on_destroy()
{
    PostQuitMessage(0);
    return 0;
}

}  // namespace

// ---- Window procedure and message loop ------------------------------------

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_DESTROY: return on_destroy();
    case WM_ACTIVATE: return on_activate(window, wparam);
    case WM_ERASEBKGND: return on_erase_background(window, reinterpret_cast<HDC>(wparam));
    case WM_PAINT: paint_main_window(window); return 0;
    case WM_DRAWITEM: return lparam != 0 ? draw_button(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)) : FALSE;
    case WM_COMMAND: return on_command(window, wparam);
    case WM_TIMER: return on_timer(window, wparam);
    case WM_CTLCOLORBTN: return reinterpret_cast<LRESULT>(window_brush());
    case WM_CTLCOLORSTATIC: return control_colors(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_DPICHANGED: return on_dpi_changed(window, wparam, lparam);
    case WM_GETDPISCALEDSIZE: return on_get_dpi_scaled_size(wparam, lparam);
    case WM_SYSCOLORCHANGE: return on_theme_changed(window);
    case WM_SETTINGCHANGE: return on_setting_change(window, wparam, lparam);
    case checks::wm_scan_row: return on_row_message(window, lparam);
    case checks::wm_scan_finished: return on_scan_finished();
    case wm_escape_key: return on_escape(window);
    default: return DefWindowProcW(window, message, wparam, lparam);
    }
}

bool forward_dialog_key(HWND window, const MSG& msg)
{
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.hwnd != window && !IsChild(window, msg.hwnd)) return false;
    switch (msg.wParam & 0xFFFF) {
    case VK_ESCAPE: PostMessageW(window, wm_escape_key, 0, 0); return true;
    case VK_RETURN: {
        const int id = enter_button(GetDlgCtrlID(GetFocus()));
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
        return true;
    }
    default: return false;
    }
}

void run_message_loop(HWND window)
{
    MSG msg = {};
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) return;  // WM_QUIT, or -1 on an error
        if (forward_dialog_key(window, msg)) continue;
        if (IsDialogMessageW(window, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace qd::gui
