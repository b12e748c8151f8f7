// The pacing sleep between rows, with the timer, sleep and clock calls replaced.
#include "checks/scan_win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace qd::checks;

TEST(Pacing, WithoutHighResolutionTimersSleepsInWholeMilliseconds)
{
    // Windows builds before high-resolution waitable timers refuse the flag.
    // Sleep may end up to a clock tick early by the performance counter; the
    // pacing then adds a millisecond at a time until the wait is whole.
    const struct {
        std::int64_t ns;
        std::int64_t sleep_short_by_ns;  // how much earlier the fake's first Sleep returns
        std::vector<DWORD> sleeps;
    } cases[] = {
        {180'000'000, 0, {180}},
        {12'300'001, 0, {13}},
        {180'000'000, 400'000, {180, 1}},
        {180'000'000, 2'500'000, {180, 1, 1, 1}},
        {0, 0, {0}},
    };
    struct FakeClock {
        std::int64_t clock = 5'000'000'000;
        std::int64_t sleep_short_by_ns;
        std::vector<DWORD> sleeps;
    };
    for (const auto& c : cases) {
        FakeClock fake{.sleep_short_by_ns = c.sleep_short_by_ns, .sleeps = {}};
        PacingApi api;
        api.context = &fake;
        api.create_timer = [](void*) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return HANDLE{nullptr};
        };
        api.sleep = [](void* context, DWORD ms) {
            FakeClock& f = *static_cast<FakeClock*>(context);
            f.sleeps.push_back(ms);
            f.clock += std::int64_t{ms} * 1'000'000 - (f.sleeps.size() == 1 ? f.sleep_short_by_ns : 0);
        };
        api.now = [](void* context) { return static_cast<FakeClock*>(context)->clock; };
        pace_sleep(c.ns, api);
        EXPECT_EQ(fake.sleeps, c.sleeps) << c.ns << " ns";
    }
}

TEST(Pacing, HighResolutionTimerWaitsWithoutSleep)
{
    int sleeps = 0;
    PacingApi api;
    api.context = &sleeps;
    api.sleep = [](void* context, DWORD) { ++*static_cast<int*>(context); };
    pace_sleep(20'000'000, api);
    EXPECT_EQ(sleeps, 0);
}
