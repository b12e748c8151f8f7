#include "gui/hand_off_win.h"

#include <string>

#include "gui/announce_win.h"
#include "gui/controls_win.h"
#include "gui/window_ids.h"
#include "gui/window_state_win.h"
#include "link/browser_win.h"
#include "link/report_link.h"

namespace qd::gui {

namespace {

void open_link(HWND window)
{
    std::string link;
    link::BrowserOpen browser_open = nullptr;
    bool short_form = false;
    {
        StateGuard state;
        // While the shell runs it may pump messages: a second "Open now" or
        // Enter arriving then must not start a second browser.
        if (!state || state->opening) return;
        KillTimer(window, countdown_timer);  // no tick while the shell runs; the next phase decides again
        short_form = open_link_short_form(state->phase);
        state->link = link::build_report_link(state->report, short_form);
        link = state->link;
        browser_open = state->browser_open;
        state->opening = true;
    }
    const std::intptr_t result = browser_open(link);

    StateGuard state;
    if (!state) return;
    state->opening = false;
    apply_phase(*state, phase_after_open(result, short_form, next_phase_waits(state->phase, screen_reader_on())));
}

void cancel_open()
{
    StateGuard state;
    if (!state) return;
    apply_phase(*state, phase_after_cancel(state->phase, next_phase_waits(state->phase, screen_reader_on())));
}

void copy_link(HWND window)
{
    std::string link;
    {
        StateGuard state;
        if (!state) return;
        link = state->link;
    }
    if (!link::copy_to_clipboard(window, link)) return;

    StateGuard state;
    if (!state) return;
    apply_phase(*state, open_failed_phase(true));
}

}  // namespace

void hand_off(HWND window, HandOffAction action)
{
    switch (action) {
    case HandOffAction::OpenLink: open_link(window); return;
    case HandOffAction::CancelOpen: cancel_open(); return;
    case HandOffAction::CopyLink: copy_link(window); return;
    case HandOffAction::CloseApp: DestroyWindow(window); return;
    case HandOffAction::None: return;
    }
}

}  // namespace qd::gui
