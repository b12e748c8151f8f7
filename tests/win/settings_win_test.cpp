// The power plan and battery readers against real-looking machines.
#include "checks/settings_win.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "checks/wide_win.h"
#include "machines.h"

using namespace qd::test;
using namespace qd::checks;

namespace {

// SYSTEM_POWER_STATUS: line, battery flag, percent, then the rest a real machine fills.
SYSTEM_POWER_STATUS power(BYTE ac, BYTE battery_flag, BYTE percent)
{
    SYSTEM_POWER_STATUS s = {};
    s.ACLineStatus = ac;
    s.BatteryFlag = battery_flag;
    s.BatteryLifePercent = percent;
    s.BatteryLifeTime = ac == 0 ? 9000 : 0xFFFFFFFF;
    s.BatteryFullLifeTime = 0xFFFFFFFF;
    return s;
}

}  // namespace

TEST(PowerReader, PlanOfEachMachine)
{
    ASSERT_GE(machines().size(), 4u);
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.file + ": " + m.what());
        EXPECT_EQ(shown(power_plan_code(read_active_scheme(qd::kit::replay_api(m.record).power))),
                  expected(m, "power-plan"));
    }
    MachineRecord unreadable = machine("desktop-rtx3070-nvme.txt").record;
    unreadable.scheme.reset();
    EXPECT_EQ(read_active_scheme(qd::kit::replay_api(unreadable).power), std::nullopt);
}

TEST(PowerReader, BatteryOfEachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.file + ": " + m.what());
        EXPECT_EQ(shown(on_battery_state(read_power_status(qd::kit::replay_api(m.record).power))),
                  expected(m, "on-battery"));
    }
    const struct {
        SYSTEM_POWER_STATUS status;
        TriState state;
    } laptops[] = {
        {power(1, 8 | 2, 40), TriState::Off},  // on mains, charging a low battery
        {power(1, 1, 100), TriState::Off},     // on mains, full
        {power(0, 4, 3), TriState::On},        // on battery, critical
        {power(0, 128, 255), TriState::Absent},
    };
    for (const auto& c : laptops) {
        PowerApi api;
        api.context = const_cast<SYSTEM_POWER_STATUS*>(&c.status);
        api.power_status = [](void* context, SYSTEM_POWER_STATUS* s) -> BOOL {
            *s = *static_cast<const SYSTEM_POWER_STATUS*>(context);
            return TRUE;
        };
        EXPECT_EQ(shown(on_battery_state(read_power_status(api))), shown(c.state))
            << int{c.status.ACLineStatus} << " " << int{c.status.BatteryFlag};
    }
    PowerApi failing;
    failing.power_status = [](void*, SYSTEM_POWER_STATUS*) -> BOOL { return FALSE; };
    EXPECT_FALSE(read_power_status(failing));
}

namespace {

constexpr ULONGLONG gib = 1ULL << 30;

// One volume as GetDiskFreeSpaceExW sees it. With a disk quota the bytes free
// to the user are fewer than the volume's free bytes; both differ from its size.
struct FakeDisk {
    const wchar_t* windows_directory;  // nullptr: GetSystemWindowsDirectoryW fails
    ULONGLONG free_to_caller;
    ULONGLONG total_free;
    bool fails = false;
    std::wstring asked_root{};  // the root the reader asked about
};

DiskApi disk_api(FakeDisk& disk)
{
    DiskApi api;
    api.context = &disk;
    api.windows_directory = [](void* context, wchar_t* buffer, UINT size) -> UINT {
        const FakeDisk& d = *static_cast<FakeDisk*>(context);
        if (d.windows_directory == nullptr) {
            SetLastError(ERROR_ACCESS_DENIED);
            return 0;
        }
        const UINT length = static_cast<UINT>(wcslen(d.windows_directory));
        if (length >= size) return length + 1;  // too small: the size needed, nothing written
        wcscpy(buffer, d.windows_directory);
        return length;
    };
    api.disk_free_space = [](void* context, const wchar_t* root, ULARGE_INTEGER* free_to_caller, ULARGE_INTEGER* total,
                             ULARGE_INTEGER* total_free) -> BOOL {
        FakeDisk& d = *static_cast<FakeDisk*>(context);
        d.asked_root = root;
        if (d.fails) {
            SetLastError(ERROR_NOT_READY);
            return FALSE;
        }
        if (free_to_caller != nullptr) free_to_caller->QuadPart = d.free_to_caller;
        if (total != nullptr) total->QuadPart = 1000 * gib;
        if (total_free != nullptr) total_free->QuadPart = d.total_free;
        return TRUE;
    };
    return api;
}

}  // namespace

TEST(FreeSpaceReader, AllFreeBytesOfTheWindowsDrive)
{
    const struct {
        FakeDisk disk;
        std::wstring root;
        std::optional<std::uint64_t> gb;
        std::string why_absent;
    } cases[] = {
        {{L"C:\\Windows", 100 * gib, 412 * gib + 5}, L"C:\\", 412u, ""},  // a quota leaves the user 100 GiB
        {{L"D:\\WINDOWS", 0, 64 * gib}, L"D:\\", 64u, ""},                // quota used up
        {{L"C:\\Windows", gib - 1, gib - 1}, L"C:\\", 0u, ""},
        {{L"C:\\Windows", gib, gib}, L"C:\\", 1u, ""},
        {{L"C:\\Windows", gib, gib, true}, L"C:\\", std::nullopt, "GetDiskFreeSpaceExW failed with error 21"},
        {{nullptr, gib, gib}, L"", std::nullopt, "GetSystemWindowsDirectoryW gave a length of 0 (error 5)"},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.disk.windows_directory != nullptr ? from_wide(c.disk.windows_directory, 260) : "no directory");
        const Finding<std::uint64_t> free_space = read_free_space_gb(disk_api(c.disk));
        EXPECT_EQ(free_space.value, c.gb);
        EXPECT_EQ(free_space.why_absent, c.why_absent);
        EXPECT_EQ(c.disk.asked_root, c.root);
    }
}
