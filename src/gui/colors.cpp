#include "gui/colors.h"

#include "gui/window_ids.h"

RoleColors role_colors(std::intptr_t role)
{
    // The user-data slot can hold anything another piece of code put there;
    // whatever is not a known role is drawn as plain text.
    switch (role) {
    case static_cast<std::intptr_t>(ColorRole::Footnote): return {palette::muted, palette::window, BrushKind::Window};
    case static_cast<std::intptr_t>(ColorRole::RowLabel):
    case static_cast<std::intptr_t>(ColorRole::ValuePending):
    case static_cast<std::intptr_t>(ColorRole::ValueMissing): return {palette::muted, palette::card, BrushKind::Card};
    case static_cast<std::intptr_t>(ColorRole::ValueFound): return {palette::text, palette::card, BrushKind::Card};
    case static_cast<std::intptr_t>(ColorRole::LinkBox): return {palette::text, palette::line, BrushKind::Line};
    default: return {palette::text, palette::window, BrushKind::Window};
    }
}

ButtonColors button_colors(int id, bool pressed)
{
    // Button 1 carries the main action in the accent colour; any other button is quiet.
    if (id == control_id::primary) return {pressed ? palette::accent_pressed : palette::accent, palette::on_accent};
    return {pressed ? palette::dim : palette::line, palette::text};
}

RowMark row_mark(std::intptr_t value_role)
{
    switch (value_role) {
    case static_cast<std::intptr_t>(ColorRole::ValueFound): return RowMark::Found;
    case static_cast<std::intptr_t>(ColorRole::ValueMissing): return RowMark::Missing;
    default: return RowMark::Pending;
    }
}
