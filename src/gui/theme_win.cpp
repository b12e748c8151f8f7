#include "gui/theme_win.h"

#include "checks/owned_win.h"

namespace qd::gui {

namespace {

// A test's answer; null: the system's. Per thread, not in the WindowState: the
// scheme is chosen when the window is created, before it has a state.
thread_local HighContrastQuery replaced_query = nullptr;

bool system_high_contrast()
{
    HIGHCONTRASTW setting = {};
    setting.cbSize = sizeof(setting);
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(setting), &setting, 0) &&
           (setting.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

struct Theme {
    ColorScheme scheme;
    checks::UniqueBrush window;
    checks::UniqueBrush card;
    checks::UniqueBrush line;
    checks::UniqueBrush separator;
};

Theme make_theme()
{
    Theme t;
    t.scheme = color_scheme(high_contrast_on(), read_system_colors());
    t.window = checks::UniqueBrush(CreateSolidBrush(t.scheme.window));
    t.card = checks::UniqueBrush(CreateSolidBrush(t.scheme.card));
    t.line = checks::UniqueBrush(CreateSolidBrush(t.scheme.band));
    t.separator = checks::UniqueBrush(CreateSolidBrush(t.scheme.separator));
    return t;
}

Theme& theme()
{
    thread_local Theme current = make_theme();
    return current;
}

}  // namespace

void set_high_contrast_query(HighContrastQuery query) { replaced_query = query; }

bool high_contrast_on() { return replaced_query != nullptr ? replaced_query() : system_high_contrast(); }

SystemColors read_system_colors()
{
    SystemColors c;
    c.window = GetSysColor(COLOR_WINDOW);
    c.window_text = GetSysColor(COLOR_WINDOWTEXT);
    c.button_face = GetSysColor(COLOR_BTNFACE);
    c.button_text = GetSysColor(COLOR_BTNTEXT);
    c.highlight = GetSysColor(COLOR_HIGHLIGHT);
    c.highlight_text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    c.gray_text = GetSysColor(COLOR_GRAYTEXT);
    return c;
}

const ColorScheme& current_scheme() { return theme().scheme; }
HBRUSH window_brush() { return theme().window.get(); }
HBRUSH card_brush() { return theme().card.get(); }
HBRUSH line_brush() { return theme().line.get(); }
HBRUSH separator_brush() { return theme().separator.get(); }

HBRUSH brush_of(BrushKind kind)
{
    switch (kind) {
    case BrushKind::Card: return card_brush();
    case BrushKind::Line: return line_brush();
    case BrushKind::Window: break;
    }
    return window_brush();
}

// Nothing keeps a brush between messages: a control uses the brush its colour
// answer returns for that one drawing, and the window's background is painted
// from window_brush() each time, so the old brushes can go at once.
void follow_theme() { theme() = make_theme(); }

}  // namespace qd::gui
