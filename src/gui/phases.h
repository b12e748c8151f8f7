// The window's phases, what each shows, and the decisions the window makes on
// its events. Pure: the Win32 window carries these out.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "checks/scan_types.h"

namespace qd::gui {

enum class UiState : std::uint8_t { Scanning, OpenCountdown, NotOpened, Opened, OpenFailed };

// A tagged phase. nothing_found and seconds belong to OpenCountdown, NotOpened
// and Opened; copied belongs to OpenFailed. Other fields stay at their defaults.
// waits_for_user, also of the three counting states, means no count runs:
// while a screen reader is running the window never acts on its own, it
// waits for the user (seconds is then 0).
struct UiPhase {
    UiState state = UiState::Scanning;
    bool nothing_found = false;
    std::uint32_t seconds = 0;
    bool copied = false;
    bool waits_for_user = false;
    friend bool operator==(const UiPhase&, const UiPhase&) = default;
};

UiPhase scanning_phase();
UiPhase open_countdown_phase(bool nothing_found, std::uint32_t seconds);
UiPhase not_opened_phase(bool nothing_found, std::uint32_t seconds);
UiPhase opened_phase(bool nothing_found, std::uint32_t seconds);
UiPhase open_failed_phase(bool copied);
// The same phase without its count, waiting for the user; a phase that does
// not count is returned unchanged.
UiPhase waiting_for_user(const UiPhase& phase);

// What a button does. None (255) hides the button.
enum class HandOffAction : std::uint8_t { OpenLink = 0, CancelOpen = 1, CopyLink = 2, CloseApp = 3, None = 255 };

struct PhaseView {
    std::string message;
    std::string_view primary_caption;
    HandOffAction primary_action = HandOffAction::None;
    std::string_view secondary_caption;
    HandOffAction secondary_action = HandOffAction::None;
    std::string_view header;
    bool link_box_shown = false;
};

// "Closing in N…"
std::string countdown_text(std::uint32_t seconds);

PhaseView phase_view(const UiPhase& phase);

// The texts of the window that no phase changes.
inline constexpr std::string_view row_labels[checks::row_count] = {"Processor", "Graphics card", "Memory",
                                                                   "Display",   "Storage",       "Windows settings"};
inline constexpr std::string_view pending_value_text = "\xE2\x80\xA6";  // "…"
inline constexpr std::string_view not_found_text = "not found";
std::string footnote_text();

// A row's value text, formed from the findings stored for it; found is false
// when the row shows "not found".
struct RowText {
    std::string text;
    bool found = false;
};
RowText row_value_text(const checks::ScanReport& report, checks::RowKind row);

// True when the scan found no processor, graphics, memory, display size and refresh rate.
bool nothing_found(const checks::ScanReport& report);

// What a screen reader is told when a row fills in: "Graphics card: NVIDIA
// GeForce RTX 4070", "Storage: not found".
std::string row_announcement(const checks::ScanReport& report, checks::RowKind row);

// ---- Event decisions ------------------------------------------------------
//
// `waits` below: the new phase waits for the user instead of counting
// (next_phase_waits says when).

// Whether the next phase waits for the user: while a screen reader is running,
// and for the rest of the run once the window has waited (a user who was given
// no time limit is never handed one later).
bool next_phase_waits(const UiPhase& current, bool screen_reader);

// The phase the scan's end leads to: OpenCountdown(nothing_found, 3), or its
// waiting form.
UiPhase phase_after_scan(const checks::ScanReport& report, bool waits = false);

// What a tick of timer 1 does in a phase.
enum class TickStep : std::uint8_t { Apply, OpenLink, Destroy };
struct TickDecision {
    TickStep step = TickStep::Apply;
    UiPhase phase;  // the phase to apply when step is Apply
};
// A tick while a screen reader is running stops the count instead: the
// window then waits (in case the setting's change was not seen).
TickDecision on_tick(const UiPhase& phase, bool screen_reader = false);

// The phase once a screen reader has been switched on or off: on stops a count
// (the window waits); off changes nothing, and the window goes on waiting.
UiPhase phase_after_screen_reader_change(const UiPhase& phase, bool screen_reader);

// The action of button 1 or 2 in a phase; None when that button is hidden.
HandOffAction button_action(const UiPhase& phase, int button_id);

// The action of Escape: the secondary action, else the primary, else CloseApp.
HandOffAction escape_action(const UiPhase& phase);

// The button Enter presses: the focused control's id when it is 1 or 2, else 1.
int enter_button(int focused_control_id);

// OpenLink builds the short link exactly when the phase is OpenCountdown or
// NotOpened with nothing_found set.
bool open_link_short_form(const UiPhase& phase);

// The phase after the shell's answer to opening the link (33 or more is success).
UiPhase phase_after_open(std::intptr_t shell_result, bool short_form, bool waits = false);

// The phase CancelOpen leads to: NotOpened(f, 10) from OpenCountdown, else unchanged.
UiPhase phase_after_cancel(const UiPhase& phase, bool waits = false);

// Whether timer 1 runs in a phase (started after applying it): in a counting
// phase that does not wait for the user.
bool timer_runs_in(const UiPhase& phase);

}  // namespace qd::gui
