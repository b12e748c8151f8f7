// The main window: its controls, the state slot, putting a phase on the
// screen, and the window procedure with one handler per message.
#include "gui/window.h"

#include <string_view>
#include <utility>

#include "checks/scan.h"
#include "gui/layout.h"
#include "gui/title_bar_win.h"
#include "link/hand_off.h"

namespace {

// ---- The thread's slots ---------------------------------------------------

thread_local WindowState* slot_state = nullptr;
thread_local bool slot_taken = false;
// The child that had the focus when the window was last deactivated.
thread_local HWND saved_focus = nullptr;

// ---- Controls -------------------------------------------------------------

constexpr DWORD child_style = WS_CHILD | WS_VISIBLE;
constexpr DWORD row_static_style = SS_ENDELLIPSIS | SS_CENTERIMAGE | SS_NOPREFIX;  // 0x4280
constexpr DWORD button_style = BS_OWNERDRAW | WS_TABSTOP;
constexpr DWORD link_box_style = ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP;

void create_control(HWND window, int id, const wchar_t* control_class, DWORD style, std::string_view text, ColorRole role)
{
    HWND control = CreateWindowExW(0, control_class, to_wide(text).c_str(), child_style | style, 0, 0, 0, 0, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (control != nullptr) SetWindowLongPtrW(control, GWLP_USERDATA, static_cast<LONG_PTR>(role));
}

void create_controls(HWND window)
{
    create_control(window, control_id::header, L"STATIC", row_static_style, phase_view(scanning_phase()).header,
                   ColorRole::Plain);
    for (int row = 0; row < row_count; ++row) {
        create_control(window, control_id::first_label + row, L"STATIC", row_static_style, row_labels[row],
                       ColorRole::RowLabel);
        create_control(window, control_id::first_value + row, L"STATIC", row_static_style, pending_value_text,
                       ColorRole::ValuePending);
    }
    create_control(window, control_id::message, L"STATIC", SS_NOPREFIX, "", ColorRole::Plain);
    create_control(window, control_id::primary, L"BUTTON", button_style, "", ColorRole::Plain);
    create_control(window, control_id::secondary, L"BUTTON", button_style, "", ColorRole::Plain);
    create_control(window, control_id::link_box, L"EDIT", link_box_style, "", ColorRole::LinkBox);
    create_control(window, control_id::footnote, L"STATIC", SS_NOPREFIX, footnote_text(), ColorRole::Footnote);
}

void set_control_text(HWND window, int id, std::string_view text)
{
    if (HWND control = GetDlgItem(window, id)) SetWindowTextW(control, to_wide(text).c_str());
}

void show_control(HWND window, int id, bool shown)
{
    if (HWND control = GetDlgItem(window, id)) ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
}

bool control_visible(HWND window, int id)
{
    HWND control = GetDlgItem(window, id);
    return control != nullptr && IsWindowVisible(control);
}

// A hidden button keeps its old caption: only a shown one gets the new text.
void set_button(HWND window, int id, std::string_view caption, HandOffAction action)
{
    const bool shown = action != HandOffAction::None;
    if (shown) set_control_text(window, id, caption);
    show_control(window, id, shown);
}

void place(HWND window, int id, const Box& box)
{
    if (HWND control = GetDlgItem(window, id))
        MoveWindow(control, box.x, box.y, box.width < 0 ? 0 : box.width, box.height < 0 ? 0 : box.height, TRUE);
}

bool focus_on_visible_button(HWND window)
{
    HWND focus = GetFocus();
    if (focus == nullptr || !IsChild(window, focus)) return false;
    const int id = GetDlgCtrlID(focus);
    return (id == control_id::primary || id == control_id::secondary) && IsWindowVisible(focus);
}

// ---- Message handlers -----------------------------------------------------

LRESULT on_row_message(HWND window, LPARAM lparam)
{
    auto row = take_row_message(lparam);  // released on every path
    StateGuard state;
    if (!state || row == nullptr) return 0;
    const RowKind kind = row_kind(*row);
    take_row(state->report, std::move(*row));
    row.reset();

    const RowText value = row_value_text(state->report, kind);
    HWND control = GetDlgItem(window, control_id::first_value + static_cast<int>(kind));
    if (control == nullptr) return 0;
    SetWindowTextW(control, to_wide(value.found ? std::string_view(value.text) : not_found_text).c_str());
    const ColorRole role = value.found ? ColorRole::ValueFound : ColorRole::ValueMissing;
    SetWindowLongPtrW(control, GWLP_USERDATA, static_cast<LONG_PTR>(role));
    InvalidateRect(control, nullptr, TRUE);
    InvalidateRect(window, nullptr, FALSE);  // the row's mark
    return 0;
}

LRESULT on_scan_finished(HWND window)
{
    StateGuard state;
    if (!state) return 0;
    apply_phase(*state, phase_after_scan(state->report));
    SetTimer(window, countdown_timer, countdown_period_ms, nullptr);
    return 0;
}

LRESULT on_timer(HWND window, WPARAM timer_id)
{
    if (timer_id != countdown_timer) return 0;
    StateGuard state;
    if (!state) return 0;
    const TickDecision tick = on_tick(state->phase);
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
    const std::uint32_t dpi = HIWORD(wparam);
    state->dpi = dpi;
    FontSet old_fonts = std::exchange(state->fonts, create_font_set(dpi));
    apply_fonts(window, state->fonts, dpi);
    delete_font_set(old_fonts);
    relayout(*state);
    if (const auto* suggested = reinterpret_cast<const RECT*>(lparam))
        SetWindowPos(window, nullptr, suggested->left, suggested->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return 0;
}

LRESULT on_destroy()
{
    PostQuitMessage(0);
    return 0;
}

}  // namespace

// ---- The state slot -------------------------------------------------------

void put_window_state(std::unique_ptr<WindowState> state)
{
    if (slot_taken) return;  // a holder further up would be left pointing at a freed state
    delete std::exchange(slot_state, state.release());
}

std::unique_ptr<WindowState> take_out_window_state()
{
    if (slot_taken) return nullptr;
    return std::unique_ptr<WindowState>(std::exchange(slot_state, nullptr));
}

StateGuard::StateGuard()
{
    if (slot_taken || slot_state == nullptr) return;
    slot_taken = true;
    state_ = slot_state;
}

void StateGuard::release()
{
    if (state_ == nullptr) return;
    state_ = nullptr;
    slot_taken = false;
}

// ---- Set-up ---------------------------------------------------------------

ATOM register_main_window_class(HMODULE module)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = 0;
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = module;
    wc.hIcon = LoadIconW(module, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = window_brush();
    wc.lpszClassName = main_window_class;
    return RegisterClassExW(&wc);
}

HWND create_main_window(HMODULE module, const Rect& work)
{
    const Point at = initial_window_position(work);
    HWND window = CreateWindowExW(0, main_window_class, main_window_title, main_window_style, at.x, at.y, 100, 100,
                                  nullptr, nullptr, module, nullptr);
    if (window == nullptr) return nullptr;
    set_dark_title_bar(window);
    create_controls(window);
    return window;
}

std::uint32_t initial_dpi(HWND window)
{
    const UINT dpi = GetDpiForWindow(window);
    return dpi < 97 ? 96 : dpi;
}

std::unique_ptr<WindowState> make_window_state(HWND window, std::uint32_t dpi)
{
    FontSet fonts = create_font_set(dpi);
    auto state = std::make_unique<WindowState>();
    state->phase = scanning_phase();
    state->window = window;
    state->fonts = std::move(fonts);
    state->dpi = dpi;
    apply_fonts(window, state->fonts, dpi);
    return state;
}

// ---- Layout and phases ----------------------------------------------------

void relayout(WindowState& state)
{
    HWND window = state.window;
    const PhaseView view = phase_view(state.phase);
    const bool button2_shown = view.secondary_action != HandOffAction::None;
    const ControlLayout layout = control_layout(state.dpi, view.link_box_shown, button2_shown);

    place(window, control_id::header, layout.header);
    for (int row = 0; row < row_count; ++row) {
        place(window, control_id::first_label + row, layout.labels[row]);
        place(window, control_id::first_value + row, layout.values[row]);
    }
    place(window, control_id::message, layout.message);
    place(window, control_id::link_box, layout.link_box);
    place(window, control_id::footnote, layout.footnote);
    if (button2_shown) place(window, control_id::secondary, layout.button2);
    place(window, control_id::primary, layout.button1);

    const LayoutMetrics m = layout_metrics(state.dpi, view.link_box_shown);
    RECT outer = {0, 0, m.client_width, m.client_height};
    AdjustWindowRectExForDpi(&outer, main_window_style, FALSE, 0, state.dpi);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, TRUE);
}

void apply_phase(WindowState& state, const UiPhase& phase)
{
    HWND window = state.window;
    const UiState before = state.phase.state;
    state.phase = phase;
    const PhaseView view = phase_view(phase);

    set_control_text(window, control_id::header, view.header);
    set_control_text(window, control_id::message, view.message);
    set_button(window, control_id::primary, view.primary_caption, view.primary_action);
    set_button(window, control_id::secondary, view.secondary_caption, view.secondary_action);
    if (view.link_box_shown) set_control_text(window, control_id::link_box, state.link);
    show_control(window, control_id::link_box, view.link_box_shown);
    relayout(state);

    // A tick of the same state keeps the user's focus; a new state moves it.
    if (before != phase.state || !focus_on_visible_button(window)) focus_default_button(window);
}

void focus_default_button(HWND window)
{
    const int id = control_visible(window, control_id::primary) ? control_id::primary : control_id::secondary;
    if (HWND button = GetDlgItem(window, id)) SetFocus(button);
}

// ---- Window procedure and message loop ------------------------------------

LRESULT CALLBACK main_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case WM_DESTROY: return on_destroy();
    case WM_ACTIVATE: return on_activate(window, wparam);
    case WM_PAINT: paint_main_window(window); return 0;
    case WM_DRAWITEM: return lparam != 0 ? draw_button(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)) : FALSE;
    case WM_COMMAND: return on_command(window, wparam);
    case WM_TIMER: return on_timer(window, wparam);
    case WM_CTLCOLORBTN: return reinterpret_cast<LRESULT>(window_brush());
    case WM_CTLCOLORSTATIC: return control_colors(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
    case WM_DPICHANGED: return on_dpi_changed(window, wparam, lparam);
    case wm_scan_row: return on_row_message(window, lparam);
    case wm_scan_finished: return on_scan_finished(window);
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
