// The scan worker: runs the scan once on its own thread and reports each row
// to the window by posting it. Include only from *_win.cpp files.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "checks/scan_types.h"
#include "checks/win32_util.h"

// The monotonic clock the pacing reads, in nanoseconds.
std::int64_t monotonic_ns();

// Runs every probe in row order, posting six rows and then the end message.
void run_scan(HWND window);

// Waits for the row spacing, sets last_post, then posts WM_APP+1 with the row.
// A failed post releases the row at once.
void post_row(std::int64_t& last_post, HWND window, RowMessage row);

// Posts WM_APP+2 at once.
void post_scan_finished(HWND window);

// Starts the worker thread for `window` with 2 MiB of stack reserved; a thread
// that cannot be created is fatal. The caller owns the thread's handle.
UniqueHandle start_scan_worker(HWND window);

// Takes ownership of the RowMessage that a WM_APP+1 carries.
inline std::unique_ptr<RowMessage> take_row_message(LPARAM lparam)
{
    return std::unique_ptr<RowMessage>(reinterpret_cast<RowMessage*>(lparam));
}
