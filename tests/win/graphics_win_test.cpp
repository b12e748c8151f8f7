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
    api.open_adapters = [&m]() -> AdapterDescriber {
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
        EXPECT_EQ(probe_graphics(graphics_api(m)), m.graphics);
    }
}

TEST(GraphicsReader, AdaptersThatCannotBeDescribedAreSkipped)
{
    Machine m = machines()[1];
    m.adapters[0].fails = true;  // the first and the last fail, the list goes on
    m.adapters.push_back({L"NVIDIA GeForce RTX 4090", 0x10DE, 0x2684, 24 * 1024 * mib, 0, true});
    EXPECT_EQ(probe_graphics(graphics_api(m)), "NVIDIA GeForce RTX 3060 Laptop GPU");
    GraphicsApi no_dxgi;
    no_dxgi.open_adapters = [] { return AdapterDescriber(); };
    EXPECT_EQ(probe_graphics(no_dxgi), std::nullopt);
}
