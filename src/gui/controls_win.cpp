#include "gui/controls_win.h"

#include <string_view>

#include "checks/wide_win.h"
#include "gui/announce_win.h"
#include "gui/colors.h"
#include "gui/theme_win.h"
#include "gui/title_bar_win.h"
#include "gui/window_ids.h"
#include "gui/window_win.h"

namespace qd::gui {

namespace {

constexpr DWORD child_style = WS_CHILD | WS_VISIBLE;
constexpr DWORD row_static_style = SS_ENDELLIPSIS | SS_CENTERIMAGE | SS_NOPREFIX;
constexpr DWORD button_style = BS_OWNERDRAW | WS_TABSTOP;
constexpr DWORD link_box_style = ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP;

void create_control(HWND window, int id, const wchar_t* control_class, DWORD style, std::string_view text,
                    ColorRole role)
{
    HWND control = CreateWindowExW(0, control_class, checks::to_wide(text).c_str(), child_style | style, 0, 0, 0, 0,
                                   window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    if (control != nullptr) SetWindowLongPtrW(control, GWLP_USERDATA, static_cast<LONG_PTR>(role));
}

void create_controls(HWND window)
{
    create_control(window, control_id::header, L"STATIC", row_static_style, phase_view(scanning_phase()).header,
                   ColorRole::Plain);
    for (int row = 0; row < checks::row_count; ++row) {
        create_control(window, control_id::first_label + row, L"STATIC", row_static_style, row_labels[row],
                       ColorRole::RowLabel);
        create_control(window, control_id::first_value + row, L"STATIC", row_static_style, pending_value_text,
                       ColorRole::ValuePending);
    }
    // The creation order is the window order, which is also the Tab order of
    // the controls that take the focus (the buttons, then the link box). The
    // message stands just before the link box: a screen reader names a
    // read-only edit by the static text before it, and while the link box is
    // shown the message says what the link is for.
    create_control(window, control_id::primary, L"BUTTON", button_style, "", ColorRole::Plain);
    create_control(window, control_id::secondary, L"BUTTON", button_style, "", ColorRole::Plain);
    create_control(window, control_id::message, L"STATIC", SS_NOPREFIX, "", ColorRole::Plain);
    create_control(window, control_id::link_box, L"EDIT", link_box_style, "", ColorRole::LinkBox);
    create_control(window, control_id::footnote, L"STATIC", SS_NOPREFIX, footnote_text(), ColorRole::Footnote);
    // Last, out of the way: it is never placed, so it keeps no size and paints
    // nothing, and it takes no focus. It stays a visible window because a
    // screen reader skips hidden ones, live regions included.
    create_control(window, control_id::announcer, L"STATIC", SS_NOPREFIX, "", ColorRole::Plain);
}

void set_control_text(HWND window, int id, std::string_view text)
{
    if (HWND control = GetDlgItem(window, id)) SetWindowTextW(control, checks::to_wide(text).c_str());
}

void show_control(HWND window, int id, bool shown)
{
    if (HWND control = GetDlgItem(window, id)) ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
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

}  // namespace

ATOM register_main_window_class(HMODULE module)
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = 0;
    wc.lpfnWndProc = main_window_proc;
    wc.hInstance = module;
    wc.hIcon = LoadIconW(module, MAKEINTRESOURCEW(1));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // No class brush: the theme's brushes are remade when the theme changes,
    // so the window paints its background itself (WM_ERASEBKGND).
    wc.hbrBackground = nullptr;
    wc.lpszClassName = main_window_class;
    return RegisterClassExW(&wc);
}

HWND create_main_window(HMODULE module, const Rect& work)
{
    const Point at = initial_window_position(work);
    HWND window = CreateWindowExW(0, main_window_class, main_window_title, main_window_style, at.x, at.y, 100, 100,
                                  nullptr, nullptr, module, nullptr);
    if (window == nullptr) return nullptr;
    if (current_scheme().dark_title_bar) set_dark_title_bar(window);
    create_controls(window);
    return window;
}

std::uint32_t initial_dpi(HWND window)
{
    const UINT dpi = GetDpiForWindow(window);
    return dpi < 97 ? 96 : dpi;
}

SIZE laid_out_window_size(std::uint32_t dpi, bool link_shown)
{
    const LayoutMetrics m = layout_metrics(dpi, link_shown);
    RECT outer = {0, 0, m.client_width, m.client_height};
    AdjustWindowRectExForDpi(&outer, main_window_style, FALSE, 0, dpi);
    return SIZE{outer.right - outer.left, outer.bottom - outer.top};
}

namespace {

// Places every control for the state's phase and DPI; true when the link box is shown.
bool place_controls(WindowState& state)
{
    HWND window = state.window;
    const PhaseView view = phase_view(state.phase);
    const bool button2_shown = view.secondary_action != HandOffAction::None;
    const ControlLayout layout = control_layout(state.dpi, view.link_box_shown, button2_shown);

    place(window, control_id::header, layout.header);
    for (int row = 0; row < checks::row_count; ++row) {
        place(window, control_id::first_label + row, layout.labels[row]);
        place(window, control_id::first_value + row, layout.values[row]);
    }
    place(window, control_id::message, layout.message);
    place(window, control_id::link_box, layout.link_box);
    place(window, control_id::footnote, layout.footnote);
    if (button2_shown) place(window, control_id::secondary, layout.button2);
    place(window, control_id::primary, layout.button1);
    return view.link_box_shown;
}

}  // namespace

void relayout(WindowState& state)
{
    const SIZE size = laid_out_window_size(state.dpi, place_controls(state));
    SetWindowPos(state.window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(state.window, nullptr, TRUE);
}

void relayout_at(WindowState& state, int left, int top)
{
    const SIZE size = laid_out_window_size(state.dpi, place_controls(state));
    SetWindowPos(state.window, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(state.window, nullptr, TRUE);
}

void apply_phase(WindowState& state, const UiPhase& phase)
{
    HWND window = state.window;
    const UiState before = state.phase.state;
    state.phase = phase;
    const PhaseView view = phase_view(phase);

    // The countdown timer runs in the phases that count and in no other: a
    // counting phase (a new one or the next tick) gets a full second until
    // its next tick, any other phase stops it. Whatever applied the phase, and
    // whatever ran in between (the shell may pump messages), no tick comes
    // in a phase without a count.
    if (timer_runs_in(phase))
        SetTimer(window, countdown_timer, countdown_period_ms, nullptr);
    else
        KillTimer(window, countdown_timer);

    // Live regions: a screen reader reads each change, each count included.
    set_live_text(window, control_id::header, view.header);
    set_live_text(window, control_id::message, view.message);
    set_button(window, control_id::primary, view.primary_caption, view.primary_action);
    set_button(window, control_id::secondary, view.secondary_caption, view.secondary_action);
    if (view.link_box_shown) set_control_text(window, control_id::link_box, state.link);
    show_control(window, control_id::link_box, view.link_box_shown);
    relayout(state);

    // A tick of the same state keeps the user's focus; a new state moves it.
    if (before != phase.state || !focus_on_visible_button(window)) focus_default_button(window);
}

bool control_visible(HWND window, int id)
{
    HWND control = GetDlgItem(window, id);
    return control != nullptr && IsWindowVisible(control);
}

void focus_default_button(HWND window)
{
    const int id = control_visible(window, control_id::primary) ? control_id::primary : control_id::secondary;
    if (HWND button = GetDlgItem(window, id)) SetFocus(button);
}

}  // namespace qd::gui
