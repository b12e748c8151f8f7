#include "gui/colors.h"

#include "gui/window_ids.h"

namespace qd::gui {

ColorScheme color_scheme(bool high_contrast, const SystemColors& system)
{
    if (!high_contrast) return dark_scheme;
    // Each colour is used only with its partner, the pairs a High Contrast
    // theme guarantees to stand apart: text on window, button text on button
    // face, highlight text on highlight, gray text on window. The card and the
    // link band share the window's colour, so an outline keeps their shapes;
    // the buttons are outlined for the same reason, and show a press by
    // swapping fill and caption.
    ColorScheme s;
    s.window = system.window;
    s.card = system.window;
    s.band = system.window;
    s.separator = system.window_text;
    s.outlined = true;
    s.text = system.window_text;
    s.label = system.window_text;
    s.pending = system.gray_text;
    s.missing = system.window_text;
    s.mark_found = system.highlight;
    s.mark_missing = system.window_text;
    s.mark_pending = system.gray_text;
    s.focus_ring = system.window_text;
    s.primary = {system.highlight, system.highlight_text, system.highlight_text, system.highlight, system.highlight};
    s.secondary = {system.button_face, system.button_text, system.button_text, system.button_face, system.button_text};
    s.dark_title_bar = false;  // the theme's own title bar
    return s;
}

RoleColors role_colors(const ColorScheme& scheme, std::intptr_t role)
{
    // The user-data slot can hold anything another piece of code put there;
    // whatever is not a known role is drawn as plain text.
    switch (role) {
    case static_cast<std::intptr_t>(ColorRole::Footnote): return {scheme.label, scheme.window, BrushKind::Window};
    case static_cast<std::intptr_t>(ColorRole::RowLabel): return {scheme.label, scheme.card, BrushKind::Card};
    case static_cast<std::intptr_t>(ColorRole::ValuePending): return {scheme.pending, scheme.card, BrushKind::Card};
    case static_cast<std::intptr_t>(ColorRole::ValueMissing): return {scheme.missing, scheme.card, BrushKind::Card};
    case static_cast<std::intptr_t>(ColorRole::ValueFound): return {scheme.text, scheme.card, BrushKind::Card};
    case static_cast<std::intptr_t>(ColorRole::LinkBox): return {scheme.text, scheme.band, BrushKind::Line};
    default: return {scheme.text, scheme.window, BrushKind::Window};
    }
}

ButtonColors button_colors(const ColorScheme& scheme, int id, bool pressed)
{
    // Button 1 carries the main action in the accent colour; any other button is quiet.
    const ButtonScheme& b = id == control_id::primary ? scheme.primary : scheme.secondary;
    if (pressed) return {b.pressed_fill, b.pressed_caption, b.outline};
    return {b.fill, b.caption, b.outline};
}

RowMark row_mark(std::intptr_t value_role)
{
    switch (value_role) {
    case static_cast<std::intptr_t>(ColorRole::ValueFound): return RowMark::Found;
    case static_cast<std::intptr_t>(ColorRole::ValueMissing): return RowMark::Missing;
    default: return RowMark::Pending;
    }
}

std::uint32_t mark_color(const ColorScheme& scheme, RowMark mark)
{
    switch (mark) {
    case RowMark::Found: return scheme.mark_found;
    case RowMark::Missing: return scheme.mark_missing;
    case RowMark::Pending: break;
    }
    return scheme.mark_pending;
}

}  // namespace qd::gui
