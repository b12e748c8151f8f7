#include "checks/pacing.h"

#include <cstdint>

namespace qd::checks {

std::optional<std::int64_t> pacing_wait_ns(std::int64_t now_ns, std::int64_t last_post_ns)
{
    if (now_ns <= last_post_ns) return row_spacing_ns;
    // now - last can exceed INT64_MAX (a clock near its top against a negative
    // last post); as unsigned it is exact for every now > last.
    const std::uint64_t elapsed = static_cast<std::uint64_t>(now_ns) - static_cast<std::uint64_t>(last_post_ns);
    if (elapsed > static_cast<std::uint64_t>(row_spacing_ns)) return std::nullopt;
    return row_spacing_ns - static_cast<std::int64_t>(elapsed);
}

std::uint32_t sleep_ms_for(std::int64_t ns)
{
    if (ns <= 0) return 0;
    // Divide first: ns + 999'999 would overflow near INT64_MAX.
    const std::int64_t ms = ns / 1'000'000 + (ns % 1'000'000 != 0 ? 1 : 0);
    if (ms >= longest_sleep_ms) return longest_sleep_ms;
    return static_cast<std::uint32_t>(ms);
}

}  // namespace qd::checks
