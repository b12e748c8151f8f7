#include "gui/ui_thread_win.h"

#include <objbase.h>

namespace qd::gui {

void enter_com_apartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE); }

bool wait_pumping_messages(HANDLE handle, DWORD limit_ms)
{
    const ULONGLONG until = GetTickCount64() + limit_ms;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= until) return WaitForSingleObject(handle, 0) == WAIT_OBJECT_0;
        const DWORD woke =
            MsgWaitForMultipleObjectsEx(1, &handle, static_cast<DWORD>(until - now), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
        if (woke == WAIT_OBJECT_0) return true;
        if (woke != WAIT_OBJECT_0 + 1) return false;  // timed out or failed
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
}

}  // namespace qd::gui
