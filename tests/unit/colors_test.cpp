#include "gui/colors.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "gui/window_ids.h"

namespace {

// COLORREF packs red in the low byte.
constexpr std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r | g << 8 | b << 16; }

}  // namespace

TEST(Palette, IsTheDarkDesignInColorrefByteOrder)
{
    struct Case {
        std::uint32_t value;
        std::uint32_t r, g, b;
    };
    const Case cases[] = {
        {palette::window, 28, 28, 28},      {palette::card, 38, 38, 38},          {palette::line, 48, 48, 48},
        {palette::dim, 58, 58, 58},         {palette::text, 241, 241, 239},       {palette::muted, 166, 167, 162},
        {palette::accent, 159, 211, 138},   {palette::accent_pressed, 183, 227, 164},
        {palette::on_accent, 23, 32, 20},
    };
    for (const Case& c : cases) EXPECT_EQ(c.value, rgb(c.r, c.g, c.b)) << c.r << "," << c.g << "," << c.b;
}

TEST(RoleColors, EachRoleAndStrayValues)
{
    struct Case {
        std::intptr_t role;
        std::uint32_t text, background;
        BrushKind brush;
    };
    const Case cases[] = {
        {0, palette::text, palette::window, BrushKind::Window},   // Plain
        {1, palette::muted, palette::window, BrushKind::Window},  // Footnote
        {2, palette::muted, palette::card, BrushKind::Card},      // RowLabel
        {3, palette::muted, palette::card, BrushKind::Card},      // ValuePending
        {4, palette::text, palette::card, BrushKind::Card},       // ValueFound
        {5, palette::muted, palette::card, BrushKind::Card},      // ValueMissing
        {6, palette::text, palette::line, BrushKind::Line},       // LinkBox
        // Anything else in the user-data slot is plain.
        {7, palette::text, palette::window, BrushKind::Window},
        {-1, palette::text, palette::window, BrushKind::Window},
        {256 + 4, palette::text, palette::window, BrushKind::Window},  // not truncated to a byte
        {INTPTR_MAX, palette::text, palette::window, BrushKind::Window},
        {INTPTR_MIN, palette::text, palette::window, BrushKind::Window},
    };
    for (const Case& c : cases) {
        const RoleColors colors = role_colors(c.role);
        EXPECT_EQ(colors.text, c.text) << c.role;
        EXPECT_EQ(colors.background, c.background) << c.role;
        EXPECT_EQ(colors.brush, c.brush) << c.role;
    }
}

TEST(ButtonColors, PrimaryIsAccentOthersAreQuiet)
{
    struct Case {
        int id;
        bool pressed;
        std::uint32_t fill, caption;
    };
    const Case cases[] = {
        {control_id::primary, false, palette::accent, palette::on_accent},
        {control_id::primary, true, palette::accent_pressed, palette::on_accent},
        {control_id::secondary, false, palette::line, palette::text},
        {control_id::secondary, true, palette::dim, palette::text},
        {control_id::header, false, palette::line, palette::text},
        {0, false, palette::line, palette::text},
        {3, true, palette::dim, palette::text},
    };
    for (const Case& c : cases) {
        const ButtonColors colors = button_colors(c.id, c.pressed);
        EXPECT_EQ(colors.fill, c.fill) << c.id << " pressed " << c.pressed;
        EXPECT_EQ(colors.caption, c.caption) << c.id << " pressed " << c.pressed;
    }
}

TEST(RowMark, FoundMissingElsePending)
{
    struct Case {
        std::intptr_t role;
        RowMark mark;
    };
    const Case cases[] = {
        {4, RowMark::Found},   {5, RowMark::Missing}, {3, RowMark::Pending},         {0, RowMark::Pending},
        {2, RowMark::Pending}, {6, RowMark::Pending}, {256 + 4, RowMark::Pending},   {-1, RowMark::Pending},
        {INTPTR_MAX, RowMark::Pending},
    };
    for (const Case& c : cases) EXPECT_EQ(row_mark(c.role), c.mark) << c.role;
}
