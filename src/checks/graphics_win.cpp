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
    const std::unique_ptr<void, void (*)(void*)> list(api.open_list(api.context), api.close_list);
    if (!list) return adapters;
    for (UINT index = 0; index < max_adapters; ++index) {
        DXGI_ADAPTER_DESC1 desc = {};
        const AdapterAnswer answer = api.read_adapter(list.get(), index, &desc);
        if (FAILED(answer.listed)) break;        // past the last adapter, or no adapter: the list ends
        if (FAILED(answer.described)) continue;  // this adapter is left out; the next may do
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

void* open_dxgi_list(void*)
{
    const auto create_factory = system_function<decltype(&CreateDXGIFactory1)>(L"dxgi.dll", "CreateDXGIFactory1");
    if (create_factory == nullptr) return nullptr;
    ComPtr<IDXGIFactory1> factory;
    if (FAILED(create_factory(IID_IDXGIFactory1, reinterpret_cast<void**>(factory.put())))) return nullptr;
    return factory.release();
}

AdapterAnswer read_dxgi_adapter(void* list, UINT index, DXGI_ADAPTER_DESC1* desc)
{
    ComPtr<IDXGIAdapter1> adapter;
    const HRESULT listed = static_cast<IDXGIFactory1*>(list)->EnumAdapters1(index, adapter.put());
    if (FAILED(listed)) return {listed, E_UNEXPECTED};
    if (!adapter) return {E_POINTER, E_UNEXPECTED};
    return {S_OK, adapter.get()->GetDesc1(desc)};
}

void close_dxgi_list(void* list) { static_cast<IDXGIFactory1*>(list)->Release(); }

std::optional<std::string> probe_graphics(const GraphicsApi& api)
{
    return select_graphics_name(enumerate_adapters(api));
}

std::optional<std::string> probe_driver_date(const std::optional<std::string>& graphics_name)
{
    const RegistryTextReader machine_registry{nullptr,
                                              [](void*, const std::string& subkey, std::string_view value_name) {
                                                  return read_registry_text(HKEY_LOCAL_MACHINE, subkey, value_name);
                                              }};
    return find_driver_date(graphics_name, machine_registry);
}

}  // namespace qd::checks
