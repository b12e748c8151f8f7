// The colours the controls are told and the owner-drawn buttons, in the
// palette and in High Contrast.
#include "gui/paint_win.h"

#include <gtest/gtest.h>

#include "gui/colors.h"
#include "window_fixture.h"

using namespace qd::test;
using namespace qd::checks;
using namespace qd::gui;

TEST_F(MainWindowTest, ControlColoursFollowTheColorRole)
{
    struct Case {
        LONG_PTR role;
        COLORREF text, background;
        HBRUSH brush;
    };
    const COLORREF text_c = RGB(241, 241, 239), muted = RGB(166, 167, 162);
    const COLORREF window_c = RGB(28, 28, 28), card = RGB(38, 38, 38), line = RGB(48, 48, 48);
    const Case cases[] = {
        {0, text_c, window_c, window_brush()},  {1, muted, window_c, window_brush()},
        {2, muted, card, card_brush()},         {3, muted, card, card_brush()},
        {4, text_c, card, card_brush()},        {5, muted, card, card_brush()},
        {6, text_c, line, line_brush()},        {7, text_c, window_c, window_brush()},
        {-1, text_c, window_c, window_brush()},
    };
    HWND control = item(control_id::message);
    HDC dc = GetDC(control);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.role);
        SetWindowLongPtrW(control, GWLP_USERDATA, c.role);
        const LRESULT brush =
            SendMessageW(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control));
        EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), c.brush);
        EXPECT_EQ(GetTextColor(dc), c.text);
        EXPECT_EQ(GetBkColor(dc), c.background);
    }
    SetTextColor(dc, RGB(1, 2, 3));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(SendMessageW(window, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                                    reinterpret_cast<LPARAM>(item(control_id::primary)))),
              window_brush());
    EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));  // the button answer sets no colours
    ReleaseDC(control, dc);
}

namespace {
// Draws one button item into a 124 x 36 bitmap and reads pixels back.
struct ButtonPicture {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ previous = nullptr;
    ButtonPicture()
    {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, 124, 36);
        ReleaseDC(nullptr, screen);
        previous = SelectObject(dc, bitmap);
    }
    ~ButtonPicture()
    {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    LRESULT draw(HWND window, HWND button, UINT type, UINT id, UINT state)
    {
        RECT all = {0, 0, 124, 36};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        DRAWITEMSTRUCT item = {};
        item.CtlType = type;
        item.CtlID = id;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = button;
        item.hDC = dc;
        item.rcItem = all;
        return SendMessageW(window, WM_DRAWITEM, id, reinterpret_cast<LPARAM>(&item));
    }
    COLORREF at(int x, int y) const { return GetPixel(dc, x, y); }
};
}  // namespace

TEST_F(MainWindowTest, OwnerDrawnButtonsTakeThePaletteAndShowPressAndFocus)
{
    struct Case {
        UINT id;
        UINT state;
        COLORREF fill;
    };
    const Case cases[] = {
        {control_id::primary, 0, RGB(159, 211, 138)},
        {control_id::primary, ODS_SELECTED, RGB(183, 227, 164)},
        {control_id::secondary, 0, RGB(48, 48, 48)},
        {control_id::secondary, ODS_SELECTED, RGB(58, 58, 58)},
    };
    set_phase(open_countdown_phase(false, 3));
    ButtonPicture picture;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id * 10 + c.state);
        EXPECT_EQ(picture.draw(window, item(static_cast<int>(c.id)), ODT_BUTTON, c.id, c.state), TRUE);
        EXPECT_EQ(picture.at(8, 18), c.fill);             // inside the body, left of the caption
        EXPECT_EQ(picture.at(0, 0), RGB(28, 28, 28));     // the corner shows the window colour
        EXPECT_EQ(picture.at(2, 18), RGB(28, 28, 28));    // no ring without the focus
        EXPECT_EQ(picture.at(121, 18), RGB(28, 28, 28));  // the body stops 3 short of the right edge
    }
    EXPECT_EQ(picture.draw(window, item(control_id::primary), ODT_BUTTON, control_id::primary, ODS_FOCUS), TRUE);
    EXPECT_EQ(picture.at(1, 18), RGB(241, 241, 239));  // the focus ring, inset by 1
    EXPECT_EQ(picture.at(8, 18), RGB(159, 211, 138));

    // Anything but a button is left alone.
    EXPECT_EQ(picture.draw(window, item(control_id::header), ODT_STATIC, control_id::header, 0), FALSE);
    EXPECT_EQ(picture.at(8, 18), RGB(255, 255, 255));
}

TEST_F(MainWindowTest, InHighContrastButtonsTakeTheSystemColoursOutlinedAndInvertWhenPressed)
{
    const HighContrastSeam seam(true);
    follow_theme();
    const COLORREF face = GetSysColor(COLOR_BTNFACE), face_text = GetSysColor(COLOR_BTNTEXT);
    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT), highlight_text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    const COLORREF back = GetSysColor(COLOR_WINDOW);
    struct Case {
        UINT id;
        UINT state;
        COLORREF fill, outline;
    };
    const Case cases[] = {
        {control_id::primary, 0, highlight, highlight},
        {control_id::primary, ODS_SELECTED, highlight_text, highlight},
        {control_id::secondary, 0, face, face_text},
        {control_id::secondary, ODS_SELECTED, face_text, face_text},
    };
    set_phase(open_countdown_phase(false, 3));
    ButtonPicture picture;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id * 10 + c.state);
        EXPECT_EQ(picture.draw(window, item(static_cast<int>(c.id)), ODT_BUTTON, c.id, c.state), TRUE);
        EXPECT_EQ(picture.at(8, 18), c.fill);
        EXPECT_EQ(picture.at(4, 18), c.outline);  // the body's left edge
        EXPECT_EQ(picture.at(0, 0), back);
        EXPECT_EQ(picture.at(121, 18), back);
    }
    EXPECT_EQ(picture.draw(window, item(control_id::secondary), ODT_BUTTON, control_id::secondary, ODS_FOCUS), TRUE);
    EXPECT_EQ(picture.at(1, 18), GetSysColor(COLOR_WINDOWTEXT));  // the focus ring
}
