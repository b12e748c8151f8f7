// Handing a link to the user: the default browser through the shell, or the
// clipboard. Knows nothing of the window's phases or state.
// Include only from *_win.cpp and *_win.h files.
#pragma once
#include <cstdint>
#include <string_view>

#include "checks/platform_win.h"

namespace qd::link {

// Asks the shell to open `link` with the verb "open". Returns ShellExecuteW's
// result: 33 or more when a browser was started, an error code otherwise.
// The shell may pump messages (and show a modal error box) before it returns.
std::intptr_t open_in_browser(std::string_view link);

// The shape of open_in_browser, so that a test can put a stand-in in its place.
using BrowserOpen = std::intptr_t (*)(std::string_view link);

// Puts `text` on the clipboard as CF_UNICODETEXT, owned by `window`. False
// when the clipboard could not be opened, emptied or given the text; the
// clipboard is closed and the memory freed on every path.
bool copy_to_clipboard(HWND window, std::string_view text);

}  // namespace qd::link
