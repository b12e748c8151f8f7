#include "gui/colors.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "gui/window_ids.h"

using namespace qd::gui;

namespace {

// COLORREF packs red in the low byte.
constexpr std::uint32_t rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r | g << 8 | b << 16; }

// System colours of the two High Contrast themes Windows ships, and a theme of
// a user's own in which every colour differs, so that a colour taken from the
// wrong system colour shows (in the shipped themes window and button face,
// window text and button text are alike).
//                                 window            window text       button face      button text
//                                 highlight         highlight text    gray text
constexpr SystemColors hc_white = {rgb(255, 255, 255), rgb(0, 0, 0),       rgb(255, 255, 255), rgb(0, 0, 0),
                                   rgb(55, 0, 110),    rgb(255, 255, 255), rgb(96, 0, 0)};
constexpr SystemColors hc_black = {rgb(0, 0, 0),      rgb(255, 255, 255), rgb(0, 0, 0),    rgb(255, 255, 255),
                                   rgb(26, 235, 255), rgb(0, 0, 0),       rgb(63, 242, 63)};
constexpr SystemColors hc_own = {rgb(16, 0, 64),   rgb(255, 255, 0), rgb(0, 64, 0),    rgb(0, 255, 255),
                                 rgb(255, 128, 0), rgb(0, 0, 0),     rgb(192, 96, 255)};

using Sys = std::uint32_t SystemColors::*;

}  // namespace

TEST(Palette, IsTheDarkDesignInColorrefByteOrder)
{
    struct Case {
        std::uint32_t value;
        std::uint32_t r, g, b;
    };
    const Case cases[] = {
        {palette::window, 28, 28, 28},    {palette::card, 38, 38, 38},
        {palette::line, 48, 48, 48},      {palette::dim, 58, 58, 58},
        {palette::text, 241, 241, 239},   {palette::muted, 166, 167, 162},
        {palette::accent, 159, 211, 138}, {palette::accent_pressed, 183, 227, 164},
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
        const RoleColors colors = role_colors(dark_scheme, c.role);
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
        const ButtonColors colors = button_colors(dark_scheme, c.id, c.pressed);
        EXPECT_EQ(colors.fill, c.fill) << c.id << " pressed " << c.pressed;
        EXPECT_EQ(colors.caption, c.caption) << c.id << " pressed " << c.pressed;
        EXPECT_FALSE(colors.outline) << c.id;  // the fill alone sets the body off
    }
}

TEST(RowMark, FoundMissingElsePending)
{
    struct Case {
        std::intptr_t role;
        RowMark mark;
    };
    const Case cases[] = {
        {4, RowMark::Found},         {5, RowMark::Missing},  {3, RowMark::Pending},
        {0, RowMark::Pending},       {2, RowMark::Pending},  {6, RowMark::Pending},
        {256 + 4, RowMark::Pending}, {-1, RowMark::Pending}, {INTPTR_MAX, RowMark::Pending},
    };
    for (const Case& c : cases) EXPECT_EQ(row_mark(c.role), c.mark) << c.role;
}

TEST(RowMark, ThePalettesColours)
{
    EXPECT_EQ(mark_color(dark_scheme, RowMark::Found), palette::accent);
    EXPECT_EQ(mark_color(dark_scheme, RowMark::Missing), palette::muted);
    EXPECT_EQ(mark_color(dark_scheme, RowMark::Pending), palette::dim);
}

TEST(ColorScheme, HighContrastOffIsThePaletteWhateverTheSystemColours)
{
    for (const SystemColors& system : {hc_white, hc_black, hc_own, SystemColors{}}) {
        const ColorScheme s = color_scheme(false, system);
        EXPECT_EQ(s, dark_scheme) << std::hex << system.window;
    }
    // The parts the tables above do not reach: the painted shapes and the title bar.
    EXPECT_EQ(dark_scheme.card, palette::card);
    EXPECT_EQ(dark_scheme.separator, palette::line);
    EXPECT_FALSE(dark_scheme.outlined);
    EXPECT_EQ(dark_scheme.focus_ring, palette::text);
    EXPECT_TRUE(dark_scheme.dark_title_bar);
}

TEST(ColorScheme, HighContrastOnTakesEveryColourFromTheSystemInPairs)
{
    // Which system colour each part takes; the same for every theme.
    struct RoleCase {
        std::intptr_t role;
        Sys text, background;
        BrushKind brush;
    };
    const RoleCase roles[] = {
        {0, &SystemColors::window_text, &SystemColors::window, BrushKind::Window},  // Plain
        {1, &SystemColors::window_text, &SystemColors::window, BrushKind::Window},  // Footnote
        {2, &SystemColors::window_text, &SystemColors::window, BrushKind::Card},    // RowLabel
        {3, &SystemColors::gray_text, &SystemColors::window, BrushKind::Card},      // ValuePending
        {4, &SystemColors::window_text, &SystemColors::window, BrushKind::Card},    // ValueFound
        {5, &SystemColors::window_text, &SystemColors::window, BrushKind::Card},    // ValueMissing
        {6, &SystemColors::window_text, &SystemColors::window, BrushKind::Line},    // LinkBox
        {9, &SystemColors::window_text, &SystemColors::window, BrushKind::Window},  // stray
    };
    struct ButtonCase {
        int id;
        bool pressed;
        Sys fill, caption, outline;
    };
    const ButtonCase buttons[] = {
        {control_id::primary, false, &SystemColors::highlight, &SystemColors::highlight_text, &SystemColors::highlight},
        {control_id::primary, true, &SystemColors::highlight_text, &SystemColors::highlight, &SystemColors::highlight},
        {control_id::secondary, false, &SystemColors::button_face, &SystemColors::button_text,
         &SystemColors::button_text},
        {control_id::secondary, true, &SystemColors::button_text, &SystemColors::button_face,
         &SystemColors::button_text},
    };
    struct MarkCase {
        RowMark mark;
        Sys colour;
    };
    const MarkCase marks[] = {{RowMark::Found, &SystemColors::highlight},
                              {RowMark::Missing, &SystemColors::window_text},
                              {RowMark::Pending, &SystemColors::gray_text}};

    for (const SystemColors& sys : {hc_white, hc_black, hc_own}) {
        SCOPED_TRACE(testing::Message() << std::hex << "window " << sys.window);
        const ColorScheme s = color_scheme(true, sys);
        for (const RoleCase& c : roles) {
            const RoleColors colors = role_colors(s, c.role);
            EXPECT_EQ(colors.text, sys.*c.text) << c.role;
            EXPECT_EQ(colors.background, sys.*c.background) << c.role;
            EXPECT_EQ(colors.brush, c.brush) << c.role;
        }
        for (const ButtonCase& c : buttons) {
            const ButtonColors colors = button_colors(s, c.id, c.pressed);
            EXPECT_EQ(colors.fill, sys.*c.fill) << c.id << " pressed " << c.pressed;
            EXPECT_EQ(colors.caption, sys.*c.caption) << c.id << " pressed " << c.pressed;
            EXPECT_EQ(colors.outline, sys.*c.outline) << c.id << " pressed " << c.pressed;
        }
        for (const MarkCase& c : marks) EXPECT_EQ(mark_color(s, c.mark), sys.*c.colour) << static_cast<int>(c.mark);
        // The shapes stay: the card and the band on the window's colour, outlined
        // like the separators in the text colour; the brushes take the same colours.
        EXPECT_EQ(s.card, sys.window);
        EXPECT_EQ(s.band, sys.window);
        EXPECT_EQ(s.separator, sys.window_text);
        EXPECT_TRUE(s.outlined);
        EXPECT_EQ(s.focus_ring, sys.window_text);
        EXPECT_FALSE(s.dark_title_bar);
    }
}
