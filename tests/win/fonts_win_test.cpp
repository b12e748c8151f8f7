// The fonts at each DPI, what owns them, how the controls get them, and the
// window's icons.
#include "gui/fonts_win.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "checks/owned_win.h"
#include "window_fixture.h"

using namespace qd::test;
using namespace qd::checks;
using namespace qd::gui;

namespace {

using UniqueBitmap = Owned<GdiTraits<HBITMAP>>;

// The width and height of an icon's image; 0 x 0 when it is no icon.
SIZE icon_size(HICON icon)
{
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return SIZE{0, 0};
    const UniqueBitmap mask(info.hbmMask);
    const UniqueBitmap color(info.hbmColor);
    BITMAP bitmap = {};
    if (GetObjectW(color ? color.get() : mask.get(), sizeof(bitmap), &bitmap) == 0) return SIZE{0, 0};
    return SIZE{bitmap.bmWidth, color ? bitmap.bmHeight : bitmap.bmHeight / 2};
}

}  // namespace

TEST(FontSet, HeightsWeightsAndFaceAtEachDpi)
{
    struct Case {
        std::uint32_t dpi;
        int title, body, strong, small;
    };
    const Case cases[] = {
        {96, -20, -14, -14, -12}, {120, -25, -17, -17, -15}, {144, -30, -21, -21, -18}, {192, -40, -28, -28, -24}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const FontSet fonts = create_font_set(c.dpi);
        const LOGFONTW title = font_info(fonts.title_font.get());
        const LOGFONTW body = font_info(fonts.body_font.get());
        const LOGFONTW strong = font_info(fonts.strong_font.get());
        const LOGFONTW small = font_info(fonts.small_font.get());
        EXPECT_EQ(title.lfHeight, c.title);
        EXPECT_EQ(body.lfHeight, c.body);
        EXPECT_EQ(strong.lfHeight, c.strong);
        EXPECT_EQ(small.lfHeight, c.small);
        EXPECT_EQ(title.lfWeight, 600);
        EXPECT_EQ(body.lfWeight, 400);
        EXPECT_EQ(strong.lfWeight, 600);
        EXPECT_EQ(small.lfWeight, 400);
        EXPECT_EQ(std::wstring(body.lfFaceName), L"Segoe UI");
        EXPECT_EQ(body.lfQuality, CLEARTYPE_QUALITY);
        EXPECT_EQ(body.lfCharSet, DEFAULT_CHARSET);
    }
}

TEST(FontSet, FontsAreDeletedByTheSetAndAMoveHandsThemOver)
{
    HGDIOBJ made[4];
    {
        const FontSet fonts = create_font_set(96);
        made[0] = fonts.title_font.get();
        made[1] = fonts.body_font.get();
        made[2] = fonts.strong_font.get();
        made[3] = fonts.small_font.get();
        for (HGDIOBJ f : made) EXPECT_TRUE(gdi_object_alive(f));
    }
    for (HGDIOBJ f : made) EXPECT_FALSE(gdi_object_alive(f));

    FontSet fonts = create_font_set(120);
    HGDIOBJ body = fonts.body_font.get();
    {
        const FontSet moved = std::move(fonts);  // a move hands the fonts over, deleting nothing
        EXPECT_TRUE(gdi_object_alive(body));
        EXPECT_FALSE(fonts.body_font);
    }
    EXPECT_FALSE(gdi_object_alive(body));
}

TEST_F(MainWindowTest, ApplyFontsGivesEachControlItsFontAndTheLinkBoxItsMargins)
{
    struct Case {
        std::uint32_t dpi;
        int margin;
    };
    for (const Case c : {Case{96, 8}, Case{120, 10}, Case{144, 12}}) {
        SCOPED_TRACE(c.dpi);
        const FontSet fonts = create_font_set(c.dpi);
        apply_fonts(window, fonts, c.dpi);
        auto font_of = [&](int id) { return reinterpret_cast<HFONT>(SendMessageW(item(id), WM_GETFONT, 0, 0)); };
        EXPECT_EQ(font_of(control_id::header), fonts.title_font.get());
        for (int row = 0; row < row_count; ++row) {
            EXPECT_EQ(font_of(control_id::first_label + row), fonts.body_font.get());
            EXPECT_EQ(font_of(control_id::first_value + row), fonts.strong_font.get());
        }
        EXPECT_EQ(font_of(control_id::message), fonts.body_font.get());
        EXPECT_EQ(font_of(control_id::link_box), fonts.body_font.get());
        EXPECT_EQ(font_of(control_id::footnote), fonts.small_font.get());
        EXPECT_EQ(font_of(control_id::primary), fonts.strong_font.get());
        EXPECT_EQ(font_of(control_id::secondary), fonts.strong_font.get());
        const LRESULT margins = SendMessageW(item(control_id::link_box), EM_GETMARGINS, 0, 0);
        EXPECT_EQ(LOWORD(margins), c.margin);
        EXPECT_EQ(HIWORD(margins), c.margin);
        StateGuard state;  // the state's own fonts go back before this set is deleted
        apply_fonts(window, state->fonts, state->dpi);
    }
}

TEST_F(MainWindowTest, WindowAndTaskbarIconsHaveTheSizesOfTheDpiAndFollowADpiChange)
{
    auto icon = [&](WPARAM kind) { return reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, kind, 0)); };
    auto expect_sizes = [&](std::uint32_t dpi) {
        SCOPED_TRACE(dpi);
        const int small_size = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
        const int big_size = GetSystemMetricsForDpi(SM_CXICON, dpi);
        ASSERT_LT(small_size, big_size);
        const SIZE small_icon = icon_size(icon(ICON_SMALL));
        const SIZE big_icon = icon_size(icon(ICON_BIG));
        EXPECT_EQ(small_icon.cx, small_size);
        EXPECT_EQ(small_icon.cy, small_size);
        EXPECT_EQ(big_icon.cx, big_size);
        EXPECT_EQ(big_icon.cy, big_size);
    };
    std::uint32_t first_dpi = 0;
    {
        StateGuard state;
        ASSERT_TRUE(state);
        first_dpi = state->dpi;
    }
    expect_sizes(first_dpi);
    const HICON old_small = icon(ICON_SMALL);
    const HICON old_big = icon(ICON_BIG);

    const std::uint32_t new_dpi = first_dpi == 144 ? 192 : 144;
    RECT suggested = {0, 0, 900, 900};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(new_dpi, new_dpi), reinterpret_cast<LPARAM>(&suggested));
    expect_sizes(new_dpi);
    EXPECT_EQ(icon_size(old_small).cx, 0);  // the replaced icons are destroyed
    EXPECT_EQ(icon_size(old_big).cx, 0);
}
