#include "gui/phases.h"

#include <initializer_list>
#include <iterator>

#include "checks/text.h"
#include "gui/window_ids.h"
#include "link/report_link.h"

namespace qd::gui {

namespace {

// UTF-8 spellings. Kept as separate literals: a hex escape followed by a letter
// that is also a hex digit would swallow it.
constexpr std::string_view ellipsis = "\xE2\x80\xA6";       // U+2026
constexpr std::string_view spaced_dash = " \xE2\x80\x94 ";  // U+2014 with a blank each side
constexpr std::string_view times_sign = " \xC3\x97 ";       // U+00D7 with a blank each side

constexpr std::string_view scanning_header = "Scanning your PC\xE2\x80\xA6";
constexpr std::string_view complete_header = "Scan complete";
constexpr std::string_view nothing_header = "No hardware found";
constexpr std::string_view failed_header = "Could not open your browser";

constexpr std::string_view caption_cancel = "Cancel";
constexpr std::string_view caption_open_now = "Open now";
constexpr std::string_view caption_close = "Close";
constexpr std::string_view caption_copy_link = "Copy link";
constexpr std::string_view caption_copied = "Copied";

std::string joined(std::initializer_list<std::string_view> pieces)
{
    std::size_t size = 0;
    for (std::string_view piece : pieces) size += piece.size();
    std::string out;
    out.reserve(size);
    for (std::string_view piece : pieces) out += piece;
    return out;
}

bool counts_down(UiState state)
{
    return state == UiState::OpenCountdown || state == UiState::NotOpened || state == UiState::Opened;
}

// " Closing in N…" after a phase's message, or nothing while it waits.
std::string then_closing(const UiPhase& phase)
{
    if (phase.waits_for_user) return {};
    return " " + countdown_text(phase.seconds);
}

UiPhase with_seconds(const UiPhase& phase, std::uint32_t seconds)
{
    switch (phase.state) {
    case UiState::OpenCountdown: return open_countdown_phase(phase.nothing_found, seconds);
    case UiState::NotOpened: return not_opened_phase(phase.nothing_found, seconds);
    default: return opened_phase(phase.nothing_found, seconds);
    }
}

}  // namespace

UiPhase scanning_phase() { return {}; }

UiPhase open_countdown_phase(bool nothing_found, std::uint32_t seconds)
{
    return {UiState::OpenCountdown, nothing_found, seconds, false};
}

UiPhase not_opened_phase(bool nothing_found, std::uint32_t seconds)
{
    return {UiState::NotOpened, nothing_found, seconds, false};
}

UiPhase opened_phase(bool nothing_found, std::uint32_t seconds)
{
    return {UiState::Opened, nothing_found, seconds, false};
}

UiPhase open_failed_phase(bool copied) { return {UiState::OpenFailed, false, 0, copied}; }

UiPhase waiting_for_user(const UiPhase& phase)
{
    if (!counts_down(phase.state)) return phase;
    UiPhase waiting = with_seconds(phase, 0);
    waiting.waits_for_user = true;
    return waiting;
}

std::string countdown_text(std::uint32_t seconds)
{
    return joined({"Closing in ", checks::decimal(seconds), ellipsis});
}

PhaseView phase_view(const UiPhase& phase)
{
    const std::string_view header = phase.nothing_found ? nothing_header : complete_header;
    PhaseView view;
    switch (phase.state) {
    case UiState::Scanning:
        view.header = scanning_header;
        view.message = "Reading your hardware and Windows settings. This takes a second.";
        // Cancelling the scan closes the program.
        view.secondary_caption = caption_cancel;
        view.secondary_action = HandOffAction::CloseApp;
        break;
    case UiState::OpenCountdown:
        view.header = header;
        view.message = phase.waits_for_user
                           ? "Choose Open now to see Quellix in your browser."
                           : joined({"Opening Quellix in your browser in ", checks::decimal(phase.seconds), ellipsis});
        view.primary_caption = caption_open_now;
        view.primary_action = HandOffAction::OpenLink;
        view.secondary_caption = caption_cancel;
        view.secondary_action = HandOffAction::CancelOpen;
        break;
    case UiState::NotOpened:
        view.header = header;
        view.message = joined({"Not opened. Choose Open now to see Quellix.", then_closing(phase)});
        view.primary_caption = caption_open_now;
        view.primary_action = HandOffAction::OpenLink;
        view.secondary_caption = caption_close;
        view.secondary_action = HandOffAction::CloseApp;
        break;
    case UiState::Opened:
        view.header = header;
        view.message = joined({"Opened ", link::site_host(), spaced_dash,
                               phase.nothing_found ? "pick your parts there." : "your rig is ready.",
                               then_closing(phase)});
        view.primary_caption = caption_close;
        view.primary_action = HandOffAction::CloseApp;
        break;
    case UiState::OpenFailed:
        view.header = failed_header;
        view.message = phase.copied ? "Link copied. Paste it into your browser's address bar."
                                    : "Copy this link and paste it into your browser's address bar:";
        view.primary_caption = phase.copied ? caption_copied : caption_copy_link;
        view.primary_action = HandOffAction::CopyLink;
        view.secondary_caption = caption_close;
        view.secondary_action = HandOffAction::CloseApp;
        view.link_box_shown = true;
        break;
    }
    return view;
}

std::string footnote_text()
{
    return joined({"Reads hardware and Windows settings only. Changes nothing.\r\nSends nothing", spaced_dash,
                   "it only opens ", link::site_host(), "."});
}

RowText row_value_text(const checks::ScanReport& report, checks::RowKind row)
{
    switch (row) {
    case checks::RowKind::Processor:
        if (report.processor_name) return {*report.processor_name, true};
        break;
    case checks::RowKind::GraphicsCard:
        if (report.graphics_name) return {*report.graphics_name, true};
        break;
    case checks::RowKind::Memory:
        if (report.memory_gb) return {checks::decimal(*report.memory_gb) + " GB", true};
        break;
    case checks::RowKind::Display: {
        // "1920 × 1080 @ 144 Hz", "1920 × 1080" or "144 Hz".
        const auto& size = report.display_size;
        const auto& rate = report.refresh_hz;
        if (size && rate)
            return {joined({checks::decimal(size->width), times_sign, checks::decimal(size->height), " @ ",
                            checks::decimal(*rate), " Hz"}),
                    true};
        if (size) return {joined({checks::decimal(size->width), times_sign, checks::decimal(size->height)}), true};
        if (rate) return {checks::decimal(*rate) + " Hz", true};
        break;
    }
    case checks::RowKind::Storage:
        // A code other than the three the storage probe gives is shown as not found.
        if (report.storage_kind == "nvme") return {"NVMe SSD", true};
        if (report.storage_kind == "ssd") return {"SSD", true};
        if (report.storage_kind == "hdd") return {"Hard drive (HDD)", true};
        break;
    case checks::RowKind::WindowsSettings: {
        const std::size_t count = link::settings_query_pairs(report.settings).size();
        if (count > 0) return {checks::decimal(count) + " checked", true};
        break;
    }
    }
    return {std::string(not_found_text), false};
}

bool nothing_found(const checks::ScanReport& report)
{
    // Storage and the settings do not count: without any of these five the
    // report link could carry nothing about the machine.
    return !report.processor_name && !report.graphics_name && !report.memory_gb && !report.display_size &&
           !report.refresh_hz;
}

std::string row_announcement(const checks::ScanReport& report, checks::RowKind row)
{
    const auto index = static_cast<std::size_t>(row);
    if (index >= std::size(row_labels)) return {};  // no such row: nothing to say
    return joined({row_labels[index], ": ", row_value_text(report, row).text});
}

bool next_phase_waits(const UiPhase& current, bool screen_reader) { return screen_reader || current.waits_for_user; }

UiPhase phase_after_scan(const checks::ScanReport& report, bool waits)
{
    const UiPhase counting = open_countdown_phase(nothing_found(report), 3);
    return waits ? waiting_for_user(counting) : counting;
}

TickDecision on_tick(const UiPhase& phase, bool screen_reader)
{
    if (!counts_down(phase.state) || phase.waits_for_user) return {TickStep::Apply, phase};  // shown again, unchanged
    if (screen_reader) return {TickStep::Apply, waiting_for_user(phase)};
    // A count that already stands at 0 ends like one at 1.
    if (phase.seconds <= 1)
        return {phase.state == UiState::OpenCountdown ? TickStep::OpenLink : TickStep::Destroy, phase};
    return {TickStep::Apply, with_seconds(phase, phase.seconds - 1)};
}

HandOffAction button_action(const UiPhase& phase, int button_id)
{
    if (button_id != control_id::primary && button_id != control_id::secondary) return HandOffAction::None;
    const PhaseView view = phase_view(phase);
    return button_id == control_id::primary ? view.primary_action : view.secondary_action;
}

HandOffAction escape_action(const UiPhase& phase)
{
    const PhaseView view = phase_view(phase);
    if (view.secondary_action != HandOffAction::None) return view.secondary_action;
    if (view.primary_action != HandOffAction::None) return view.primary_action;
    return HandOffAction::CloseApp;
}

int enter_button(int focused_control_id)
{
    const bool button = focused_control_id == control_id::primary || focused_control_id == control_id::secondary;
    return button ? focused_control_id : control_id::primary;
}

bool open_link_short_form(const UiPhase& phase)
{
    return (phase.state == UiState::OpenCountdown || phase.state == UiState::NotOpened) && phase.nothing_found;
}

UiPhase phase_after_screen_reader_change(const UiPhase& phase, bool screen_reader)
{
    return screen_reader ? waiting_for_user(phase) : phase;
}

UiPhase phase_after_open(std::intptr_t shell_result, bool short_form, bool waits)
{
    // The shell reports success as a value above 32; everything else, negative
    // values included, is an error code.
    if (shell_result < 33) return open_failed_phase(false);
    const UiPhase opened = opened_phase(short_form, 3);
    return waits ? waiting_for_user(opened) : opened;
}

UiPhase phase_after_cancel(const UiPhase& phase, bool waits)
{
    if (phase.state != UiState::OpenCountdown) return phase;
    const UiPhase not_opened = not_opened_phase(phase.nothing_found, 10);
    return waits ? waiting_for_user(not_opened) : not_opened;
}

bool timer_runs_in(const UiPhase& phase) { return counts_down(phase.state) && !phase.waits_for_user; }

}  // namespace qd::gui
