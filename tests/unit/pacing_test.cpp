#include "checks/pacing.h"

#include <gtest/gtest.h>

using namespace qd::checks;

TEST(Pacing, WaitsForTheRestOfTheSpacing)
{
    struct Case {
        std::int64_t now, last;
        std::optional<std::int64_t> wait;
    } cases[] = {
        {1'000'000'000, 1'000'000'000, 180'000'000},   // no time passed: full wait
        {1'050'000'000, 1'000'000'000, 130'000'000},   // part of it passed
        {1'180'000'000, 1'000'000'000, 0},             // exactly 180 ms: zero-length sleep
        {1'180'000'001, 1'000'000'000, std::nullopt},  // a slow probe: no sleep at all
        {1'500'000'000, 1'000'000'000, std::nullopt},
        {999'000'000, 1'000'000'000, 180'000'000},  // clock reads earlier: full wait
        {INT64_MIN, INT64_MAX, 180'000'000},
        // Differences beyond INT64_MAX: far more than the spacing has passed.
        {INT64_MAX, -1, std::nullopt},
        {INT64_MAX, INT64_MIN, std::nullopt},
        {INT64_MIN + 5, INT64_MIN, 179'999'995},
    };
    for (const Case& c : cases) EXPECT_EQ(pacing_wait_ns(c.now, c.last), c.wait) << c.now << " " << c.last;
}

TEST(Pacing, SleepFallbackRoundsUpToWholeMilliseconds)
{
    constexpr std::int64_t ms = 1'000'000;
    const struct Case {
        std::int64_t ns;
        std::uint32_t sleep;
    } cases[] = {
        {INT64_MIN, 0},
        {-1, 0},
        {0, 0},
        {1, 1},
        {999'999, 1},
        {ms, 1},
        {ms + 1, 2},
        {180 * ms, 180},
        // No wrap past 32 bits and never INFINITE (0xFFFFFFFF).
        {0xFFFFFFFDLL * ms, 0xFFFFFFFD},
        {0xFFFFFFFELL * ms, longest_sleep_ms},
        {0xFFFFFFFDLL * ms + 1, longest_sleep_ms},
        {0x100000000LL * ms, longest_sleep_ms},
        {INT64_MAX - 999'998, longest_sleep_ms},
        {INT64_MAX, longest_sleep_ms},
    };
    for (const Case& c : cases) EXPECT_EQ(sleep_ms_for(c.ns), c.sleep) << c.ns;
}
