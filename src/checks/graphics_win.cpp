#include "checks/graphics_win.h"

#include <memory>

#include "checks/owned_win.h"
#include "checks/registry.h"
#include "checks/system_dll_win.h"
#include "checks/wide_win.h"

namespace qd::checks {

namespace {

std::vector<AdapterInfo> enumerate_adapters(const GraphicsApi& api)
{
    std::vector<AdapterInfo> adapters;
    const AdapterDescriber describe = api.open_adapters();
    if (!describe) return adapters;
    for (UINT index = 0; index < max_adapters; ++index) {
        DXGI_ADAPTER_DESC1 desc = {};
        const HRESULT result = describe(index, &desc);
        if (result == DXGI_ERROR_NOT_FOUND) break;
        if (FAILED(result)) continue;
        AdapterInfo info;
        info.description = from_wide(desc.Description, 128);
        info.dedicated_video_memory = desc.DedicatedVideoMemory;
        info.vendor_id = desc.VendorId;
        info.is_software = (desc.Flags & DXGI_ADAPTER_FLAG_SOFTWARE) != 0;
        adapters.push_back(std::move(info));
    }
    return adapters;
}

}  // namespace

AdapterDescriber open_dxgi_adapters()
{
    const auto create_factory = system_function<decltype(&CreateDXGIFactory1)>(L"dxgi.dll", "CreateDXGIFactory1");
    if (create_factory == nullptr) return {};
    ComPtr<IDXGIFactory1> created;
    if (FAILED(create_factory(IID_IDXGIFactory1, reinterpret_cast<void**>(created.put()))) || !created) return {};
    // Shared, because a std::function must be copyable.
    const std::shared_ptr<IDXGIFactory1> factory(created.release(), [](IDXGIFactory1* f) { f->Release(); });
    return [factory](UINT index, DXGI_ADAPTER_DESC1* desc) -> HRESULT {
        ComPtr<IDXGIAdapter1> adapter;
        const HRESULT result = factory->EnumAdapters1(index, adapter.put());
        if (FAILED(result)) return result;
        if (!adapter) return E_POINTER;
        return adapter.get()->GetDesc1(desc);
    };
}

std::optional<std::string> probe_graphics(const GraphicsApi& api)
{
    return select_graphics_name(enumerate_adapters(api));
}

std::optional<std::string> probe_driver_date(const std::optional<std::string>& graphics_name)
{
    return find_driver_date(graphics_name, [](const std::string& subkey, std::string_view value_name) {
        return read_registry_text(HKEY_LOCAL_MACHINE, subkey, value_name);
    });
}

}  // namespace qd::checks
