// The graphics reader against the adapter lists of real-looking machines.
#include "checks/graphics_win.h"

#include <gtest/gtest.h>

#include <cstring>

#include "machines.h"

using namespace qd::test;
using namespace qd::checks;

namespace {

// DXGI's adapter list answered from a machine.
GraphicsApi graphics_api(const Machine& m)
{
    GraphicsApi api;
    api.open_adapters = [&m](HRESULT&) -> AdapterDescriber {
        return [&m](UINT index, DXGI_ADAPTER_DESC1* desc) -> HRESULT {
            if (index >= m.adapters.size()) return DXGI_ERROR_NOT_FOUND;
            const FakeAdapter& a = m.adapters[index];
            if (a.fails) return E_FAIL;
            *desc = {};
            wcsncpy(desc->Description, a.description, 128);
            desc->VendorId = a.vendor;
            desc->DeviceId = a.device;
            desc->DedicatedVideoMemory = a.dedicated_bytes;
            desc->SharedSystemMemory = 8192 * mib;
            desc->AdapterLuid = {0x1000 + index, 0};
            desc->Flags = a.flags;
            return S_OK;
        };
    };
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
    m.adapters[0].fails = true;  // the first and the last fail, the list goes on
    m.adapters.push_back({L"NVIDIA GeForce RTX 4090", 0x10DE, 0x2684, 24 * 1024 * mib, 0, true});
    EXPECT_EQ(probe_graphics(graphics_api(m)).value, "NVIDIA GeForce RTX 3060 Laptop GPU");
    GraphicsApi no_dxgi;
    no_dxgi.open_adapters = [](HRESULT& failure) {
        failure = HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
        return AdapterDescriber();
    };
    const Finding<std::string> none = probe_graphics(no_dxgi);
    EXPECT_EQ(none.value, std::nullopt);
    EXPECT_EQ(none.why_absent, "CreateDXGIFactory1 failed with HRESULT 0x8007007e");
    // Every adapter listed, none described: the reader hands over the count and the last HRESULT.
    for (FakeAdapter& a : m.adapters) a.fails = true;
    EXPECT_EQ(probe_graphics(graphics_api(m)).why_absent,
              "DXGI: 4 adapters, none a named physical one (none could be described, GetDesc1 failed with HRESULT "
              "0x80004005)");
}
