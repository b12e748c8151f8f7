// The storage reader's calls to the system, gathered so that a test can answer
// them the way a real machine does. Include only from *_win.cpp files.
#pragma once
#include "checks/platform_win.h"
#include "checks/storage.h"

namespace qd::checks {

// Plain function pointers: each gets `context` first (a test's answers; the
// system's calls need none).
struct StorageApi {
    void* context = nullptr;
    // CreateFileW of "\\.\PhysicalDriveN" for queries only: INVALID_HANDLE_VALUE when it fails.
    using OpenDrive = HANDLE (*)(void* context, const wchar_t* path);

    OpenDrive open_drive = [](void*, const wchar_t* path) {
        return CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    // DeviceIoControl without overlapped I/O.
    using Control = BOOL (*)(void* context, HANDLE drive, DWORD code, void* in, DWORD in_size, void* out,
                             DWORD out_size, DWORD* returned);

    Control control = [](void*, HANDLE drive, DWORD code, void* in, DWORD in_size, void* out, DWORD out_size,
                         DWORD* returned) {
        return DeviceIoControl(drive, code, in, in_size, out, out_size, returned, nullptr);
    };
};

// Asks every PhysicalDriveN (N below max_physical_drives, gaps allowed) for its
// bus type and seek penalty and classifies the drives that answered.
Finding<std::string_view> probe_storage(const StorageApi& api = {});

}  // namespace qd::checks
