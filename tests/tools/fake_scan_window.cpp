// A stand-in for the program's window with known timing, for testing
// bench_startup: the class and title of the real window, a sixth row value
// (child 125) reading "…" and an empty message line (child 130). 400 ms after
// the window is shown the row value changes; 400 ms after that the message
// line starts with "Opening". Then it waits to be ended.
#include <windows.h>

namespace {

constexpr UINT_PTR row_timer = 1;
constexpr UINT_PTR end_timer = 2;

LRESULT CALLBACK fake_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (message == WM_TIMER) {
        KillTimer(window, wparam);
        if (wparam == row_timer) {
            SetDlgItemTextW(window, 125, L"12 settings read");
            SetTimer(window, end_timer, 400, nullptr);
        } else {
            SetDlgItemTextW(window, 130, L"Opening Quellix in your browser in 3\u2026");
        }
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

HWND child(HWND parent, int id, const wchar_t* text)
{
    return CreateWindowExW(0, L"STATIC", text, WS_CHILD | WS_VISIBLE, 10, 10 + id - 125, 300, 20, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

}  // namespace

int wmain()
{
    const HMODULE module = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = fake_window_proc;
    wc.hInstance = module;
    wc.lpszClassName = L"QuellixDetectWindow";
    if (RegisterClassExW(&wc) == 0) return 1;
    const HWND window = CreateWindowExW(0, wc.lpszClassName, L"Quellix Detect", WS_OVERLAPPEDWINDOW, 0, 0, 400, 200,
                                        nullptr, nullptr, module, nullptr);
    if (window == nullptr) return 1;
    child(window, 125, L"\u2026");
    child(window, 130, L"");
    ShowWindow(window, SW_SHOWNORMAL);
    SetTimer(window, row_timer, 400, nullptr);

    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
