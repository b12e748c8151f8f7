// The storage reader against the physical drives of real-looking machines.
#include "checks/storage_win.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "machines.h"

using namespace qd::test;
using namespace qd::checks;

namespace {

// Drive calls answered from a record. Each opened drive is a real event
// handle, so that the reader's closing can be checked.
struct FakeDrives {
    explicit FakeDrives(const MachineRecord& record) : replay(qd::kit::replay_api(record)) {}

    StorageApi api()
    {
        StorageApi api = replay.storage;
        api.context = this;
        api.open_drive = [](void* context, const wchar_t* path) -> HANDLE {
            FakeDrives& self = *static_cast<FakeDrives*>(context);
            const HANDLE h = self.replay.storage.open_drive(self.replay.storage.context, path);
            if (h != INVALID_HANDLE_VALUE) self.handed_out.push_back(h);
            return h;
        };
        api.control = [](void* context, HANDLE h, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size,
                         DWORD* returned) {
            const StorageApi& replayed = static_cast<FakeDrives*>(context)->replay.storage;
            return replayed.control(replayed.context, h, code, in, in_size, out, out_size, returned);
        };
        return api;
    }
    // Every handle the reader was given has been closed.
    bool all_closed() const
    {
        DWORD flags = 0;
        for (const HANDLE h : handed_out)
            if (GetHandleInformation(h, &flags)) return false;
        return true;
    }

    qd::kit::MachineApi replay;  // keeps the replay's drive handles alive
    std::vector<HANDLE> handed_out;
};

}  // namespace

TEST(StorageReader, EachMachine)
{
    ASSERT_GE(machines().size(), 4u);
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.file + ": " + m.what());
        FakeDrives drives(m.record);
        EXPECT_EQ(shown(probe_storage(drives.api()).value), expected(m, "storage"));
        EXPECT_TRUE(drives.all_closed());
    }
}

TEST(StorageReader, SeekPenaltyRepliesOfEverySize)
{
    // One SATA drive, so the kind rests on its seek-penalty reply alone. The
    // byte sits at offset 8: a reply that stops at or before it says nothing.
    for (const int penalty : {0, 1}) {
        for (DWORD bytes = 0; bytes <= 12; ++bytes) {
            const MachineRecord m = record_from("quellix-record 1\nwhat one SATA drive\ndrive 0 bus=11 seek-bytes=" +
                                                std::to_string(bytes) + " penalty=" + std::to_string(penalty) + "\n");
            FakeDrives drives(m);
            const std::optional<std::string_view> expected =
                bytes <= 8 ? std::nullopt : std::optional<std::string_view>(penalty == 0 ? "ssd" : "hdd");
            EXPECT_EQ(probe_storage(drives.api()).value, expected) << "penalty " << penalty << ", " << bytes << " bytes";
        }
    }
    const MachineRecord refused = record_from("quellix-record 1\ndrive 0 bus=11 seek-error=1\n");
    FakeDrives drives(refused);
    EXPECT_EQ(probe_storage(drives.api()).value, std::nullopt);
}

TEST(StorageReader, DrivesThatDoNotAnswerAreSkipped)
{
    // A card reader with no card answers nothing; the drive after the gaps and
    // the silent one still counts, up to PhysicalDrive15.
    const MachineRecord m = record_from("quellix-record 1\n"
                                        "what card reader, gaps, NVMe last\n"
                                        "drive 2 device-error=1\n"
                                        "drive 15 bus=17 seek-error=1\n"
                                        "drive 16 bus=11 penalty=0\n");
    FakeDrives drives(m);
    EXPECT_EQ(probe_storage(drives.api()).value, "nvme");
    EXPECT_TRUE(drives.all_closed());
    EXPECT_EQ(drives.handed_out.size(), 2u);
    const MachineRecord beyond = record_from("quellix-record 1\ndrive 16 bus=17 penalty=0\n");
    FakeDrives none(beyond);
    EXPECT_EQ(probe_storage(none.api()).value, std::nullopt);
}
