#include "checks/deadline_win.h"

#include <atomic>

#include "checks/owned_win.h"
#include "checks/platform_win.h"

namespace qd::checks {

namespace {

// Probe threads that missed their deadline and have not ended since.
std::atomic<int> probes_left{0};

struct BoundedWork {
    std::function<void()> work;
    std::atomic<bool> abandoned{false};
};

DWORD WINAPI bounded_thread(LPVOID parameter)
{
    // The thread's own share of the work: it outlives the waiter if need be.
    const std::unique_ptr<std::shared_ptr<BoundedWork>> share(static_cast<std::shared_ptr<BoundedWork>*>(parameter));
    const std::shared_ptr<BoundedWork> job = *share;
    job->work();
    job->work = nullptr;
    if (job->abandoned.exchange(false)) --probes_left;
    return 0;
}

}  // namespace

std::string run_within(std::function<void()> work, std::uint32_t deadline_ms)
{
    auto job = std::make_shared<BoundedWork>();
    job->work = std::move(work);
    auto* share = new std::shared_ptr<BoundedWork>(job);
    // 2 MiB reserved, as for the scan worker: the graphics stack can go deep.
    const UniqueHandle thread(
        CreateThread(nullptr, 0x200000, bounded_thread, share, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread) {
        const DWORD error = GetLastError();
        delete share;
        return call_failed("CreateThread", error);
    }
    // The thread's end, not only the work's: by then it has released what it held.
    if (WaitForSingleObject(thread.get(), deadline_ms) == WAIT_OBJECT_0) return {};
    ++probes_left;
    job->abandoned = true;
    // The work may have ended between the wait and the flag: count it once either way.
    if (WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0 && job->abandoned.exchange(false)) --probes_left;
    return timed_out_reason(deadline_ms);
}

bool probe_left_running() { return probes_left.load() > 0; }

}  // namespace qd::checks
