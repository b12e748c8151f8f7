/* A stand-in for a system DLL that a web page got into the Downloads folder
   beside the exe (tests/e2e/planted_dlls.sh). When anything loads it, it
   leaves a marker file next to itself ("NAME.dll.loaded") and ends the process
   at once with its own exit code. It exports the names a program could import
   from the DLLs it stands in for, so that a static import reaches DllMain. */
#include <windows.h>

#ifndef STAND_IN_EXIT_CODE
#error "STAND_IN_EXIT_CODE must be defined"
#endif

__declspec(dllexport) long CreateDXGIFactory1(void) { return E_FAIL; }
__declspec(dllexport) long DwmSetWindowAttribute(void) { return E_FAIL; }
__declspec(dllexport) unsigned long PowerGetActiveScheme(void) { return ERROR_CALL_NOT_IMPLEMENTED; }

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    (void)reserved;
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    wchar_t marker[MAX_PATH + 8] = {0};
    const DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
    if (length > 0 && length < MAX_PATH) {
        lstrcatW(marker, L".loaded");
        const HANDLE file = CreateFileW(marker, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    }
    TerminateProcess(GetCurrentProcess(), STAND_IN_EXIT_CODE);
    return FALSE;
}
