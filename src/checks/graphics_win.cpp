#include "checks/graphics_win.h"

#include <memory>

#include "checks/owned_win.h"
#include "checks/registry.h"
#include "checks/system_dll_win.h"
#include "checks/wide_win.h"

namespace qd::checks {

namespace {

AdapterList enumerate_adapters(const GraphicsApi& api)
{
    AdapterList list;
    std::vector<AdapterInfo>& adapters = list.adapters;
    HRESULT failure = E_FAIL;
    const AdapterDescriber describe = api.open_adapters(failure);
    if (!describe) {
        list.open_failure = static_cast<std::uint32_t>(failure);
        return list;
    }
    for (UINT index = 0; index < max_adapters; ++index) {
        DXGI_ADAPTER_DESC1 desc = {};
        const HRESULT result = describe(index, &desc);
        if (result == DXGI_ERROR_NOT_FOUND) break;
        if (FAILED(result)) {
            ++list.undescribed;
            list.describe_failure = static_cast<std::uint32_t>(result);
            continue;
        }
        AdapterInfo info;
        info.description = from_wide(desc.Description, 128);
        info.dedicated_video_memory = desc.DedicatedVideoMemory;
        info.vendor_id = desc.VendorId;
        info.is_software = (desc.Flags & DXGI_ADAPTER_FLAG_SOFTWARE) != 0;
        adapters.push_back(std::move(info));
    }
    return list;
}

}  // namespace

AdapterDescriber open_dxgi_adapters(HRESULT& failure)
{
    const auto create_factory = system_function<decltype(&CreateDXGIFactory1)>(L"dxgi.dll", "CreateDXGIFactory1");
    if (create_factory == nullptr) {
        failure = HRESULT_FROM_WIN32(GetLastError());
        return {};
    }
    ComPtr<IDXGIFactory1> created;
    failure = create_factory(IID_IDXGIFactory1, reinterpret_cast<void**>(created.put()));
    if (SUCCEEDED(failure) && !created) failure = E_POINTER;
    if (FAILED(failure)) return {};
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

Finding<std::string> probe_graphics(const GraphicsApi& api) { return graphics_finding(enumerate_adapters(api)); }

Finding<std::string> probe_driver_date(const std::optional<std::string>& graphics_name)
{
    return find_driver_date(graphics_name, [](const std::string& subkey, std::string_view value_name) {
        return read_registry_text(HKEY_LOCAL_MACHINE, subkey, value_name);
    });
}

}  // namespace qd::checks
