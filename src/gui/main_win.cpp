// Program entry. For now the program runs the scan against a hidden window
// and exits when the scan has reported its last row.
#include <windows.h>

#include "checks/scan.h"

namespace {

LRESULT CALLBACK scan_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    switch (message) {
    case wm_scan_row: take_row_message(lparam); return 0;
    case wm_scan_finished: DestroyWindow(window); return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(window, message, wparam, lparam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    if (module == nullptr) return 0;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = scan_window_proc;
    wc.hInstance = module;
    wc.lpszClassName = L"QuellixDetectWindow";
    if (RegisterClassExW(&wc) == 0) return 0;
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Quellix Detect", 0, 0, 0, 100, 100, nullptr, nullptr, module, nullptr);
    if (window == nullptr) return 0;
    start_scan_worker(window);
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
