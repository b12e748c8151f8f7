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
    HRESULT failure = E_FAIL;
    const std::unique_ptr<void, void (*)(void*)> dxgi(api.open_list(api.context, &failure), api.close_list);
    if (!dxgi) {
        list.open_failure = static_cast<std::uint32_t>(failure);
        return list;
    }
    std::vector<AdapterInfo>& adapters = list.adapters;
    for (UINT index = 0; index < max_adapters; ++index) {
        DXGI_ADAPTER_DESC1 desc = {};
        const AdapterAnswer answer = api.read_adapter(dxgi.get(), index, &desc);
        if (FAILED(answer.listed)) {  // past the last adapter, or no adapter: the list ends
            if (answer.listed != DXGI_ERROR_NOT_FOUND) list.list_failure = static_cast<std::uint32_t>(answer.listed);
            break;
        }
        if (FAILED(answer.described)) {  // this adapter is left out; the next may do
            ++list.undescribed;
            list.describe_failure = static_cast<std::uint32_t>(answer.described);
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

void* open_dxgi_list(void*, HRESULT* failure)
{
    const auto create_factory = system_function<decltype(&CreateDXGIFactory1)>(L"dxgi.dll", "CreateDXGIFactory1");
    if (create_factory == nullptr) {
        *failure = HRESULT_FROM_WIN32(GetLastError());
        return nullptr;
    }
    ComPtr<IDXGIFactory1> factory;
    *failure = create_factory(IID_IDXGIFactory1, reinterpret_cast<void**>(factory.put()));
    if (SUCCEEDED(*failure) && !factory) *failure = E_POINTER;
    if (FAILED(*failure)) return nullptr;
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

Finding<std::string> probe_graphics(const GraphicsApi& api) { return graphics_finding(enumerate_adapters(api)); }

Finding<std::string> probe_driver_date(const std::optional<std::string>& graphics_name)
{
    const RegistryTextReader machine_registry{nullptr,
                                              [](void*, const std::string& subkey, std::string_view value_name) {
                                                  return read_registry_text(HKEY_LOCAL_MACHINE, subkey, value_name);
                                              }};
    return find_driver_date(graphics_name, machine_registry);
}

}  // namespace qd::checks
