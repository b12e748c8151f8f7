// The smallest useful Win32 program: one class, one window, a message loop.
// bench_startup measures how long it takes to show its window, as the floor
// against which the start of quellix-detect.exe is judged. It touches no
// console, so started detached it behaves like a GUI program.
#include <windows.h>

namespace {

LRESULT CALLBACK minimal_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int wmain()
{
    const HMODULE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = minimal_window_proc;
    wc.hInstance = module;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = L"MinimalWindow";
    if (RegisterClassExW(&wc) == 0) return 1;

    const HWND window = CreateWindowExW(0, wc.lpszClassName, L"Minimal Window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                        CW_USEDEFAULT, 520, 434, nullptr, nullptr, module, nullptr);
    if (window == nullptr) return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);

    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
