#include "checks/graphics.h"

#include "checks/registry.h"
#include "checks/owned_win.h"
#include "checks/system_dll_win.h"
#include "checks/wide_win.h"

#include <dxgi.h>

namespace {

std::vector<AdapterInfo> enumerate_adapters()
{
    std::vector<AdapterInfo> adapters;
    const auto create_factory = system_function<decltype(&CreateDXGIFactory1)>(L"dxgi.dll", "CreateDXGIFactory1");
    if (create_factory == nullptr) return adapters;
    ComPtr<IDXGIFactory1> factory;
    if (FAILED(create_factory(IID_IDXGIFactory1, reinterpret_cast<void**>(factory.put()))) || !factory)
        return adapters;
    for (UINT index = 0; index < max_adapters; ++index) {
        ComPtr<IDXGIAdapter1> adapter;
        if (FAILED(factory.get()->EnumAdapters1(index, adapter.put())) || !adapter) break;
        DXGI_ADAPTER_DESC1 desc = {};
        if (FAILED(adapter.get()->GetDesc1(&desc))) continue;
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

std::optional<std::string> probe_graphics()
{
    return select_graphics_name(enumerate_adapters());
}

std::optional<std::string> probe_driver_date(const std::optional<std::string>& graphics_name)
{
    return find_driver_date(graphics_name, [](const std::string& subkey, std::string_view value_name) {
        return read_registry_text(HKEY_LOCAL_MACHINE, subkey, value_name);
    });
}
