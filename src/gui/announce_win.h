// What a screen reader is told without the focus moving, and whether one is
// running. The header, the message line and the announcer (a static of no size
// that says each row as it fills in) are polite live regions: a screen reader
// reads a change of their text when the window raises the live-region event.
// Include only from *_win.cpp and *_win.h files.
#pragma once
#include <string_view>

#include "checks/owned_win.h"
#include "checks/platform_win.h"

namespace qd::gui {

// The system's annotation service, which marks a control as a live region.
// Tests put a recorder in its place; null restores the system's (COM's
// AccPropServices class, from oleacc.dll). The source hands over a reference,
// or null when the service cannot be had.
using PropServicesSource = IAccPropServices* (*)();
void set_prop_services_source(PropServicesSource source);

// Marks the window's live regions. The returned service keeps the marks for as
// long as it is held (the WindowState holds it, released before COM is); null
// when the service cannot be had, and then no screen reader takes the events
// for announcements: nothing else changes.
checks::ComPtr<IAccPropServices> mark_live_regions(HWND window);

// Sets the text of the live region `id`; when the text changed, raises the
// live-region event so that a screen reader reads it.
void set_live_text(HWND window, int id, std::string_view text);

// Says `text` through the announcer.
void announce(HWND window, std::string_view text);

// Whether a screen reader is running: SPI_GETSCREENREADER unless a test has
// put its own answer in its place (this thread only); null restores the system's.
using ScreenReaderQuery = bool (*)();
void set_screen_reader_query(ScreenReaderQuery query);
bool screen_reader_on();

}  // namespace qd::gui
