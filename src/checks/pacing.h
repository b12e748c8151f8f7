// The spacing of the scan's row posts: each row waits until 180 ms have passed
// since the previous post (or, for the first row, since the scan started).
#pragma once
#include <cstdint>
#include <optional>

namespace qd::checks {

inline constexpr std::int64_t row_spacing_ns = 180'000'000;

// How long to sleep before the next row post, given monotonic times in ns.
// Empty: post at once (more than 180 ms have passed). Zero: a zero-length
// sleep that only gives up the time slice. A clock that reads earlier than
// last_post counts as no time passed.
std::optional<std::int64_t> pacing_wait_ns(std::int64_t now_ns, std::int64_t last_post_ns);

// Sleep() takes 0xFFFFFFFF as "forever": the longest finite sleep is one less.
inline constexpr std::uint32_t longest_sleep_ms = 0xFFFFFFFE;

// Sleep() length for a wait of `ns`: a part of a millisecond counts as a whole
// one; a wait beyond longest_sleep_ms is cut to it.
std::uint32_t sleep_ms_for(std::int64_t ns);

}  // namespace qd::checks
