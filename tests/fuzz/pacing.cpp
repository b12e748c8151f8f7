// The pacing arithmetic from arbitrary clock values.
// Input: now and the last post (eight bytes each, ns), then a wait in ns.
#include "checks/pacing.h"
#include "fuzz_support.h"

using namespace qd::checks;

// Wide enough for any difference of two 64-bit times.
__extension__ typedef __int128 Wide;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzInput in(data, size);
    const std::int64_t now = in.i64();
    const std::int64_t last = in.i64();
    const std::int64_t ns = in.i64();

    // Never negative, never longer than the spacing; what has passed and what
    // is left add up to the spacing.
    const std::optional<std::int64_t> wait = pacing_wait_ns(now, last);
    const Wide elapsed = now > last ? Wide{now} - last : 0;
    FUZZ_CHECK(wait.has_value() == (elapsed <= row_spacing_ns));
    if (wait) FUZZ_CHECK(*wait >= 0 && *wait <= row_spacing_ns && elapsed + *wait == row_spacing_ns);

    // Whole milliseconds, rounded up, never 0 for a real wait and never INFINITE.
    const std::uint32_t ms = sleep_ms_for(ns);
    if (ns <= 0) {
        FUZZ_CHECK(ms == 0);
    } else {
        FUZZ_CHECK(ms >= 1 && ms <= longest_sleep_ms);
        const Wide span = Wide{ms} * 1'000'000;
        if (ms < longest_sleep_ms)
            FUZZ_CHECK(span >= ns && span - ns < 1'000'000);
        else
            FUZZ_CHECK(ns > Wide{longest_sleep_ms - 1} * 1'000'000);
    }
    if (wait) FUZZ_CHECK(sleep_ms_for(*wait) <= 180);
    return 0;
}
