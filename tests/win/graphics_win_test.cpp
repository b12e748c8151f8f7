// The graphics reader against the adapter lists of real-looking machines.
#include "checks/graphics_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "machines.h"

using namespace qd::test;
using namespace qd::checks;

namespace {

// DXGI's adapter list answered from a machine; the list is the machine itself.
GraphicsApi graphics_api(const Machine& machine)
{
    GraphicsApi api;
    api.context = context_of(machine);
    api.open_list = [](void* context, HRESULT*) { return context; };
    api.read_adapter = [](void* list, UINT index, DXGI_ADAPTER_DESC1* desc) -> AdapterAnswer {
        const Machine& m = machine_in(list);
        if (index >= m.adapters.size()) return {DXGI_ERROR_NOT_FOUND, E_UNEXPECTED};
        const FakeAdapter& a = m.adapters[index];
        if (FAILED(a.listed)) return {a.listed, E_UNEXPECTED};
        if (FAILED(a.described)) return {S_OK, a.described};
        *desc = {};
        wcsncpy(desc->Description, a.description, 128);
        desc->VendorId = a.vendor;
        desc->DeviceId = a.device;
        desc->DedicatedVideoMemory = a.dedicated_bytes;
        desc->SharedSystemMemory = a.shared_bytes;
        desc->AdapterLuid = {0x1000 + index, 0};
        desc->Flags = a.flags;
        return {S_OK, S_OK};
    };
    api.close_list = [](void*) {};
    return api;
}

}  // namespace

TEST(GraphicsReader, EachMachine)
{
    for (const Machine& m : machines()) {
        SCOPED_TRACE(m.what);
        EXPECT_EQ(probe_graphics(graphics_api(m)).value, m.graphics);
    }
}

TEST(GraphicsReader, AdaptersThatCannotBeDescribedAreSkipped)
{
    Machine m = machines()[1];
    m.adapters[0].described = E_FAIL;  // the first and the last fail, the list goes on
    m.adapters.push_back({L"NVIDIA GeForce RTX 4090", 0x10DE, 0x2684, 24 * 1024 * mib, 8192 * mib, 0, E_FAIL});
    EXPECT_EQ(probe_graphics(graphics_api(m)).value, "NVIDIA GeForce RTX 3060 Laptop GPU");
    GraphicsApi no_dxgi;
    no_dxgi.open_list = [](void*, HRESULT* failure) -> void* {
        *failure = HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
        return nullptr;
    };
    const Finding<std::string> none = probe_graphics(no_dxgi);
    EXPECT_EQ(none.value, std::nullopt);
    EXPECT_EQ(none.why_absent, "CreateDXGIFactory1 failed with HRESULT 0x8007007e");
    // Every adapter listed, none described: the reader hands over the count and the last HRESULT.
    for (FakeAdapter& a : m.adapters) a.described = E_FAIL;
    EXPECT_EQ(probe_graphics(graphics_api(m)).why_absent,
              "DXGI: 4 adapters, none a named physical one (none could be described, GetDesc1 failed with HRESULT "
              "0x80004005)");
}

TEST(GraphicsReader, AFailedListingEndsTheListAFailedDescriptionSkipsTheAdapter)
{
    // The hybrid laptop with one more entry after its integrated adapter; the
    // discrete adapter after that entry is chosen only if the list goes on.
    const FakeAdapter integrated = machines()[1].adapters[0];
    const FakeAdapter discrete = machines()[1].adapters[1];
    const FakeAdapter other{L"Acme Display Adapter", 0x1234, 0x1, 512 * mib, 7939 * mib};
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
        FakeAdapter middle = other;
        middle.listed = c.listed;
        middle.described = c.described;
        const Machine m{.what = c.what, .adapters = {integrated, middle, discrete, basic_render_driver}};
        EXPECT_EQ(probe_graphics(graphics_api(m)).value, c.graphics);
    }
    // A list ended by a failure at its first entry says which.
    const Machine none{.what = "no adapter listed", .adapters = {FakeAdapter{L"", 0, 0, 0, 0, 0, S_OK, E_FAIL}}};
    EXPECT_EQ(probe_graphics(graphics_api(none)).why_absent,
              "DXGI: no adapters listed, EnumAdapters1 failed with HRESULT 0x80004005");
}
