// The graphics reader's calls to the system, gathered so that a test can answer
// them the way a real machine does. Include only from *_win.cpp files.
#pragma once
#include <functional>

#include "checks/graphics.h"
#include "checks/platform_win.h"

#include <dxgi.h>

namespace qd::checks {

// Adapter `index` of DXGI's list (EnumAdapters1, then GetDesc1): S_OK with
// `desc` filled, DXGI_ERROR_NOT_FOUND past the end of the list, any other
// failure for an adapter that cannot be described.
using AdapterDescriber = std::function<HRESULT(UINT index, DXGI_ADAPTER_DESC1* desc)>;

// Opens DXGI's adapter list through CreateDXGIFactory1 of System32's dxgi.dll;
// empty when DXGI cannot be had, with `failure` set to the HRESULT (a DLL or
// function that cannot be had as HRESULT_FROM_WIN32 of its error). The list
// holds the factory until dropped.
AdapterDescriber open_dxgi_adapters(HRESULT& failure);

struct GraphicsApi {
    std::function<AdapterDescriber(HRESULT& failure)> open_adapters = open_dxgi_adapters;
};

// The name of the adapter that represents the machine, from every adapter
// DXGI lists, or why there is none.
Finding<std::string> probe_graphics(const GraphicsApi& api = {});

}  // namespace qd::checks
