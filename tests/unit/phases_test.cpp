#include "gui/phases.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "gui/window_ids.h"
#include "link/report_link.h"
#include "sample_findings.h"
#include "site_origin.h"

using namespace qd::test;

using namespace qd::gui;
using namespace qd::link;

namespace {

// The host as the window shows it: the configured origin without its scheme.
std::string host() { return std::string(site_origin.substr(std::string_view("https://").size())); }

// The texts spelled out byte by byte: U+2026, U+2014, U+00D7.
const std::string ellipsis = "\xE2\x80\xA6";
const std::string dash = " \xE2\x80\x94 ";
const std::string times = " \xC3\x97 ";

constexpr auto None = HandOffAction::None;
constexpr auto OpenLink = HandOffAction::OpenLink;
constexpr auto CancelOpen = HandOffAction::CancelOpen;
constexpr auto CopyLink = HandOffAction::CopyLink;
constexpr auto CloseApp = HandOffAction::CloseApp;

std::string describe(const UiPhase& p)
{
    return "state " + std::to_string(static_cast<int>(p.state)) + " nf " + std::to_string(p.nothing_found) + " s " +
           std::to_string(p.seconds) + " copied " + std::to_string(p.copied) + " waits " + std::to_string(p.waits_for_user);
}

}  // namespace

TEST(CountdownText, DecimalBetweenFixedPieces)
{
    EXPECT_EQ(countdown_text(0), "Closing in 0" + ellipsis);
    EXPECT_EQ(countdown_text(3), "Closing in 3" + ellipsis);
    EXPECT_EQ(countdown_text(10), "Closing in 10" + ellipsis);
    EXPECT_EQ(countdown_text(UINT32_MAX), "Closing in 4294967295" + ellipsis);
}

TEST(PhaseView, EveryState)
{
    struct Case {
        UiPhase phase;
        std::string header, message;
        std::string_view primary;
        HandOffAction primary_action;
        std::string_view secondary;
        HandOffAction secondary_action;
        bool link_box;
    };
    const std::string copy_message = "Copy this link and paste it into your browser's address bar:";
    const Case cases[] = {
        {scanning_phase(), "Scanning your PC" + ellipsis,
         "Reading your hardware and Windows settings. This takes a second.", "", None, "Cancel", CloseApp, false},
        // Fields that do not belong to a state change nothing.
        {{UiState::Scanning, true, 7, true},
         "Scanning your PC" + ellipsis,
         "Reading your hardware and Windows settings. This takes a second.",
         "",
         None,
         "Cancel",
         CloseApp,
         false},
        {open_countdown_phase(false, 3), "Scan complete", "Opening Quellix in your browser in 3" + ellipsis, "Open now",
         OpenLink, "Cancel", CancelOpen, false},
        {open_countdown_phase(true, 0), "No hardware found", "Opening Quellix in your browser in 0" + ellipsis,
         "Open now", OpenLink, "Cancel", CancelOpen, false},
        {not_opened_phase(true, 10), "No hardware found",
         "Not opened. Choose Open now to see Quellix. Closing in 10" + ellipsis, "Open now", OpenLink, "Close",
         CloseApp, false},
        {not_opened_phase(false, 7), "Scan complete",
         "Not opened. Choose Open now to see Quellix. Closing in 7" + ellipsis, "Open now", OpenLink, "Close", CloseApp,
         false},
        {opened_phase(false, 1), "Scan complete",
         "Opened " + host() + dash + "your rig is ready. Closing in 1" + ellipsis, "Close", CloseApp, "", None, false},
        {opened_phase(true, 3), "No hardware found",
         "Opened " + host() + dash + "pick your parts there. Closing in 3" + ellipsis, "Close", CloseApp, "", None,
         false},
        {open_failed_phase(false), "Could not open your browser", copy_message, "Copy link", CopyLink, "Close",
         CloseApp, true},
        {open_failed_phase(true), "Could not open your browser",
         "Link copied. Paste it into your browser's address bar.", "Copied", CopyLink, "Close", CloseApp, true},
        {{UiState::OpenFailed, true, 5, false},
         "Could not open your browser",
         copy_message,
         "Copy link",
         CopyLink,
         "Close",
         CloseApp,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(describe(c.phase));
        const PhaseView view = phase_view(c.phase);
        EXPECT_EQ(view.header, c.header);
        EXPECT_EQ(view.message, c.message);
        EXPECT_EQ(view.primary_action, c.primary_action);
        EXPECT_EQ(view.secondary_action, c.secondary_action);
        // A hidden button keeps whatever caption it had: only shown ones matter.
        if (c.primary_action != None) {
            EXPECT_EQ(view.primary_caption, c.primary);
        }
        if (c.secondary_action != None) {
            EXPECT_EQ(view.secondary_caption, c.secondary);
        }
        EXPECT_EQ(view.link_box_shown, c.link_box);
    }
}

TEST(Footnote, TwoLinesNamingTheHost)
{
    EXPECT_EQ(footnote_text(), "Reads hardware and Windows settings only. Changes nothing.\r\nSends nothing" + dash +
                                   "it only opens " + host() + ".");
    EXPECT_EQ(site_host(), host());
}

// Every decision the window makes from the phase alone, for every state.
TEST(EventDecisions, EveryPhase)
{
    struct Case {
        UiPhase phase;
        TickStep tick;
        UiPhase after_tick;  // checked when tick is Apply
        HandOffAction button1, button2, escape;
        bool short_form;
        UiPhase after_cancel;
        bool timer;
    };
    const UiPhase scanning = scanning_phase();
    const Case cases[] = {
        {scanning, TickStep::Apply, scanning, None, CloseApp, CloseApp, false, scanning, false},
        {open_countdown_phase(false, 3), TickStep::Apply, open_countdown_phase(false, 2), OpenLink, CancelOpen,
         CancelOpen, false, not_opened_phase(false, 10), true},
        {open_countdown_phase(true, 2), TickStep::Apply, open_countdown_phase(true, 1), OpenLink, CancelOpen,
         CancelOpen, true, not_opened_phase(true, 10), true},
        {open_countdown_phase(true, 1),
         TickStep::OpenLink,
         {},
         OpenLink,
         CancelOpen,
         CancelOpen,
         true,
         not_opened_phase(true, 10),
         true},
        {open_countdown_phase(false, 0),
         TickStep::OpenLink,
         {},
         OpenLink,
         CancelOpen,
         CancelOpen,
         false,
         not_opened_phase(false, 10),
         true},
        {not_opened_phase(true, 10), TickStep::Apply, not_opened_phase(true, 9), OpenLink, CloseApp, CloseApp, true,
         not_opened_phase(true, 10), true},
        {not_opened_phase(false, 2), TickStep::Apply, not_opened_phase(false, 1), OpenLink, CloseApp, CloseApp, false,
         not_opened_phase(false, 2), true},
        {not_opened_phase(false, 1),
         TickStep::Destroy,
         {},
         OpenLink,
         CloseApp,
         CloseApp,
         false,
         not_opened_phase(false, 1),
         true},
        {not_opened_phase(true, 0),
         TickStep::Destroy,
         {},
         OpenLink,
         CloseApp,
         CloseApp,
         true,
         not_opened_phase(true, 0),
         true},
        // Opened never builds the short link, even when nothing was found.
        {opened_phase(true, 3), TickStep::Apply, opened_phase(true, 2), CloseApp, None, CloseApp, false,
         opened_phase(true, 3), true},
        {opened_phase(false, 1), TickStep::Destroy, {}, CloseApp, None, CloseApp, false, opened_phase(false, 1), true},
        {opened_phase(false, 0), TickStep::Destroy, {}, CloseApp, None, CloseApp, false, opened_phase(false, 0), true},
        {open_failed_phase(false), TickStep::Apply, open_failed_phase(false), CopyLink, CloseApp, CloseApp, false,
         open_failed_phase(false), false},
        {open_failed_phase(true), TickStep::Apply, open_failed_phase(true), CopyLink, CloseApp, CloseApp, false,
         open_failed_phase(true), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(describe(c.phase));
        const TickDecision tick = on_tick(c.phase);
        EXPECT_EQ(tick.step, c.tick);
        if (c.tick == TickStep::Apply) {
            EXPECT_EQ(tick.phase, c.after_tick) << describe(tick.phase);
        }
        EXPECT_EQ(button_action(c.phase, control_id::primary), c.button1);
        EXPECT_EQ(button_action(c.phase, control_id::secondary), c.button2);
        for (int other : {0, 3, control_id::header, control_id::link_box, -1})
            EXPECT_EQ(button_action(c.phase, other), None) << other;
        EXPECT_EQ(escape_action(c.phase), c.escape);
        EXPECT_EQ(open_link_short_form(c.phase), c.short_form);
        EXPECT_EQ(phase_after_cancel(c.phase), c.after_cancel) << describe(phase_after_cancel(c.phase));
        EXPECT_EQ(timer_runs_in(c.phase), c.timer);
    }
}

TEST(EventDecisions, EnterPressesTheFocusedButtonElseButton1)
{
    using namespace control_id;
    const std::pair<int, int> cases[] = {{primary, primary}, {secondary, secondary}, {0, primary},  {link_box, primary},
                                         {message, primary}, {3, primary},           {-1, primary}, {INT_MIN, primary}};
    for (const auto& [focused, pressed] : cases) EXPECT_EQ(enter_button(focused), pressed) << focused;
}

TEST(EventDecisions, ShellResultAbove32IsSuccess)
{
    struct Case {
        std::intptr_t result;
        bool short_form;
        UiPhase expected;
    };
    const Case cases[] = {
        {33, false, opened_phase(false, 3)},
        {33, true, opened_phase(true, 3)},
        {42, false, opened_phase(false, 3)},
        {INTPTR_MAX, true, opened_phase(true, 3)},
        {32, false, open_failed_phase(false)},
        {32, true, open_failed_phase(false)},
        {31, false, open_failed_phase(false)},
        {2, false, open_failed_phase(false)},
        {0, true, open_failed_phase(false)},
        {-1, false, open_failed_phase(false)},
        {INTPTR_MIN, false, open_failed_phase(false)},
        // A handle-sized value that a 32-bit truncation would turn negative.
        {static_cast<std::intptr_t>(INT64_C(0x80000021)), false, opened_phase(false, 3)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(phase_after_open(c.result, c.short_form), c.expected) << c.result << " " << c.short_form;
}

// OpenLink as the hand-off runs it: the form from the phase it starts in, then the shell's answer.
TEST(EventDecisions, OpenLinkFromEachPhase)
{
    struct Case {
        UiPhase from;
        std::intptr_t shell;
        UiPhase to;
    };
    const Case cases[] = {
        {open_countdown_phase(true, 1), 33, opened_phase(true, 3)},
        {open_countdown_phase(false, 3), 42, opened_phase(false, 3)},
        {not_opened_phase(true, 6), 33, opened_phase(true, 3)},
        {not_opened_phase(false, 6), 33, opened_phase(false, 3)},
        // From any other phase the full link is built.
        {opened_phase(true, 2), 33, opened_phase(false, 3)},
        {open_failed_phase(true), 33, opened_phase(false, 3)},
        {scanning_phase(), 33, opened_phase(false, 3)},
        {not_opened_phase(true, 6), 31, open_failed_phase(false)},
        {open_failed_phase(true), 2, open_failed_phase(false)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(phase_after_open(c.shell, open_link_short_form(c.from)), c.to) << describe(c.from);
}

// What the user sees: 3, 2, 1 on the screen, then one tick later the ending.
TEST(EventDecisions, CountsShowEachNumberForOneTick)
{
    struct Case {
        UiPhase start;
        std::vector<std::uint32_t> shown;
        TickStep end;
    };
    const Case cases[] = {
        {open_countdown_phase(false, 3), {3, 2, 1}, TickStep::OpenLink},
        {opened_phase(true, 3), {3, 2, 1}, TickStep::Destroy},
        {not_opened_phase(false, 10), {10, 9, 8, 7, 6, 5, 4, 3, 2, 1}, TickStep::Destroy},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(describe(c.start));
        std::vector<std::uint32_t> shown;
        UiPhase phase = c.start;
        TickDecision tick;
        for (int guard = 0; guard < 20; ++guard) {
            shown.push_back(phase.seconds);
            tick = on_tick(phase);
            if (tick.step != TickStep::Apply) break;
            EXPECT_EQ(tick.phase.state, c.start.state);
            EXPECT_EQ(tick.phase.nothing_found, c.start.nothing_found);
            phase = tick.phase;
        }
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(tick.step, c.end);
    }
}

TEST(NothingFound, OnlyTheFiveHardwareFindingsCount)
{
    struct Case {
        const char* what;
        ScanReport report;
        bool nothing;
    };
    ScanReport storage_and_settings;
    storage_and_settings.storage_kind = "nvme";
    storage_and_settings.settings = full_settings();
    ScanReport rate_only;
    rate_only.refresh_hz = 60;
    ScanReport empty_processor;
    empty_processor.processor_name = "";
    ScanReport graphics;
    graphics.graphics_name = "Acme GPU";
    ScanReport memory;
    memory.memory_gb = 0;
    ScanReport size;
    size.display_size = DisplaySize{0, 0};
    const Case cases[] = {
        {"empty", {}, true},
        {"storage and settings", storage_and_settings, true},
        {"refresh rate", rate_only, false},
        {"empty processor name", empty_processor, false},
        {"graphics", graphics, false},
        {"memory 0", memory, false},
        {"display size 0 x 0", size, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(nothing_found(c.report), c.nothing) << c.what;
        EXPECT_EQ(phase_after_scan(c.report), open_countdown_phase(c.nothing, 3)) << c.what;
    }
}

TEST(RowValueText, EveryRowPresentAndAbsent)
{
    struct Case {
        const char* what;
        RowKind row;
        ScanReport report;
        std::string text;
        bool found;
    };
    ScanReport full;
    full.processor_name = "AMD Ryzen 7 7800X3D 8-Core Processor";
    full.graphics_name = "NVIDIA GeForce RTX 4070";
    full.memory_gb = 32;
    full.display_size = DisplaySize{2560, 1440};
    full.refresh_hz = 165;
    full.storage_kind = "nvme";
    full.settings = full_settings();

    const auto with = [](auto set) {
        ScanReport r;
        set(r);
        return r;
    };
    const std::string not_found = "not found";
    const Case cases[] = {
        {"processor", RowKind::Processor, full, "AMD Ryzen 7 7800X3D 8-Core Processor", true},
        {"processor, other text kept", RowKind::Processor,
         with([](ScanReport& r) { r.processor_name = "Intel\xC2\xAE  Core\xE2\x84\xA2 i9"; }),
         "Intel\xC2\xAE  Core\xE2\x84\xA2 i9", true},
        {"processor absent", RowKind::Processor, with([](ScanReport& r) { r.graphics_name = "x"; }), not_found, false},
        {"graphics", RowKind::GraphicsCard, full, "NVIDIA GeForce RTX 4070", true},
        {"graphics absent", RowKind::GraphicsCard, with([](ScanReport& r) { r.processor_name = "x"; }), not_found,
         false},
        {"memory", RowKind::Memory, with([](ScanReport& r) { r.memory_gb = 16; }), "16 GB", true},
        {"memory 0", RowKind::Memory, with([](ScanReport& r) { r.memory_gb = 0; }), "0 GB", true},
        {"memory max", RowKind::Memory, with([](ScanReport& r) { r.memory_gb = UINT32_MAX; }), "4294967295 GB", true},
        {"memory absent", RowKind::Memory, {}, not_found, false},
        {"display size and rate", RowKind::Display, with([](ScanReport& r) {
             r.display_size = DisplaySize{1920, 1080};
             r.refresh_hz = 144;
         }),
         "1920" + times + "1080 @ 144 Hz", true},
        {"display size only", RowKind::Display, with([](ScanReport& r) {
             r.display_size = DisplaySize{1920, 1080};
         }),
         "1920" + times + "1080", true},
        {"display rate only", RowKind::Display, with([](ScanReport& r) { r.refresh_hz = 144; }), "144 Hz", true},
        {"display neither", RowKind::Display, with([](ScanReport& r) { r.memory_gb = 8; }), not_found, false},
        {"storage nvme", RowKind::Storage, full, "NVMe SSD", true},
        {"storage ssd", RowKind::Storage, with([](ScanReport& r) { r.storage_kind = "ssd"; }), "SSD", true},
        {"storage hdd", RowKind::Storage, with([](ScanReport& r) { r.storage_kind = "hdd"; }), "Hard drive (HDD)",
         true},
        {"storage absent", RowKind::Storage, {}, not_found, false},
        {"storage unknown code", RowKind::Storage, with([](ScanReport& r) { r.storage_kind = "usb"; }), not_found,
         false},
        {"storage code in capitals", RowKind::Storage, with([](ScanReport& r) { r.storage_kind = "NVME"; }), not_found,
         false},
        {"settings, all fifteen", RowKind::WindowsSettings, full, "15 checked", true},
        {"settings, none", RowKind::WindowsSettings, with([](ScanReport& r) { r.processor_name = "x"; }), not_found,
         false},
        {"settings, one fact that is off", RowKind::WindowsSettings,
         with([](ScanReport& r) { r.settings.game_mode = TriState::Off; }), "1 checked", true},
        // A driver date the link would not carry is not counted either.
        {"settings, twelve", RowKind::WindowsSettings, with([](ScanReport& r) {
             r.settings = full_settings();
             r.settings.power_plan.reset();
             r.settings.os_build.reset();
             r.settings.gpu_driver_date = "2024-06-14";
         }),
         "12 checked", true},
    };
    for (const Case& c : cases) {
        const RowText text = row_value_text(c.report, c.row);
        EXPECT_EQ(text.text, c.text) << c.what;
        EXPECT_EQ(text.found, c.found) << c.what;
        if (c.row == RowKind::WindowsSettings && c.found) {
            EXPECT_EQ(text.text, std::to_string(settings_query_pairs(c.report.settings).size()) + " checked");
        }
    }
    // A row number that does not exist reads as not found.
    EXPECT_EQ(row_value_text(full, static_cast<RowKind>(6)).text, not_found);
    EXPECT_FALSE(row_value_text(full, static_cast<RowKind>(6)).found);
}

TEST(RowAnnouncement, LabelAndValueTogether)
{
    ScanReport report;
    report.graphics_name = "NVIDIA GeForce RTX 4070";
    report.display_size = DisplaySize{1920, 1080};
    report.refresh_hz = 144;
    report.settings = full_settings();
    const std::pair<RowKind, std::string> cases[] = {
        {RowKind::Processor, "Processor: not found"},
        {RowKind::GraphicsCard, "Graphics card: NVIDIA GeForce RTX 4070"},
        {RowKind::Memory, "Memory: not found"},
        {RowKind::Display, "Display: 1920" + times + "1080 @ 144 Hz"},
        {RowKind::Storage, "Storage: not found"},
        {RowKind::WindowsSettings, "Windows settings: 15 checked"},
    };
    for (const auto& [row, text] : cases) EXPECT_EQ(row_announcement(report, row), text);
    // A row number that does not exist has nothing to say (and reads no label past the table).
    EXPECT_EQ(row_announcement(report, static_cast<RowKind>(6)), "");
    EXPECT_EQ(row_announcement(report, static_cast<RowKind>(255)), "");
}

// ---- Waiting for the user: a screen reader is running ----------------------

TEST(WaitingForUser, TheCountingPhasesLoseTheirCountOthersStay)
{
    struct Case {
        UiPhase phase;
        std::string header, message;
        HandOffAction primary_action, secondary_action;
    };
    const Case cases[] = {
        {waiting_for_user(open_countdown_phase(false, 3)), "Scan complete",
         "Choose Open now to see Quellix in your browser.", OpenLink, CancelOpen},
        {waiting_for_user(open_countdown_phase(true, 1)), "No hardware found",
         "Choose Open now to see Quellix in your browser.", OpenLink, CancelOpen},
        {waiting_for_user(not_opened_phase(true, 10)), "No hardware found",
         "Not opened. Choose Open now to see Quellix.", OpenLink, CloseApp},
        {waiting_for_user(opened_phase(false, 3)), "Scan complete",
         "Opened " + host() + dash + "your rig is ready.", CloseApp, None},
        {waiting_for_user(opened_phase(true, 2)), "No hardware found",
         "Opened " + host() + dash + "pick your parts there.", CloseApp, None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_TRUE(c.phase.waits_for_user);
        EXPECT_EQ(c.phase.seconds, 0u);
        const PhaseView view = phase_view(c.phase);
        EXPECT_EQ(view.header, c.header);
        EXPECT_EQ(view.message, c.message);
        EXPECT_EQ(view.primary_action, c.primary_action);
        EXPECT_EQ(view.secondary_action, c.secondary_action);
        EXPECT_FALSE(view.link_box_shown);
        // No count: no timer, and a tick, with or without a screen reader, shows it again.
        EXPECT_FALSE(timer_runs_in(c.phase));
        for (bool screen_reader : {false, true}) {
            const TickDecision tick = on_tick(c.phase, screen_reader);
            EXPECT_EQ(tick.step, TickStep::Apply);
            EXPECT_EQ(tick.phase, c.phase) << describe(tick.phase);
        }
        EXPECT_EQ(waiting_for_user(c.phase), c.phase);
        EXPECT_EQ(escape_action(c.phase), c.secondary_action == None ? c.primary_action : c.secondary_action);
    }
    for (const UiPhase& other : {scanning_phase(), open_failed_phase(false), open_failed_phase(true)}) {
        EXPECT_EQ(waiting_for_user(other), other) << describe(other);
        EXPECT_FALSE(waiting_for_user(other).waits_for_user);
    }
}

TEST(WaitingForUser, AScreenReaderStopsEveryCountAtTheNextTickOrSettingChange)
{
    const UiPhase counting[] = {open_countdown_phase(false, 3), open_countdown_phase(true, 1),
                                open_countdown_phase(false, 0), not_opened_phase(true, 10),
                                not_opened_phase(false, 1),     opened_phase(false, 3),
                                opened_phase(true, 1)};
    for (const UiPhase& phase : counting) {
        SCOPED_TRACE(describe(phase));
        // Even the last count neither opens nor closes: the window waits.
        const TickDecision tick = on_tick(phase, true);
        EXPECT_EQ(tick.step, TickStep::Apply);
        EXPECT_EQ(tick.phase, waiting_for_user(phase));
        EXPECT_EQ(tick.phase.state, phase.state);
        EXPECT_EQ(tick.phase.nothing_found, phase.nothing_found);
        EXPECT_EQ(phase_after_screen_reader_change(phase, true), waiting_for_user(phase));
        // Switched off: the count runs on as before.
        EXPECT_EQ(phase_after_screen_reader_change(phase, false), phase);
    }
    // A window that waits goes on waiting when the screen reader stops.
    const UiPhase waiting = waiting_for_user(not_opened_phase(false, 10));
    EXPECT_EQ(phase_after_screen_reader_change(waiting, false), waiting);
    for (const UiPhase& other : {scanning_phase(), open_failed_phase(false)}) {
        EXPECT_EQ(phase_after_screen_reader_change(other, true), other);
        EXPECT_EQ(on_tick(other, true).phase, other);
    }
}

TEST(WaitingForUser, TheNextPhaseWaitsWhileAScreenReaderRunsOrOnceTheWindowHasWaited)
{
    const UiPhase counting = open_countdown_phase(false, 2);
    const UiPhase waiting = waiting_for_user(counting);
    EXPECT_FALSE(next_phase_waits(counting, false));
    EXPECT_TRUE(next_phase_waits(counting, true));
    EXPECT_TRUE(next_phase_waits(waiting, false));
    EXPECT_TRUE(next_phase_waits(waiting, true));
    EXPECT_TRUE(next_phase_waits(scanning_phase(), true));
    EXPECT_FALSE(next_phase_waits(open_failed_phase(true), false));

    ScanReport found;
    found.memory_gb = 16;
    EXPECT_EQ(phase_after_scan(found, true), waiting_for_user(open_countdown_phase(false, 3)));
    EXPECT_EQ(phase_after_scan({}, true), waiting_for_user(open_countdown_phase(true, 3)));
    EXPECT_EQ(phase_after_scan(found, false), open_countdown_phase(false, 3));

    EXPECT_EQ(phase_after_cancel(waiting, true), waiting_for_user(not_opened_phase(false, 10)));
    EXPECT_EQ(phase_after_cancel(counting, false), not_opened_phase(false, 10));
    EXPECT_EQ(phase_after_cancel(waiting_for_user(opened_phase(true, 3)), true),
              waiting_for_user(opened_phase(true, 3)));

    EXPECT_EQ(phase_after_open(33, true, true), waiting_for_user(opened_phase(true, 3)));
    EXPECT_EQ(phase_after_open(33, false, false), opened_phase(false, 3));
    // The fallback has no count either way.
    EXPECT_EQ(phase_after_open(32, false, true), open_failed_phase(false));
}

// A whole run with a screen reader: the window never acts on its own; only the user's choices move it.
TEST(WaitingForUser, ARunWithAScreenReaderMovesOnlyByTheUsersChoices)
{
    ScanReport report;
    report.processor_name = "Acme";
    UiPhase phase = phase_after_scan(report, next_phase_waits(scanning_phase(), true));
    for (int tick = 0; tick < 100; ++tick) ASSERT_EQ(on_tick(phase, true).phase, phase);
    EXPECT_EQ(phase_view(phase).message, "Choose Open now to see Quellix in your browser.");
    ASSERT_EQ(button_action(phase, control_id::primary), OpenLink);

    // Open now, and the browser starts; the screen reader has been switched off meanwhile.
    phase = phase_after_open(33, open_link_short_form(phase), next_phase_waits(phase, false));
    EXPECT_EQ(phase, waiting_for_user(opened_phase(false, 3)));
    for (int tick = 0; tick < 100; ++tick) ASSERT_EQ(on_tick(phase, false).step, TickStep::Apply);
    EXPECT_EQ(escape_action(phase), CloseApp);
}
