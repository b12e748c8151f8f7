// The window's fonts and icons for one DPI.
// Include only from *_win.cpp and *_win.h files.
#pragma once
#include <cstdint>

#include "checks/owned_win.h"

namespace qd::gui {

// The four fonts of the window for one DPI; a font that could not be made is empty.
struct FontSet {
    checks::UniqueFont title_font;   // header
    checks::UniqueFont body_font;    // row labels, message line, link box
    checks::UniqueFont strong_font;  // row values, buttons
    checks::UniqueFont small_font;   // footnote
};

FontSet create_font_set(std::uint32_t dpi);

// Hands the fonts to the controls and the link box its margins for `dpi`.
void apply_fonts(HWND window, const FontSet& fonts, std::uint32_t dpi);

// The window's own small (title bar) and big (taskbar, Alt+Tab) icons.
struct WindowIcons {
    checks::UniqueIcon small_icon;
    checks::UniqueIcon big_icon;
};

// Loads icon 1 at the sizes `dpi` asks for and gives them to the window; the
// icons they replace are destroyed. An icon that cannot be loaded keeps the old one.
void apply_icons(HWND window, WindowIcons& icons, std::uint32_t dpi);

}  // namespace qd::gui
