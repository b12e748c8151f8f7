// Painting of the main window and its owner-drawn buttons, and the colours
// the controls ask for. Include only from *_win.cpp and *_win.h files.
#pragma once
#include "checks/platform_win.h"

namespace qd::gui {

void paint_main_window(HWND window);
LRESULT draw_button(const DRAWITEMSTRUCT& item);
LRESULT control_colors(HDC dc, HWND control);

}  // namespace qd::gui
