// The graphics reader against the adapter lists of real-looking machines.
#include "checks/graphics_win.h"

#include <gtest/gtest.h>

#include "machines.h"

using namespace qd::test;
using namespace qd::checks;

TEST(GraphicsReader, EachMachine)
{
    ASSERT_GE(machines().size(), 4u);
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.file + ": " + m.what());
        EXPECT_EQ(shown(probe_graphics(qd::kit::replay_api(m.record).graphics)), expected(m, "graphics"));
    }
}

TEST(GraphicsReader, AdaptersThatCannotBeDescribedAreSkipped)
{
    MachineRecord laptop = machine("hybrid-laptop-on-battery.txt").record;
    ASSERT_EQ(laptop.adapters.size(), 3u);
    laptop.adapters[0].desc_error = static_cast<std::uint32_t>(E_FAIL);  // the first and the last fail, the list goes on
    qd::kit::RecordedAdapter big;
    big.index = 3;
    big.desc_error = static_cast<std::uint32_t>(E_FAIL);
    big.description = "NVIDIA GeForce RTX 4090";
    big.dedicated = 24ULL << 30;
    laptop.adapters.push_back(big);
    EXPECT_EQ(probe_graphics(qd::kit::replay_api(laptop).graphics), "NVIDIA GeForce RTX 3060 Laptop GPU");
    // EnumAdapters1 failing at an index other than past the end skips that index too.
    MachineRecord enum_fails = machine("hybrid-laptop-on-battery.txt").record;
    enum_fails.adapters[1].enum_error = static_cast<std::uint32_t>(E_OUTOFMEMORY);
    EXPECT_EQ(probe_graphics(qd::kit::replay_api(enum_fails).graphics), "Intel(R) UHD Graphics");
    GraphicsApi no_dxgi;
    no_dxgi.open_adapters = [] { return AdapterDescriber(); };
    EXPECT_EQ(probe_graphics(no_dxgi), std::nullopt);
    MachineRecord no_factory = laptop;
    no_factory.dxgi_error = static_cast<std::uint32_t>(DXGI_ERROR_UNSUPPORTED);
    EXPECT_EQ(probe_graphics(qd::kit::replay_api(no_factory).graphics), std::nullopt);
}
