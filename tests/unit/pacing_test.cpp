#include "checks/pacing.h"

#include <gtest/gtest.h>

TEST(Pacing, WaitsForTheRestOfTheSpacing)
{
    struct Case {
        std::int64_t now, last;
        std::optional<std::int64_t> wait;
    } cases[] = {
        {1'000'000'000, 1'000'000'000, 180'000'000},            // no time passed: full wait
        {1'050'000'000, 1'000'000'000, 130'000'000},            // part of it passed
        {1'180'000'000, 1'000'000'000, 0},                      // exactly 180 ms: zero-length sleep
        {1'180'000'001, 1'000'000'000, std::nullopt},           // a slow probe: no sleep at all
        {1'500'000'000, 1'000'000'000, std::nullopt},
        {999'000'000, 1'000'000'000, 180'000'000},              // clock reads earlier: full wait
        {INT64_MIN, INT64_MAX, 180'000'000},
    };
    for (const Case& c : cases) EXPECT_EQ(pacing_wait_ns(c.now, c.last), c.wait) << c.now << " " << c.last;
}

TEST(Pacing, SleepFallbackRoundsUpToWholeMilliseconds)
{
    EXPECT_EQ(sleep_ms_for(0), 0u);
    EXPECT_EQ(sleep_ms_for(1), 1u);
    EXPECT_EQ(sleep_ms_for(999'999), 1u);
    EXPECT_EQ(sleep_ms_for(1'000'000), 1u);
    EXPECT_EQ(sleep_ms_for(1'000'001), 2u);
    EXPECT_EQ(sleep_ms_for(180'000'000), 180u);
}
