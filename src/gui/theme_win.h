// The colours the window paints with on this thread, and their brushes: the
// dark palette, or the system colours while High Contrast is on. Include only
// from *_win.cpp and *_win.h files.
#pragma once
#include "checks/platform_win.h"
#include "gui/colors.h"

namespace qd::gui {

// Whether High Contrast is on: SPI_GETHIGHCONTRAST unless a test has put its
// own answer in its place (this thread only); null restores the system's.
using HighContrastQuery = bool (*)();
void set_high_contrast_query(HighContrastQuery query);
bool high_contrast_on();

SystemColors read_system_colors();

// The thread's scheme and brushes, chosen and made together on first use.
// They live outside the WindowState because controls ask for them
// (WM_CTLCOLORSTATIC) from inside calls made while a handler holds the state.
const ColorScheme& current_scheme();
HBRUSH window_brush();     // the window's background
HBRUSH card_brush();       // the card behind the rows
HBRUSH line_brush();       // the link band behind the link box
HBRUSH separator_brush();  // the lines between the rows, and the outlines
HBRUSH brush_of(BrushKind kind);

// Chooses the scheme again from the setting and the system colours and makes
// its brushes; the brushes of the scheme it replaces are deleted.
void follow_theme();

}  // namespace qd::gui
