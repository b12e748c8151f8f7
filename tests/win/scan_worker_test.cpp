// The scan worker against real Win32 threads, timers and message queues.
#include "checks/owned_win.h"
#include "checks/scan_win.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <new>
#include <vector>

using namespace qd::checks;

// Counts the heap blocks alive in this test process, so that a test can see
// whether the worker released every record it could not hand over.
namespace {
std::atomic<long> blocks_alive{0};
}

void* operator new(std::size_t size)
{
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    ++blocks_alive;
    return p;
}
void operator delete(void* p) noexcept
{
    if (p == nullptr) return;
    --blocks_alive;
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

struct Received {
    UINT message;
    RowKind kind;
    std::int64_t at_ns;  // when the window handled it
    DWORD posted_ms;     // when it was posted: the message's time, on the tick count
};

std::vector<Received>* received = nullptr;
ScanReport* report_seen = nullptr;  // when set, every row's findings go into it

constexpr DWORD tick_step_ms = 16;  // the coarsest step of the tick count on Windows

LRESULT CALLBACK recording_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == wm_scan_row) {
        auto row = take_row_message(lparam);
        received->push_back({message, row_kind(*row), monotonic_ns(), static_cast<DWORD>(GetMessageTime())});
        if (report_seen != nullptr) take_row(*report_seen, std::move(*row));
        return 0;
    }
    if (message == wm_scan_finished) {
        received->push_back({message, RowKind::Processor, monotonic_ns(), static_cast<DWORD>(GetMessageTime())});
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

HWND make_hidden_window()
{
    static const ATOM atom = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = recording_proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuellixScanWorkerTest";
        return RegisterClassExW(&wc);
    }();
    return CreateWindowExW(0, MAKEINTATOM(atom), L"", 0, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr),
                           nullptr);
}

DWORD WINAPI scan_proc(LPVOID window)
{
    run_scan(static_cast<HWND>(window));
    return 0;
}

}  // namespace

TEST(ScanWorker, PostsSixRowsInOrderThenTheEndPacedAtLeast180msApart)
{
    std::vector<Received> log;
    received = &log;
    HWND window = make_hidden_window();
    ASSERT_NE(window, nullptr);

    const std::int64_t started = monotonic_ns();
    start_scan_worker(window);
    MSG msg;
    const std::int64_t deadline = started + 30'000'000'000LL;
    while ((log.empty() || log.back().message != wm_scan_finished) && monotonic_ns() < deadline) {
        if (MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT) == WAIT_OBJECT_0) {
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
    }
    DestroyWindow(window);
    received = nullptr;

    ASSERT_EQ(log.size(), 7u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(log[i].message, wm_scan_row);
        EXPECT_EQ(log[i].kind, static_cast<RowKind>(i));
        // Row i is posted no sooner than (i + 1) x 180 ms after the start and
        // handled after it was posted: a hard bound, whatever the load.
        EXPECT_GE(log[i].at_ns - started, (i + 1) * 180'000'000LL) << "row " << i;
        // The spacing itself, where the rows are posted: a busy machine can
        // make the window handle one row late and the next on time, but it
        // cannot bring two posts closer. The message time is the tick count
        // at the post, which may advance in steps of up to 16 ms.
        if (i > 0) {
            EXPECT_GE(log[i].posted_ms - log[i - 1].posted_ms, 180u - tick_step_ms) << "row " << i;
        }
    }
    EXPECT_EQ(log[6].message, wm_scan_finished);
}

TEST(ScanWorker, ReleasesEveryRecordItCannotPost)
{
    // A window that no longer exists: every post fails.
    HWND window = make_hidden_window();
    ASSERT_NE(window, nullptr);
    DestroyWindow(window);

    auto run_once = [&] {
        UniqueHandle thread(CreateThread(nullptr, 0, scan_proc, window, 0, nullptr));
        ASSERT_TRUE(thread);
        ASSERT_EQ(WaitForSingleObject(thread.get(), 60'000), WAIT_OBJECT_0);
    };
    run_once();  // first run settles any one-time allocations of the system libraries
    const long before = blocks_alive.load();
    run_once();
    EXPECT_EQ(blocks_alive.load(), before);
}

TEST(ScanWorker, PostRowToADestroyedWindowReleasesTheRow)
{
    HWND window = make_hidden_window();
    DestroyWindow(window);
    std::int64_t last_post = monotonic_ns() - 1'000'000'000;
    const long before = blocks_alive.load();
    post_row(last_post, window, {ProcessorRow{std::string(100, 'x')}});  // owns a heap text
    EXPECT_EQ(blocks_alive.load(), before);
}

// ---- A probe that never returns -------------------------------------------

namespace {

// Probes that answer at once, so that only the blocked one and the pacing
// take time.
ScanApi quick_probes(std::vector<std::string>& lines)
{
    ScanApi api;
    api.processor = [] { return found<std::string>("Acme CPU"); };
    api.graphics = [] { return found<std::string>("Acme GPU"); };
    api.memory_size = [] { return found<std::uint32_t>(16); };
    api.display = [] {
        DisplayProbe probe;
        probe.displays = {{{1920, 1080, 60}, {{1920, 1080, 60}}}};
        probe.display_size = DisplaySize{1920, 1080};
        probe.refresh_hz = 60;
        return found(probe);
    };
    api.storage = [] { return found<std::string_view>("nvme"); };
    api.settings = [](const std::optional<std::string>&, const std::vector<DisplayInfo>&) {
        return std::vector<SettingsProbe>{
            {"power plan", [](SettingsSnapshot& s, AbsentFindings&) { s.power_plan = "hp"; }},
            {"game mode", [](SettingsSnapshot& s, AbsentFindings&) { s.game_mode = TriState::On; }},
            {"windows build", [](SettingsSnapshot& s, AbsentFindings&) { s.os_build = 22631; }},
        };
    };
    api.debug_output = [&lines](const std::string& line) { lines.push_back(line); };
    return api;
}

// Holds the probes that block until the test is over, then lets them go and
// waits for their threads, so that nothing is left running into the next test.
class Blocker {
public:
    Blocker() : release_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    Blocker(const Blocker&) = delete;
    Blocker& operator=(const Blocker&) = delete;
    ~Blocker()
    {
        SetEvent(release_.get());
        for (int i = 0; i < 500 && probe_left_running(); ++i) Sleep(10);
    }
    template <typename T>
    std::function<Finding<T>()> probe() const
    {
        HANDLE release = release_.get();
        return [release] {
            WaitForSingleObject(release, INFINITE);
            return absent<T>("let go");
        };
    }
    void let_go() const { SetEvent(release_.get()); }

private:
    UniqueHandle release_;
};

struct ScanRun {
    std::vector<Received> log;
    ScanReport report;
    std::vector<std::string> lines;
    std::int64_t started = 0;
    bool finished = false;
};

DWORD WINAPI scan_with_api(LPVOID parameter);

struct ScanCall {
    HWND window;
    ScanApi api;
    std::uint32_t deadline_ms;
};

DWORD WINAPI scan_with_api(LPVOID parameter)
{
    const std::unique_ptr<ScanCall> call(static_cast<ScanCall*>(parameter));
    run_scan(call->window, call->api, call->deadline_ms);
    return 0;
}

// Runs the scan with `api` on a thread of its own and handles its messages
// until the end message or `limit_ms`; a blocked scan lets `blocker`'s probes go.
void run_scan_with(ScanRun& run, ScanApi api, std::uint32_t deadline_ms, const Blocker& blocker, DWORD limit_ms)
{
    received = &run.log;
    report_seen = &run.report;
    HWND window = make_hidden_window();
    ASSERT_NE(window, nullptr);
    run.started = monotonic_ns();
    UniqueHandle thread(CreateThread(nullptr, 0, scan_with_api, new ScanCall{window, std::move(api), deadline_ms}, 0,
                                     nullptr));
    ASSERT_TRUE(thread);
    const std::int64_t until = run.started + std::int64_t{limit_ms} * 1'000'000;
    MSG msg;
    while ((run.log.empty() || run.log.back().message != wm_scan_finished) && monotonic_ns() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    run.finished = !run.log.empty() && run.log.back().message == wm_scan_finished;
    blocker.let_go();
    WaitForSingleObject(thread.get(), 30'000);
    DestroyWindow(window);
    received = nullptr;
    report_seen = nullptr;
}

bool has_line(const std::vector<std::string>& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Every row in order, then the end; the blocked row (`row`) posted no sooner
// than the deadline after the row before it (the probe starts after that post).
void expect_rows_in_order_with_a_late_one(const ScanRun& run, int row, std::uint32_t deadline_ms)
{
    ASSERT_TRUE(run.finished) << "the scan did not end";
    ASSERT_EQ(run.log.size(), 7u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(run.log[i].kind, static_cast<RowKind>(i)) << "row " << i;
    if (row == 0)
        EXPECT_GE(run.log[0].at_ns - run.started, std::int64_t{deadline_ms} * 1'000'000);
    else
        EXPECT_GE(run.log[row].posted_ms - run.log[row - 1].posted_ms, deadline_ms - tick_step_ms) << "row " << row;
    EXPECT_GE(run.log[6].at_ns - run.started, std::int64_t{deadline_ms} * 1'000'000);
}

}  // namespace

TEST(ScanWorker, AProbeThatNeverReturnsCostsOnlyItsOwnRowAndTheDeadline)
{
    constexpr std::uint32_t deadline_ms = 600;
    struct Case {
        const char* finding;
        int row;
        std::function<void(ScanApi&, const Blocker&)> block;
        std::function<bool(const ScanReport&)> absent;
    };
    const Case cases[] = {
        {"processor", 0, [](ScanApi& a, const Blocker& b) { a.processor = b.probe<std::string>(); },
         [](const ScanReport& r) { return !r.processor_name; }},
        {"graphics", 1, [](ScanApi& a, const Blocker& b) { a.graphics = b.probe<std::string>(); },
         [](const ScanReport& r) { return !r.graphics_name; }},
        {"memory size", 2, [](ScanApi& a, const Blocker& b) { a.memory_size = b.probe<std::uint32_t>(); },
         [](const ScanReport& r) { return !r.memory_gb; }},
        {"display", 3, [](ScanApi& a, const Blocker& b) { a.display = b.probe<DisplayProbe>(); },
         [](const ScanReport& r) { return !r.display_size && !r.refresh_hz; }},
        {"storage", 4, [](ScanApi& a, const Blocker& b) { a.storage = b.probe<std::string_view>(); },
         [](const ScanReport& r) { return !r.storage_kind; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.finding);
        const Blocker blocker;
        ScanRun run;
        ScanApi api = quick_probes(run.lines);
        c.block(api, blocker);
        // Six rows of 180 ms, the deadline, and a generous margin for a busy machine.
        run_scan_with(run, api, deadline_ms, blocker, 1080 + deadline_ms + 10'000);
        expect_rows_in_order_with_a_late_one(run, c.row, deadline_ms);
        EXPECT_TRUE(c.absent(run.report));
        EXPECT_TRUE(has_line(run.lines, std::string("Quellix Detect: ") + c.finding + ": timed out after 600 ms"));
        EXPECT_EQ(run.lines.size(), 1u) << run.lines.front();
        // The other rows carry what their probes found.
        EXPECT_EQ(run.report.processor_name.has_value(), c.row != 0);
        EXPECT_EQ(run.report.graphics_name.has_value(), c.row != 1);
        EXPECT_EQ(run.report.memory_gb.has_value(), c.row != 2);
        EXPECT_EQ(run.report.display_size.has_value(), c.row != 3);
        EXPECT_EQ(run.report.storage_kind.has_value(), c.row != 4);
        EXPECT_EQ(run.report.settings.os_build, 22631u);
    }
}

TEST(ScanWorker, ASettingsProbeThatNeverReturnsLosesOnlyItsOwnSetting)
{
    constexpr std::uint32_t deadline_ms = 600;
    const Blocker blocker;
    ScanRun run;
    ScanApi api = quick_probes(run.lines);
    const auto blocked = blocker.probe<int>();
    api.settings = [blocked](const std::optional<std::string>& graphics, const std::vector<DisplayInfo>& displays) {
        std::vector<SettingsProbe> probes = ScanApi{}.settings(graphics, displays);
        // Keeps the program's own probes but the power plan's, whose driver call never returns.
        for (SettingsProbe& p : probes)
            if (p.finding == "power plan") p.read = [blocked](SettingsSnapshot&, AbsentFindings&) { blocked(); };
        return probes;
    };
    run_scan_with(run, api, deadline_ms, blocker, 1080 + deadline_ms + 10'000);
    expect_rows_in_order_with_a_late_one(run, 5, deadline_ms);
    EXPECT_FALSE(run.report.settings.power_plan);
    EXPECT_TRUE(has_line(run.lines, "Quellix Detect: power plan: timed out after 600 ms"));
    // What Wine's machine gives for the rest is all still there.
    EXPECT_TRUE(run.report.settings.os_build);
    EXPECT_TRUE(run.report.settings.free_space_gb);
    EXPECT_TRUE(run.report.settings.power_mode);
    EXPECT_EQ(run.report.settings.game_mode, TriState::On);
    EXPECT_EQ(run.report.settings.max_refresh_hz, 60u);  // from the display the fake probe found
    EXPECT_EQ(run.report.settings.gpu_driver_date, std::nullopt);
}

TEST(ScanWorker, TheProgramsOwnDeadlineHoldsABlockedGraphicsProbe)
{
    const Blocker blocker;
    ScanRun run;
    ScanApi api = quick_probes(run.lines);
    api.graphics = blocker.probe<std::string>();
    run_scan_with(run, api, probe_deadline_ms, blocker, 1080 + probe_deadline_ms + 10'000);
    expect_rows_in_order_with_a_late_one(run, 1, probe_deadline_ms);
    EXPECT_FALSE(run.report.graphics_name);
    EXPECT_TRUE(has_line(run.lines, "Quellix Detect: graphics: timed out after " +
                                        std::to_string(probe_deadline_ms) + " ms"));
    EXPECT_TRUE(run.report.processor_name && run.report.memory_gb && run.report.storage_kind);
}

TEST(ScanWorker, EveryAbsentFindingOfThisMachineSaysWhy)
{
    // The real probes against Wine's machine: the storage kind, the memory
    // speeds and the power plan are absent here, each with its own reason.
    const Blocker blocker;
    ScanRun run;
    ScanApi api;
    api.debug_output = [&run](const std::string& line) { run.lines.push_back(line); };
    run_scan_with(run, api, probe_deadline_ms, blocker, 60'000);
    ASSERT_TRUE(run.finished);
    EXPECT_TRUE(has_line(run.lines, "Quellix Detect: power plan: PowerGetActiveScheme failed with error 120"));
    for (const char* prefix : {"Quellix Detect: storage: PhysicalDrive0..15: ", "Quellix Detect: memory speeds: SMBIOS: "}) {
        EXPECT_TRUE(std::any_of(run.lines.begin(), run.lines.end(),
                                [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }))
            << prefix;
    }
    for (const std::string& line : run.lines) EXPECT_EQ(line.find('\n'), std::string::npos);
}
