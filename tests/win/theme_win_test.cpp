// The thread's colour scheme and brushes, and the window following the
// system's theme and High Contrast setting.
#include "gui/theme_win.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "gui/colors.h"
#include "gui/layout.h"
#include "window_fixture.h"

using namespace qd::test;
using namespace qd::checks;
using namespace qd::gui;

TEST(BrushSet, ThreeBrushesOfThePaletteMadeOnceAndKept)
{
    HBRUSH card = card_brush();  // asking for one makes all three
    HBRUSH window = window_brush();
    HBRUSH line = line_brush();
    struct Case {
        HBRUSH brush;
        HBRUSH again;
        COLORREF colour;
    };
    const Case cases[] = {{window, window_brush(), RGB(28, 28, 28)},
                          {card, card_brush(), RGB(38, 38, 38)},
                          {line, line_brush(), RGB(48, 48, 48)},
                          {separator_brush(), separator_brush(), RGB(48, 48, 48)}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.brush, c.again);
        LOGBRUSH info = {};
        ASSERT_EQ(GetObjectW(c.brush, sizeof(info), &info), static_cast<int>(sizeof(info)));
        EXPECT_EQ(info.lbStyle, static_cast<UINT>(BS_SOLID));
        EXPECT_EQ(info.lbColor, c.colour);
    }
    EXPECT_NE(window, card);
    EXPECT_NE(card, line);
    // Another thread gets brushes of its own: the set belongs to its thread.
    HBRUSH other = nullptr;
    std::thread([&] { other = window_brush(); }).join();
    EXPECT_NE(other, window);
}

namespace {

COLORREF brush_colour(HBRUSH brush)
{
    LOGBRUSH info = {};
    return GetObjectW(brush, sizeof(info), &info) == static_cast<int>(sizeof(info)) ? info.lbColor : CLR_INVALID;
}

bool has_update_region(HWND window)
{
    RECT r = {};
    return GetUpdateRect(window, &r, FALSE) != FALSE;
}

// The screen as the window painted it, at a client point.
COLORREF painted_pixel(HWND window, int x, int y)
{
    HDC dc = GetDC(window);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
}

}  // namespace

TEST_F(MainWindowTest, ThemeChangesSwitchToTheSystemColoursAndBackFreeingTheOldBrushes)
{
    // Wine's own system colours, which share none of the palette's.
    const COLORREF sys_window = GetSysColor(COLOR_WINDOW), sys_text = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF sys_gray = GetSysColor(COLOR_GRAYTEXT);
    ASSERT_NE(sys_window, palette::window);

    const LayoutMetrics m = layout_metrics(96, false);
    const int mid_row = m.card_rect.top + m.row_height / 2;
    struct Message {
        UINT message;
        WPARAM wparam;
        const wchar_t* area;
    };
    const Message changes[] = {
        {WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, nullptr},
        {WM_SETTINGCHANGE, 0, L"WindowsThemeElement"},
        {WM_SYSCOLORCHANGE, 0, nullptr},
    };
    HighContrastSeam seam(false);
    for (const Message& change : changes) {
        SCOPED_TRACE(change.message * 100 + change.wparam);
        for (const bool on : {true, false}) {
            SCOPED_TRACE(on ? "on" : "off");
            UpdateWindow(window);
            ASSERT_FALSE(has_update_region(window));
            const HBRUSH old_window = window_brush(), old_card = card_brush(), old_line = line_brush();
            const HBRUSH old_separator = separator_brush();
            title_bar_calls.clear();
            high_contrast_answer = on;
            SendMessageW(window, change.message, change.wparam, reinterpret_cast<LPARAM>(change.area));

            for (HBRUSH old : {old_window, old_card, old_line, old_separator}) EXPECT_FALSE(gdi_object_alive(old));
            EXPECT_EQ(brush_colour(window_brush()), on ? sys_window : palette::window);
            EXPECT_EQ(brush_colour(card_brush()), on ? sys_window : palette::card);
            EXPECT_EQ(brush_colour(line_brush()), on ? sys_window : palette::line);
            EXPECT_EQ(brush_colour(separator_brush()), on ? sys_text : palette::line);

            // The window and every control are to paint again, and the title bar follows.
            EXPECT_TRUE(has_update_region(window));
            EXPECT_TRUE(has_update_region(item(control_id::header)));
            EXPECT_TRUE(has_update_region(item(control_id::first_value + 5)));
            const std::vector<AttributeCall> title_bar = {
                {window, 20, 4, on ? 0u : 1u},
                {window, 35, 4, on ? 0xFFFFFFFF : palette::window},  // the system's own colour, or the palette's
                {window, 36, 4, on ? 0xFFFFFFFF : palette::text},
            };
            EXPECT_EQ(title_bar_calls, title_bar);

            // What the controls are told, and what the window paints.
            HWND value = item(control_id::first_value);  // still pending
            HDC dc = GetDC(value);
            const LRESULT brush =
                SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(value));
            EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), card_brush());
            EXPECT_EQ(GetTextColor(dc), on ? sys_gray : palette::muted);
            EXPECT_EQ(GetBkColor(dc), on ? sys_window : palette::card);
            ReleaseDC(value, dc);
            UpdateWindow(window);
            EXPECT_EQ(painted_pixel(window, m.margin / 2, mid_row), on ? sys_window : palette::window);
            EXPECT_EQ(painted_pixel(window, m.card_rect.left, mid_row), on ? sys_text : palette::card);  // outline
            EXPECT_EQ(painted_pixel(window, m.card_rect.left + 3, mid_row), on ? sys_window : palette::card);
            EXPECT_EQ(painted_pixel(window, m.card_rect.left + 20, m.card_rect.top + m.row_height),
                      on ? sys_text : palette::line);  // a separator
        }
    }

    // Other settings leave the colours alone.
    const HBRUSH kept = window_brush();
    high_contrast_answer = true;
    title_bar_calls.clear();
    for (const Message& other : {Message{WM_SETTINGCHANGE, SPI_SETWORKAREA, nullptr},
                                 Message{WM_SETTINGCHANGE, 0, L"Environment"}, Message{WM_SETTINGCHANGE, 0, L"intl"}}) {
        SendMessageW(window, other.message, other.wparam, reinterpret_cast<LPARAM>(other.area));
        EXPECT_EQ(window_brush(), kept);
    }
    EXPECT_TRUE(title_bar_calls.empty());
}
