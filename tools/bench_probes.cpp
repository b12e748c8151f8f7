// Times each hardware probe: runs it N times (first argument, default 20) and
// prints the median of each and the sum of the medians, in milliseconds.
//   bench_probes.exe [N]
#include <algorithm>
#include <cstdio>
#include <vector>

#include "checks/display_win.h"
#include "checks/graphics_win.h"
#include "checks/memory_win.h"
#include "checks/processor.h"
#include "checks/storage_win.h"
#include "checks/wide_win.h"

using namespace qd::checks;

namespace {

double now_ms()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

template <typename Probe>
double median_ms(unsigned runs, Probe probe)
{
    std::vector<double> times;
    for (unsigned i = 0; i < runs; ++i) {
        const double began = now_ms();
        probe();
        times.push_back(now_ms() - began);
    }
    std::sort(times.begin(), times.end());
    const std::size_t mid = times.size() / 2;
    return times.size() % 2 ? times[mid] : (times[mid - 1] + times[mid]) / 2;
}

// Keeps a probe's result alive so the call is not optimised away, and shows it once.
template <typename T>
void consume(const T& value)
{
    static volatile bool any = false;
    any = any || static_cast<bool>(value);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    unsigned runs = 20;
    if (argc > 1) {
        const std::optional<std::uint32_t> n = parse_u32(from_wide(argv[1], 16));
        if (!n || *n == 0 || *n > 100000) {
            std::fprintf(stderr, "usage: bench_probes.exe [runs, 1 to 100000]\n");
            return 2;
        }
        runs = *n;
    }

    const std::optional<std::string> graphics_name = probe_graphics().value;
    const DisplayProbe display = probe_display();

    struct Row {
        const char* name;
        double ms;
    };
    const Row rows[] = {
        {"processor", median_ms(runs, [] { consume(probe_processor().value); })},
        {"graphics", median_ms(runs, [] { consume(probe_graphics().value); })},
        {"memory size", median_ms(runs, [] { consume(probe_memory_size().value); })},
        {"display", median_ms(runs, [] { consume(probe_display().display_size); })},
        {"storage", median_ms(runs, [] { consume(probe_storage().value); })},
        {"memory speeds", median_ms(runs, [] { consume(probe_memory_speeds().value); })},
        {"driver date", median_ms(runs, [&] { consume(probe_driver_date(graphics_name).value); })},
        {"max refresh", median_ms(runs, [&] { consume(max_refresh(display.displays)); })},
    };

    std::size_t modes = 0;
    for (const DisplayInfo& info : display.displays) modes += info.modes.size();
    std::printf("runs: %u; graphics: %s; displays: %zu, modes: %zu\n", runs,
                graphics_name ? graphics_name->c_str() : "not found", display.displays.size(), modes);
    double total = 0;
    for (const Row& row : rows) {
        std::printf("%-14s %9.3f ms\n", row.name, row.ms);
        total += row.ms;
    }
    std::printf("%-14s %9.3f ms\n", "total", total);
    return 0;
}
