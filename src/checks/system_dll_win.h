// Functions of Windows DLLs that the program loads itself, taken only from the
// System32 folder: never from the exe's own folder, where a downloaded file of
// the same name could be waiting. Include only from *_win.cpp and *_win.h files.
#pragma once
#include "checks/platform_win.h"

#include <type_traits>

namespace qd::checks {

// The System32 copy of the DLL `name` (e.g. L"dxgi.dll"), loaded on first use
// and kept for the life of the process (a later load only counts a reference;
// the program never unloads it); null when it cannot be loaded.
inline HMODULE load_system_dll(const wchar_t* name)
{
    return LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

// The function `function` of the System32 DLL `dll` as a pointer of type Fn
// (write the type as decltype(&TheFunction)); null when the DLL or the
// function cannot be had, which is that call's failure.
template <typename Fn>
Fn system_function(const wchar_t* dll, const char* function)
{
    static_assert(std::is_pointer_v<Fn> && std::is_function_v<std::remove_pointer_t<Fn>>, "a function pointer type");
    const HMODULE module = load_system_dll(dll);
    if (module == nullptr) return nullptr;
    const FARPROC found = GetProcAddress(module, function);
    if (found == nullptr) return nullptr;
    // FARPROC is a function pointer of another type: go through a plain one.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(found));
}

}  // namespace qd::checks
