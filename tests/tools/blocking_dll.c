/* A stand-in for a System32 DLL whose driver-backed call never returns, as a
   hung graphics driver or power service can make it (tests/e2e/stuck_driver.sh
   copies it into the prefix's System32 under the DLL's name). Loading it does
   nothing; its CreateDXGIFactory1 and PowerGetActiveScheme wait forever. */
#include <windows.h>

__declspec(dllexport) long CreateDXGIFactory1(const void* riid, void** factory)
{
    (void)riid;
    (void)factory;
    Sleep(INFINITE);
    return E_FAIL;
}

__declspec(dllexport) unsigned long PowerGetActiveScheme(void* root, void** scheme)
{
    (void)root;
    (void)scheme;
    Sleep(INFINITE);
    return ERROR_CALL_NOT_IMPLEMENTED;
}
