// The title bar the window asks for: dark in the palette's colours, or the
// system's own in High Contrast.
#include "gui/title_bar_win.h"

#include <gtest/gtest.h>

#include <vector>

#include "gui/colors.h"
#include "window_fixture.h"

using namespace qd::test;
using namespace qd::checks;
using namespace qd::gui;

TEST_F(MainWindowTest, TheWindowAsksForADarkTitleBarInThePalettesColours)
{
    const std::vector<AttributeCall> expected = {
        {window, 20, 4, TRUE},             // DWMWA_USE_IMMERSIVE_DARK_MODE
        {window, 35, 4, palette::window},  // DWMWA_CAPTION_COLOR
        {window, 36, 4, palette::text},    // DWMWA_TEXT_COLOR
    };
    EXPECT_EQ(title_bar_calls, expected);
}

TEST_F(MainWindowTest, AWindowMadeInHighContrastAsksForNoDarkTitleBar)
{
    const HighContrastSeam seam(true);
    follow_theme();
    title_bar_calls.clear();
    HWND second = create_main_window(GetModuleHandleW(nullptr), Rect{0, 0, 1024, 768});
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(title_bar_calls.empty());
    DestroyWindow(second);
}
