// The graphics reader's calls to the system, gathered so that a test can answer
// them the way a real machine does. Include only from *_win.cpp files.
#pragma once
#include "checks/graphics.h"
#include "checks/platform_win.h"

#include <dxgi.h>

namespace qd::checks {

// What DXGI answers for adapter `index` of its list: `listed`, EnumAdapters1's
// result (DXGI_ERROR_NOT_FOUND past the end of the list; E_POINTER when it
// succeeded without an adapter), and `described`, GetDesc1's for that adapter.
// A failed listing ends the list; a failed description skips one adapter.
struct AdapterAnswer {
    HRESULT listed;
    HRESULT described;
};

// DXGI's adapter list through CreateDXGIFactory1 of System32's dxgi.dll: the
// factory, or null when DXGI cannot be had, with `failure` set to the HRESULT
// (a DLL or function that cannot be had as HRESULT_FROM_WIN32 of its error).
// Released with close_dxgi_list.
void* open_dxgi_list(void* context, HRESULT* failure);
// EnumAdapters1(index) on the factory, then GetDesc1 into `desc`.
AdapterAnswer read_dxgi_adapter(void* list, UINT index, DXGI_ADAPTER_DESC1* desc);
void close_dxgi_list(void* list);

// Plain function pointers: `open_list` gets `context` (a test's answers; DXGI
// needs none) and gives the list the other two take.
struct GraphicsApi {
    void* context = nullptr;
    void* (*open_list)(void* context, HRESULT* failure) = open_dxgi_list;
    AdapterAnswer (*read_adapter)(void* list, UINT index, DXGI_ADAPTER_DESC1* desc) = read_dxgi_adapter;
    void (*close_list)(void* list) = close_dxgi_list;
};

// The name of the adapter that represents the machine, from every adapter
// DXGI lists, or why there is none.
Finding<std::string> probe_graphics(const GraphicsApi& api = {});

}  // namespace qd::checks
