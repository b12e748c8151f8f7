#include "link/browser_win.h"

#include <cstring>
#include <string>

#include "checks/owned_win.h"
#include "checks/wide_win.h"

namespace qd::link {

namespace {

class OpenClipboardGuard {
public:
    OpenClipboardGuard() = default;
    OpenClipboardGuard(const OpenClipboardGuard&) = delete;
    OpenClipboardGuard& operator=(const OpenClipboardGuard&) = delete;
    ~OpenClipboardGuard() { CloseClipboard(); }
};

}  // namespace

std::intptr_t open_in_browser(std::string_view link)
{
    const std::wstring wide = checks::to_wide(link);
    return reinterpret_cast<std::intptr_t>(
        ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
}

bool copy_to_clipboard(HWND window, std::string_view text)
{
    const std::wstring wide = checks::to_wide(text);
    const std::size_t bytes = (wide.size() + 1) * sizeof(wchar_t);
    if (!OpenClipboard(window)) return false;
    const OpenClipboardGuard close_clipboard;
    if (!EmptyClipboard()) return false;
    checks::UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, bytes));  // null on failure
    if (!memory) return false;
    void* target = GlobalLock(memory.get());
    if (target == nullptr) return false;
    std::memcpy(target, wide.c_str(), bytes);
    GlobalUnlock(memory.get());
    if (SetClipboardData(CF_UNICODETEXT, memory.get()) == nullptr) return false;  // null on failure
    memory.release();                                                             // the clipboard owns it now
    return true;
}

}  // namespace qd::link
