// The main window's state record and the user-interface thread's slot for it.
// Every handler takes the state from the slot without waiting; a handler that
// finds it in use (a message sent back while another handler holds it) or not
// set up does nothing. Include only from *_win.cpp and *_win.h files.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "checks/owned_win.h"
#include "checks/platform_win.h"
#include "checks/scan_types.h"
#include "gui/fonts_win.h"
#include "gui/phases.h"
#include "link/browser_win.h"

namespace qd::gui {

struct WindowState {
    checks::ScanReport report;  // the findings received so far
    std::string link;           // the report link last built; empty until then
    UiPhase phase;
    HWND window = nullptr;
    FontSet fonts;
    WindowIcons icons;
    std::uint32_t dpi = 96;
    link::BrowserOpen browser_open = link::open_in_browser;  // a test puts a stand-in here
    bool opening = false;                                    // OpenLink is waiting for the shell
    checks::ComPtr<IAccPropServices> live_regions;           // keeps the live-region marks; null without the service
};

// A new WindowState in the Scanning phase, with fonts and icons for `dpi` already
// applied and the live regions marked.
std::unique_ptr<WindowState> make_window_state(HWND window, std::uint32_t dpi);

// Puts the state into the slot, releasing any state there before; refused
// while a guard holds the slot.
void put_window_state(std::unique_ptr<WindowState> state);
// Takes the state out of the slot; nothing when the slot is in use or empty.
std::unique_ptr<WindowState> take_out_window_state();

// Exclusive use of the slot, never waiting: a guard made while another guard
// holds the slot, or while the slot is empty, holds nothing and is false.
class StateGuard {
public:
    StateGuard();
    StateGuard(const StateGuard&) = delete;
    StateGuard& operator=(const StateGuard&) = delete;
    ~StateGuard() { release(); }

    explicit operator bool() const { return state_ != nullptr; }
    WindowState& operator*() const { return *state_; }
    WindowState* operator->() const { return state_; }
    // Gives the slot back early, before a call that may need it again.
    void release();

private:
    WindowState* state_ = nullptr;
};

}  // namespace qd::gui
