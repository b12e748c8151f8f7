// The storage reader against the physical drives of real-looking machines.
#include "checks/storage_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "machines.h"

using namespace qd::test;
using namespace qd::checks;

namespace {

using smbios_fixture::Bytes;

// Drive calls answered from a machine. Each opened drive is a real event
// handle, so that the reader's closing can be checked.
struct FakeDrives {
    const Machine& machine;
    std::map<HANDLE, const FakeDrive*> open;
    std::vector<HANDLE> handed_out;

    StorageApi api()
    {
        StorageApi api;
        api.context = this;
        api.open_drive = [](void* context, const wchar_t* path) {
            return static_cast<FakeDrives*>(context)->open_drive(path);
        };
        api.control = [](void* context, HANDLE h, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size,
                         DWORD* returned) {
            return static_cast<FakeDrives*>(context)->control(h, code, in, in_size, out, out_size, returned);
        };
        return api;
    }

    HANDLE open_drive(const wchar_t* path)
    {
        for (const FakeDrive& d : machine.drives) {
            if (path != L"\\\\.\\PhysicalDrive" + std::to_wstring(d.number)) continue;
            if (d.open_error != 0) break;
            const HANDLE h = CreateEventW(nullptr, TRUE, FALSE, nullptr);
            open[h] = &d;
            handed_out.push_back(h);
            return h;
        }
        const FakeDrive* d = find(path);
        SetLastError(d != nullptr ? d->open_error : ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    BOOL control(HANDLE h, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size, DWORD* returned)
    {
        *returned = 0;
        const auto found = open.find(h);
        if (found == open.end() || code != IOCTL_STORAGE_QUERY_PROPERTY || in_size != sizeof(STORAGE_PROPERTY_QUERY))
            return fail(ERROR_INVALID_PARAMETER);
        STORAGE_PROPERTY_QUERY query;
        std::memcpy(&query, in, sizeof(query));
        if (query.QueryType != PropertyStandardQuery) return fail(ERROR_INVALID_PARAMETER);
        if (out_size < 8) return fail(ERROR_INSUFFICIENT_BUFFER);
        const FakeDrive& d = *found->second;
        if (query.PropertyId == StorageDeviceProperty) {
            if (!d.bus) return fail(ERROR_INVALID_FUNCTION);
            // The whole descriptor runs on with the vendor and product strings;
            // the system writes as much as the buffer holds.
            Bytes reply(0x100, 0);
            STORAGE_DEVICE_DESCRIPTOR desc = {};
            desc.Version = sizeof(STORAGE_DEVICE_DESCRIPTOR);
            desc.Size = static_cast<DWORD>(reply.size());
            desc.BusType = static_cast<STORAGE_BUS_TYPE>(*d.bus);
            desc.RemovableMedia = *d.bus == usb;
            std::memcpy(reply.data(), &desc, sizeof(desc));
            return give(reply, out, out_size, returned);
        }
        if (query.PropertyId == StorageDeviceSeekPenaltyProperty) {
            if (d.seek_penalty < 0) return fail(ERROR_INVALID_FUNCTION);
            DEVICE_SEEK_PENALTY_DESCRIPTOR desc = {};
            desc.Version = sizeof(desc);
            desc.Size = sizeof(desc);
            desc.IncursSeekPenalty = static_cast<BOOLEAN>(d.seek_penalty);
            Bytes reply(sizeof(desc));
            std::memcpy(reply.data(), &desc, sizeof(desc));
            reply.resize(d.seek_reply_bytes);
            return give(reply, out, out_size, returned);
        }
        return fail(ERROR_NOT_SUPPORTED);
    }

    const FakeDrive* find(const wchar_t* path) const
    {
        for (const FakeDrive& d : machine.drives)
            if (path == L"\\\\.\\PhysicalDrive" + std::to_wstring(d.number)) return &d;
        return nullptr;
    }
    static BOOL fail(DWORD error)
    {
        SetLastError(error);
        return FALSE;
    }
    static BOOL give(const Bytes& reply, void* out, DWORD out_size, DWORD* returned)
    {
        *returned = std::min<DWORD>(out_size, static_cast<DWORD>(reply.size()));
        std::memcpy(out, reply.data(), *returned);
        return TRUE;
    }
    // Every handle the reader was given has been closed.
    bool all_closed() const
    {
        DWORD flags = 0;
        for (const HANDLE h : handed_out)
            if (GetHandleInformation(h, &flags)) return false;
        return true;
    }
};

}  // namespace

TEST(StorageReader, EachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        FakeDrives drives{m, {}, {}};
        EXPECT_EQ(probe_storage(drives.api()).value, m.storage);
        EXPECT_TRUE(drives.all_closed());
    }
}

TEST(StorageReader, SeekPenaltyRepliesOfEverySize)
{
    // One SATA drive, so the kind rests on its seek-penalty reply alone. The
    // byte sits at offset 8: a reply that stops at or before it says nothing.
    for (const int penalty : {0, 1}) {
        for (DWORD bytes = 0; bytes <= 12; ++bytes) {
            const Machine m{.what = "one SATA drive",
                            .drives = {{.number = 0, .bus = sata, .seek_penalty = penalty, .seek_reply_bytes = bytes}}};
            FakeDrives drives{m, {}, {}};
            const std::optional<std::string_view> expected =
                bytes <= 8 ? std::nullopt : std::optional<std::string_view>(penalty == 0 ? "ssd" : "hdd");
            EXPECT_EQ(probe_storage(drives.api()).value, expected) << "penalty " << penalty << ", " << bytes << " bytes";
        }
    }
    const Machine refused{.what = "seek-penalty query refused", .drives = {{.number = 0, .bus = sata}}};
    FakeDrives drives{refused, {}, {}};
    EXPECT_EQ(probe_storage(drives.api()).value, std::nullopt);
}

TEST(StorageReader, DrivesThatDoNotAnswerAreSkipped)
{
    // A card reader with no card answers nothing; the drive after the gaps and
    // the silent one still counts, up to PhysicalDrive15.
    const Machine m{.what = "card reader, gaps, NVMe last",
                    .drives = {{.number = 2},
                               {.number = 15, .bus = nvme, .seek_penalty = -1},
                               {.number = 16, .bus = sata, .seek_penalty = 0}}};
    FakeDrives drives{m, {}, {}};
    EXPECT_EQ(probe_storage(drives.api()).value, "nvme");
    EXPECT_TRUE(drives.all_closed());
    const Machine beyond{.what = "only PhysicalDrive16", .drives = {{.number = 16, .bus = nvme, .seek_penalty = 0}}};
    FakeDrives none{beyond, {}, {}};
    EXPECT_EQ(probe_storage(none.api()).value, std::nullopt);
}
