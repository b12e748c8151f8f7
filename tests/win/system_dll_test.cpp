// The functions the program loads at run time come from System32's DLLs,
// and a DLL or function that cannot be had is a plain null.
#include "checks/system_dll_win.h"

#include <gtest/gtest.h>

#include <dxgi.h>

#include <cwctype>
#include <string>

using namespace qd::checks;

namespace {

std::wstring lower(std::wstring text)
{
    for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
    return text;
}

// The file of the module that holds `address`, lower-cased; empty when none does.
std::wstring module_file_of(const void* address)
{
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module))
        return L"";
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    return lower(std::wstring(path, length));
}

std::wstring system32_file(const wchar_t* name)
{
    wchar_t directory[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(directory, MAX_PATH);
    return lower(std::wstring(directory, length) + L"\\" + name);
}

template <typename Fn>
void expect_from_system32(Fn function, const wchar_t* dll)
{
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(module_file_of(reinterpret_cast<const void*>(function)), system32_file(dll));
}

}  // namespace

TEST(SystemDll, TheThreeRunTimeFunctionsAreFoundInSystem32)
{
    expect_from_system32(system_function<decltype(&CreateDXGIFactory1)>(L"dxgi.dll", "CreateDXGIFactory1"),
                         L"dxgi.dll");
    expect_from_system32(system_function<decltype(&DwmSetWindowAttribute)>(L"dwmapi.dll", "DwmSetWindowAttribute"),
                         L"dwmapi.dll");
    const auto get_scheme = system_function<decltype(&PowerGetActiveScheme)>(L"powrprof.dll", "PowerGetActiveScheme");
    expect_from_system32(get_scheme, L"powrprof.dll");
    ASSERT_NE(get_scheme, nullptr);
    // Callable through the typed pointer: Wine's power library answers
    // ERROR_CALL_NOT_IMPLEMENTED, which the power-plan probe reads as absent.
    GUID* scheme = nullptr;
    EXPECT_EQ(get_scheme(nullptr, &scheme), 120u);
    if (scheme != nullptr) LocalFree(scheme);
}

TEST(SystemDll, AMissingDllOrFunctionIsNull)
{
    using Fn = void (*)();
    EXPECT_EQ(system_function<Fn>(L"quellix-no-such-library.dll", "Anything"), nullptr);
    EXPECT_EQ(system_function<Fn>(L"dxgi.dll", "NoSuchFunctionInDxgi"), nullptr);
}

TEST(SystemDll, ADllThatIsOnlyBesideTheExeIsNotLoaded)
{
    // The file is there: the exe's folder is searched by a plain load.
    const HMODULE beside = LoadLibraryW(L"qd-beside-exe.dll");
    ASSERT_NE(beside, nullptr) << "qd-beside-exe.dll is missing beside the test exe";
    FreeLibrary(beside);
    using Fn = int (*)();
    EXPECT_EQ(load_system_dll(L"qd-beside-exe.dll"), nullptr);
    EXPECT_EQ(system_function<Fn>(L"qd-beside-exe.dll", "beside_the_exe"), nullptr);
}
