// The graphics reader against the adapter lists of real-looking machines.
#include "checks/graphics_win.h"

#include <gtest/gtest.h>

#include "machines.h"

using namespace qd::test;
using namespace qd::checks;
using qd::kit::RecordedAdapter;
using qd::kit::replay_api;

namespace {

Finding<std::string> graphics_of(const MachineRecord& record) { return probe_graphics(replay_api(record).graphics); }

}  // namespace

TEST(GraphicsReader, EachMachine)
{
    ASSERT_GE(machines().size(), 4u);
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.file + ": " + m.what());
        EXPECT_EQ(shown(graphics_of(m.record).value), expected(m, "graphics"));
    }
}

TEST(GraphicsReader, AdaptersThatCannotBeDescribedAreSkipped)
{
    MachineRecord laptop = machine("hybrid-laptop-on-battery.txt").record;
    ASSERT_EQ(laptop.adapters.size(), 3u);
    laptop.adapters[0].desc_error = static_cast<std::uint32_t>(E_FAIL);  // the first and the last fail, the list goes on
    RecordedAdapter big;
    big.index = 3;
    big.desc_error = static_cast<std::uint32_t>(E_FAIL);
    big.description = "NVIDIA GeForce RTX 4090";
    big.dedicated = 24ULL << 30;
    laptop.adapters.push_back(big);
    EXPECT_EQ(graphics_of(laptop).value, "NVIDIA GeForce RTX 3060 Laptop GPU");

    MachineRecord no_dxgi = laptop;
    no_dxgi.dxgi_error = static_cast<std::uint32_t>(HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND));
    const Finding<std::string> none = graphics_of(no_dxgi);
    EXPECT_EQ(none.value, std::nullopt);
    EXPECT_EQ(none.why_absent, "CreateDXGIFactory1 failed with HRESULT 0x8007007e");
    // Every adapter listed, none described: the reader hands over the count and the last HRESULT.
    for (RecordedAdapter& a : laptop.adapters) a.desc_error = static_cast<std::uint32_t>(E_FAIL);
    EXPECT_EQ(graphics_of(laptop).why_absent,
              "DXGI: 4 adapters, none a named physical one (none could be described, GetDesc1 failed with HRESULT "
              "0x80004005)");
}

TEST(GraphicsReader, AFailedListingEndsTheListAFailedDescriptionSkipsTheAdapter)
{
    // The hybrid laptop with one more entry after its integrated adapter; the
    // discrete adapter after that entry is chosen only if the list goes on.
    const MachineRecord& laptop = machine("hybrid-laptop-on-battery.txt").record;
    ASSERT_EQ(laptop.adapters.size(), 3u);
    RecordedAdapter other;
    other.description = "Acme Display Adapter";
    other.vendor = 0x1234;
    other.dedicated = 512ULL << 20;
    other.shared = 7939ULL << 20;
    const struct {
        const char* what;
        HRESULT listed;
        HRESULT described;
        std::optional<std::string> graphics;
    } cases[] = {
        {"listing fails", E_FAIL, S_OK, "Intel(R) UHD Graphics"},
        {"listing fails as past the end", DXGI_ERROR_NOT_FOUND, S_OK, "Intel(R) UHD Graphics"},
        {"listed without an adapter", E_POINTER, S_OK, "Intel(R) UHD Graphics"},
        {"description fails", S_OK, E_FAIL, "NVIDIA GeForce RTX 3060 Laptop GPU"},
        {"description fails as not found", S_OK, DXGI_ERROR_NOT_FOUND, "NVIDIA GeForce RTX 3060 Laptop GPU"},
        {"both fine", S_OK, S_OK, "NVIDIA GeForce RTX 3060 Laptop GPU"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MachineRecord m = laptop;
        RecordedAdapter middle = other;
        middle.enum_error = static_cast<std::uint32_t>(c.listed);
        middle.desc_error = static_cast<std::uint32_t>(c.described);
        m.adapters.insert(m.adapters.begin() + 1, middle);
        for (std::uint32_t i = 0; i < m.adapters.size(); ++i) m.adapters[i].index = i;
        EXPECT_EQ(graphics_of(m).value, c.graphics);
    }
    // A list ended by a failure at its first entry says which.
    MachineRecord none = laptop;
    none.adapters.assign(1, RecordedAdapter{});
    none.adapters[0].enum_error = static_cast<std::uint32_t>(E_FAIL);
    EXPECT_EQ(graphics_of(none).why_absent, "DXGI: no adapters listed, EnumAdapters1 failed with HRESULT 0x80004005");
}
