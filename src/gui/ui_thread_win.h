// The user-interface thread's COM apartment, and its wait for the scan worker
// at the end. Include only from *_win.cpp and *_win.h files.
#pragma once
#include "checks/platform_win.h"

namespace qd::gui {

// Puts this thread into a single-threaded apartment for the shell call that
// opens the browser. The result is ignored (the shell copes without), and the
// apartment is never left: the process ends right after the window, and
// leaving it would only run COM's tear-down on the way out (releasing and
// unloading what the shell brought into the apartment), which can block.
void enter_com_apartment();

// Waits until `handle` is signalled or `limit_ms` have passed, handling this
// thread's messages meanwhile: the thread is a single-threaded apartment, and
// whatever is sent to its hidden windows (COM's, the system's) is answered
// instead of blocking its sender until the wait ends. The deadline holds while
// messages keep coming: one is handled per look at the handle and the clock.
// True when signalled.
bool wait_pumping_messages(HANDLE handle, DWORD limit_ms);

}  // namespace qd::gui
