// The field kit's scan: every machine record replayed through all the readers
// gives the findings its expect lines name, and a record of this machine
// (Wine's) replays to what the program's own readers find here.
#include "kit/field_scan_win.h"

#include <gtest/gtest.h>

#include <set>

#include "checks/display_win.h"
#include "checks/graphics_win.h"
#include "checks/memory_win.h"
#include "checks/processor.h"
#include "checks/storage_win.h"
#include "gui/phases.h"
#include "link/report_link.h"
#include "machines.h"

using namespace qd::test;
using namespace qd::checks;
using namespace qd::kit;

namespace {

std::string link_of(const ScanReport& report)
{
    return qd::link::build_report_link(report, qd::gui::nothing_found(report));
}

std::string record_text(const MachineRecord& record, const TimedScan& scan)
{
    std::string text = "quellix-record 1\nwhat this machine\n";
    for (const auto& [key, value] : report_expectations(scan.report)) text += fact_line("expect", key, value);
    text += "link " + link_of(scan.report) + "\n";
    return text + write_raw_sections(record);
}

std::vector<std::string> names(const AbsentFindings& absent)
{
    std::vector<std::string> list;
    for (const AbsentFinding& line : absent) list.push_back(line.finding);
    return list;
}

}  // namespace

TEST(MachineRecords, EachMachineThroughEveryReader)
{
    ASSERT_GE(machines().size(), 4u);
    std::set<std::string> known;
    for (const auto& [key, value] : report_expectations({})) known.insert(key);
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.file + ": " + m.what());
        EXPECT_FALSE(m.record.expect.empty());
        const TimedScan scan = scan_machine(replay_api(m.record));
        const auto found = report_expectations(scan.report);
        for (const auto& [key, want] : m.record.expect) {
            EXPECT_TRUE(known.count(key)) << "unknown finding '" << key << "'";
            for (const auto& [k, have] : found) {
                if (k == key) {
                    EXPECT_EQ(have, want) << key;
                }
            }
        }
        // A record the field kit wrote also names the link it made.
        if (m.record.link) {
            EXPECT_EQ(link_of(scan.report), *m.record.link);
        }
        EXPECT_EQ(scan.times_ms.size(), 19u);
        for (const AbsentFinding& line : scan.absent) EXPECT_FALSE(line.reason.empty()) << line.finding;
    }
}

TEST(MachineRecords, RecordingPassesEveryAnswerThroughAndReplaysTheSame)
{
    MachineRecord record;
    const TimedScan recorded = scan_machine(recording_api(record));
    // Recording changes nothing the readers see.
    EXPECT_EQ(recorded.report.processor_name, probe_processor().value);
    EXPECT_EQ(recorded.report.graphics_name, probe_graphics().value);
    EXPECT_EQ(recorded.report.memory_gb, probe_memory_size().value);
    const DisplayProbe display = probe_display();
    EXPECT_EQ(recorded.report.display_size, display.display_size);
    EXPECT_EQ(recorded.report.refresh_hz, display.refresh_hz);
    EXPECT_EQ(recorded.report.storage_kind, probe_storage().value);
    EXPECT_EQ(recorded.report.settings.os_build, scan_settings(std::nullopt, {}).os_build);
    ASSERT_FALSE(record.adapters.empty());
    ASSERT_FALSE(record.display_devices.empty());
    EXPECT_EQ(record.drives.size(), 16u);  // every drive number asked, found or not
    EXPECT_TRUE(record.power.has_value());

    // Through the text and back: the same findings and the same link.
    const std::string text = record_text(record, recorded);
    const MachineRecord back = record_from(text, "the record of this machine");
    const TimedScan replayed = scan_machine(replay_api(back));
    EXPECT_EQ(report_expectations(replayed.report), report_expectations(recorded.report));
    EXPECT_EQ(link_of(replayed.report), link_of(recorded.report));
    // The same findings absent (storage and the memory speeds among them under Wine).
    EXPECT_EQ(names(replayed.absent), names(recorded.absent));
    EXPECT_FALSE(recorded.absent.empty());

    // Nothing that names the user or the machine.
    wchar_t name[256] = {};
    DWORD size = 256;
    ASSERT_TRUE(GetUserNameW(name, &size));
    const std::string user = from_wide(name, 256);
    size = 256;
    ASSERT_TRUE(GetComputerNameW(name, &size));
    const std::string computer = from_wide(name, 256);
    for (const std::string& identifying : {user, computer}) {
        ASSERT_GE(identifying.size(), 2u);
        EXPECT_FALSE(contains(to_lower(text), to_lower(identifying))) << identifying << "\n" << text;
    }
}
