#include "gui/window_state_win.h"

#include <utility>

#include "gui/announce_win.h"

namespace qd::gui {

namespace {

// The slot itself: the one place the state lives between messages.
thread_local WindowState* slot_state = nullptr;
thread_local bool slot_taken = false;

}  // namespace

std::unique_ptr<WindowState> make_window_state(HWND window, std::uint32_t dpi)
{
    auto state = std::make_unique<WindowState>();
    state->phase = scanning_phase();
    state->window = window;
    state->fonts = create_font_set(dpi);
    state->dpi = dpi;
    apply_fonts(window, state->fonts, dpi);
    apply_icons(window, state->icons, dpi);
    state->live_regions = mark_live_regions(window);
    return state;
}

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

}  // namespace qd::gui
