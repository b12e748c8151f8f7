// Probes that call into the system run on a thread of their own with a
// deadline, so that a driver call that never returns costs the scan one
// finding and a few seconds, not the rest of the scan. Include only from
// *_win.cpp files.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "checks/finding.h"

namespace qd::checks {

// How long one probe may take before the scan goes on without its finding.
// Far beyond what a healthy PC needs, busy or not: the slowest probe, the
// graphics one, takes about 0.2 s under Wine on an idle machine (a software
// renderer building Direct3D's adapter list) and was seen to take more than
// 4 s on a 2-core machine at a load average of 20; on Windows a cold driver
// stack, or a laptop waking its discrete graphics chip, takes about a second.
// 10 s leaves the worst of those more than twice over, and a probe that
// blocks for good still costs the user only 10 s more of "Scanning your PC…".
inline constexpr std::uint32_t probe_deadline_ms = 10000;

// Runs `work` on a thread of its own and waits for that thread at most
// `deadline_ms`. Empty when it ended in time, else why not ("timed out after
// 10000 ms"). A thread that misses the deadline is left running, never ended
// from outside: `work` and everything it captured stay alive, on the heap,
// until it returns, however late.
std::string run_within(std::function<void()> work, std::uint32_t deadline_ms);

// True while a probe that missed its deadline is still running; the process
// then ends without its DLLs' detach handlers (see the program's entry).
bool probe_left_running();

// `probe()` on its own thread; its finding, or absent when it missed the deadline.
template <typename T>
Finding<T> within_deadline(const std::function<Finding<T>()>& probe, std::uint32_t deadline_ms)
{
    auto result = std::make_shared<Finding<T>>();
    std::string late = run_within([probe, result] { *result = probe(); }, deadline_ms);
    if (!late.empty()) return absent<T>(std::move(late));
    return std::move(*result);
}

}  // namespace qd::checks
