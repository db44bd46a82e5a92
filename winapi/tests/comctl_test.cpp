// The toolbar, its tooltips and image lists in the stand-in.
#include <windows.h>
#include <commctrl.h>
#include <winapi_testing.h>

#include <gtest/gtest.h>

#include <vector>

#include "fixture.h"

namespace {

std::vector<WPARAM> g_commands;

LRESULT CALLBACK host_proc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_COMMAND) g_commands.push_back(w);
    if (m == WM_NOTIFY) {
        NMTTDISPINFOA *di = (NMTTDISPINFOA *)l;
        if (di->hdr.code == TTN_NEEDTEXTA) {
            if (di->hdr.idFrom == 40039) di->lpszText = (LPSTR) "Jump to Start Marker  ";
            if (di->hdr.idFrom == 40040) lstrcpyA(di->szText, "Jump to End Marker    ");
            if (di->hdr.idFrom == 40041) {
                di->hinst = GetModuleHandleA(nullptr);
                di->lpszText = MAKEINTRESOURCEA(IDS_SEVEN);
            }
        }
    }
    if (m == WM_SIZE) {
        HWND tb = GetDlgItem(h, 100);
        if (tb) SendMessageA(tb, WM_SIZE, w, l);
    }
    return DefWindowProcA(h, m, w, l);
}

class Toolbar : public ::testing::Test {
protected:
    void SetUp() override {
        winapi_test_reset();
        g_commands.clear();
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = host_proc;
            wc.lpszClassName = "ToolbarHost";
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_BAR_CLASSES};
        ASSERT_TRUE(InitCommonControlsEx(&icc));
        panel_ = CreateWindowExA(0, "ToolbarHost", "Skimreel", WS_POPUP | WS_VISIBLE, 0, 0, 300, 100, nullptr,
                                 nullptr, nullptr, nullptr);
        // Check button, two buttons, a separator, one more button.
        TBBUTTON b[5] = {};
        const int ids[5] = {40038, 40039, 40040, 0, 40041};
        const BYTE styles[5] = {TBSTYLE_CHECK, TBSTYLE_BUTTON, TBSTYLE_BUTTON, TBSTYLE_SEP, TBSTYLE_BUTTON};
        for (int i = 0; i < 5; ++i) {
            b[i].iBitmap = i < 3 ? i : (i == 4 ? 3 : 0);
            b[i].idCommand = ids[i];
            b[i].fsState = TBSTATE_ENABLED;
            b[i].fsStyle = styles[i];
        }
        toolbar_ = CreateToolbarEx(panel_, WS_CHILD | WS_VISIBLE | WS_BORDER | TBSTYLE_TOOLTIPS, 100, 4,
                                   GetModuleHandleA(nullptr), IDB_STRIP, b, 5, 16, 16, 1, 1, sizeof(TBBUTTON));
        ASSERT_NE(toolbar_, nullptr);
    }

    void click(int x, int y) {
        SendMessageA(toolbar_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageA(toolbar_, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    HWND panel_ = nullptr;
    HWND toolbar_ = nullptr;
};

TEST_F(Toolbar, DocksAcrossTheTopAndFollowsTheParentsWidth) {
    EXPECT_EQ(GetParent(toolbar_), panel_);
    EXPECT_EQ(GetDlgItem(panel_, 100), toolbar_);
    RECT r;
    GetWindowRect(toolbar_, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 300);
    EXPECT_EQ(r.bottom, 29);
    MoveWindow(panel_, 0, 0, 500, 120, TRUE);
    GetWindowRect(toolbar_, &r);
    EXPECT_EQ(r.right, 500);
    EXPECT_EQ(SendMessageA(toolbar_, TB_BUTTONCOUNT, 0, 0), 5);
    RECT item;
    ASSERT_TRUE(SendMessageA(toolbar_, TB_GETITEMRECT, 4, (LPARAM)&item));
    // Three buttons of 16 pixels (the 1-pixel images need less), then an
    // 8-pixel separator.
    EXPECT_EQ(item.left, 3 * 16 + 8);
    EXPECT_EQ(item.top, 2);
    EXPECT_EQ(item.bottom, 2 + 16);
}

TEST_F(Toolbar, ButtonStatesAndClicks) {
    struct Case {
        int id;
        BOOL enable;
    } cases[] = {{40039, FALSE}, {40040, FALSE}, {40041, TRUE}, {40039, TRUE}};
    for (const Case &k : cases) {
        EXPECT_TRUE(SendMessageA(toolbar_, TB_ENABLEBUTTON, k.id, MAKELONG(k.enable, 0)));
        EXPECT_EQ(SendMessageA(toolbar_, TB_ISBUTTONENABLED, k.id, 0), k.enable) << k.id;
    }
    EXPECT_FALSE(SendMessageA(toolbar_, TB_ENABLEBUTTON, 12345, MAKELONG(TRUE, 0)));
    EXPECT_EQ(SendMessageA(toolbar_, TB_GETSTATE, 40040, 0), 0);
    click(16 + 16 + 5, 10);  // 40040, disabled: nothing
    click(16 + 5, 10);       // 40039
    click(5, 10);            // 40038, a check button
    EXPECT_EQ(g_commands, (std::vector<WPARAM>{40039, 40038}));
    EXPECT_TRUE(SendMessageA(toolbar_, TB_ISBUTTONCHECKED, 40038, 0));
    click(5, 10);
    EXPECT_FALSE(SendMessageA(toolbar_, TB_ISBUTTONCHECKED, 40038, 0));
    // The toolbar paints its images: button 1 shows image 1 of the strip,
    // centred; the toolbar's client area starts inside its 1-pixel border.
    winapi_test_pump(0);
    int x = 1 + 16 + (16 - 1) / 2, y = 1 + 2 + (16 - 1) / 2;
    EXPECT_EQ(winapi_test_pixel(panel_, x, y), RGB(0, 255, 0));
}

TEST_F(Toolbar, TooltipTextComesFromTheParentsNotification) {
    EXPECT_STREQ(winapi_test_tooltip_text(toolbar_, 40039), "Jump to Start Marker  ");
    EXPECT_STREQ(winapi_test_tooltip_text(toolbar_, 40040), "Jump to End Marker    ");
    EXPECT_STREQ(winapi_test_tooltip_text(toolbar_, 40041), "Seven \"7\"");
    EXPECT_EQ(winapi_test_tooltip_text(toolbar_, 40038), nullptr);  // the parent gave none
    EXPECT_EQ(winapi_test_tooltip_text(toolbar_, 0), nullptr);      // a separator
    EXPECT_NE((HWND)SendMessageA(toolbar_, TB_GETTOOLTIPS, 0, 0), nullptr);
}

TEST_F(Toolbar, RedrawingItErasesWhatTheParentDrewOverIt) {
    winapi_test_pump(0);
    const COLORREF frame = winapi_test_pixel(panel_, 40, 0), face = winapi_test_pixel(panel_, 120, 10);
    EXPECT_EQ(frame, GetSysColor(COLOR_WINDOWFRAME));
    EXPECT_EQ(face, GetSysColor(COLOR_BTNFACE));
    // A marker drawn through the parent's context covers the toolbar, frame included.
    HDC dc = GetDC(panel_);
    RECT marker{100, 0, 128, 28};
    FillRect(dc, &marker, (HBRUSH)GetStockObject(BLACK_BRUSH));
    ReleaseDC(panel_, dc);
    EXPECT_EQ(winapi_test_pixel(panel_, 110, 0), 0u);
    EXPECT_EQ(winapi_test_pixel(panel_, 110, 10), 0u);
    RECT r;
    GetClientRect(toolbar_, &r);
    r.left = 99;
    r.right = 127;
    r.bottom += 1;
    RedrawWindow(toolbar_, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_FRAME);
    EXPECT_EQ(winapi_test_pixel(panel_, 110, 0), frame);
    EXPECT_EQ(winapi_test_pixel(panel_, 110, 10), face);
    EXPECT_EQ(winapi_test_pixel(panel_, 110, 27), face);
}

TEST(ImageList, MaskedImagesDrawWithTransparency) {
    winapi_test_reset();
    HIMAGELIST il = ImageList_Create(2, 2, ILC_MASK, 1, 0);
    ASSERT_NE(il, nullptr);
    EXPECT_EQ(winapi_test_gdi_objects(), 1);
    HBITMAP strip = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_STRIP));
    ASSERT_NE(strip, nullptr);
    // Strip rows: red green blue white / black yellow red green; blue is the mask.
    EXPECT_EQ(ImageList_AddMasked(il, strip, RGB(0, 0, 255)), 0);
    DeleteObject(strip);
    EXPECT_EQ(ImageList_GetImageCount(il), 2);
    int cx = 0, cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(il, &cx, &cy));
    EXPECT_EQ(cx, 2);
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateBitmap(2, 2, 1, 32, nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    RECT r{0, 0, 2, 2};
    FillRect(dc, &r, (HBRUSH)GetStockObject(GRAY_BRUSH));
    EXPECT_TRUE(ImageList_Draw(il, 1, dc, 0, 0, ILD_NORMAL));
    EXPECT_EQ(winapi_test_bitmap_pixel(target, 0, 0), RGB(128, 128, 128));  // blue: transparent
    EXPECT_EQ(winapi_test_bitmap_pixel(target, 1, 0), RGB(255, 255, 255));
    EXPECT_EQ(winapi_test_bitmap_pixel(target, 0, 1), RGB(255, 0, 0));
    EXPECT_FALSE(ImageList_Draw(il, 2, dc, 0, 0, ILD_NORMAL));
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    EXPECT_TRUE(ImageList_Destroy(il));
    EXPECT_FALSE(ImageList_Destroy(il));
    EXPECT_EQ(winapi_test_gdi_objects(), 0);
    INITCOMMONCONTROLSEX bad{4, ICC_BAR_CLASSES};
    EXPECT_FALSE(InitCommonControlsEx(&bad));
}

}  // namespace
