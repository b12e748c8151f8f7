#include "checks/pacing.h"

std::optional<std::int64_t> pacing_wait_ns(std::int64_t now_ns, std::int64_t last_post_ns)
{
    const std::int64_t elapsed = now_ns < last_post_ns ? 0 : now_ns - last_post_ns;
    if (elapsed > row_spacing_ns) return std::nullopt;
    return row_spacing_ns - elapsed;
}

std::uint32_t sleep_ms_for(std::int64_t ns)
{
    if (ns <= 0) return 0;
    return static_cast<std::uint32_t>((ns + 999'999) / 1'000'000);
}
