#include "checks/storage_win.h"

#include <cstddef>

#include "checks/owned_win.h"
#include "checks/wide_win.h"

namespace qd::checks {

namespace {

// The byte layouts the portable part decodes.
static_assert(sizeof(STORAGE_PROPERTY_QUERY) == sizeof(StoragePropertyQuery));
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) == 28);
static_assert(sizeof(DEVICE_SEEK_PENALTY_DESCRIPTOR) == sizeof(SeekPenaltyReply));
static_assert(offsetof(DEVICE_SEEK_PENALTY_DESCRIPTOR, IncursSeekPenalty) == 8);
static_assert(IOCTL_STORAGE_QUERY_PROPERTY == ioctl_storage_query_property);

// Sends one property query; true when the call succeeded, with the bytes written.
template <std::size_t N>
bool query_property(const StorageApi& api, HANDLE drive, std::uint32_t property_id, std::array<std::uint8_t, N>& reply,
                    DWORD& returned)
{
    StoragePropertyQuery query = storage_property_query(property_id);
    returned = 0;
    return api.control(api.context, drive, ioctl_storage_query_property, query.data(), static_cast<DWORD>(query.size()),
                       reply.data(), static_cast<DWORD>(reply.size()), &returned) != 0;
}

// Adds drive n to `read` when it answers the device query.
void read_drive(const StorageApi& api, unsigned n, StorageRead& read)
{
    const UniqueFile drive(api.open_drive(api.context, to_wide(physical_drive_path(n)).c_str()));
    if (!drive) {  // no such drive (a gap in the numbers), or no access
        if (read.open_error == 0) read.open_error = GetLastError();
        return;
    }
    ++read.opened;

    DeviceDescriptorReply descriptor = {};
    DWORD returned = 0;
    bool ok = query_property(api, drive.get(), storage_device_property, descriptor, returned);
    if (!ok) read.device_error = GetLastError();
    const std::optional<std::uint32_t> bus_type = bus_type_from_reply(ok, descriptor, returned);
    if (!bus_type) return;  // the drive did not answer; no need to ask further

    SeekPenaltyReply penalty = {};
    ok = query_property(api, drive.get(), storage_seek_penalty_property, penalty, returned);
    if (!ok) read.seek_error = GetLastError();
    const std::uint8_t seek_penalty = seek_penalty_from_reply(ok, penalty, returned);

    read.drives.push_back(DriveInfo{*bus_type, seek_penalty});
}

}  // namespace

Finding<std::string_view> probe_storage(const StorageApi& api)
{
    StorageRead read;
    for (unsigned n = 0; n < max_physical_drives; ++n) read_drive(api, n, read);
    return storage_finding(read);
}

}  // namespace qd::checks
