// GDI of the stand-in: objects, selection, and the pixels each call draws.
#include <windows.h>
#include <winapi_testing.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const COLORREF kFace = RGB(240, 240, 240);
const COLORREF kGreen = RGB(63, 255, 63);

LRESULT CALLBACK plain_proc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

class Gdi : public ::testing::Test {
protected:
    void SetUp() override {
        winapi_test_reset();
        static bool registered = false;
        if (!registered) {
            WNDCLASSA wc{};
            wc.lpfnWndProc = plain_proc;
            wc.lpszClassName = "GdiPanel";
            ASSERT_NE(RegisterClassA(&wc), 0);
            registered = true;
        }
    }
    void TearDown() override {
        EXPECT_EQ(winapi_test_gdi_objects(), 0) << "GDI objects leaked";
        EXPECT_EQ(winapi_test_window_dcs(), 0) << "window DCs not released";
    }

    // A borderless window whose client area is w x h at screen (0, 0).
    HWND window(int w, int h) {
        return CreateWindowExA(0, "GdiPanel", "", WS_POPUP | WS_VISIBLE, 0, 0, w, h, nullptr, nullptr,
                               nullptr, nullptr);
    }

    // The client area as text, one character per pixel from `legend`.
    static std::string picture(HWND h, int w, int hgt, std::vector<std::pair<COLORREF, char>> legend) {
        std::string s;
        for (int y = 0; y < hgt; ++y) {
            for (int x = 0; x < w; ++x) {
                COLORREF c = winapi_test_pixel(h, x, y);
                char ch = '?';
                for (auto &[col, l] : legend)
                    if (col == c) ch = l;
                s += ch;
            }
            s += '\n';
        }
        return s;
    }

    static void clear(HDC dc, int w, int h, COLORREF c) {
        HBRUSH b = CreateSolidBrush(c);
        RECT r{0, 0, w, h};
        FillRect(dc, &r, b);
        DeleteObject(b);
    }
};

TEST_F(Gdi, RectangleOutlinesWithPensOfEachWidth) {
    HWND h = window(8, 7);
    HDC dc = GetDC(h);
    struct Case {
        const char *what;
        int pen_width;
        bool null_pen;
        int brush;  // stock brush index
        const char *want;
    } cases[] = {
        {"1-pixel pen, hollow", 1, false, NULL_BRUSH,
         "........\n"
         ".gggggg.\n"
         ".g....g.\n"
         ".g....g.\n"
         ".g....g.\n"
         ".gggggg.\n"
         "........\n"},
        {"2-pixel pen straddles the outline", 2, false, NULL_BRUSH,
         "........\n"
         ".ggggggg\n"
         ".ggggggg\n"
         ".gg...gg\n"
         ".gg...gg\n"
         ".ggggggg\n"
         ".ggggggg\n"},
        {"null pen fills one less right and bottom", 1, true, BLACK_BRUSH,
         "........\n"
         ".KKKKK..\n"
         ".KKKKK..\n"
         ".KKKKK..\n"
         ".KKKKK..\n"
         "........\n"
         "........\n"},
        {"pen with stock black brush", 1, false, BLACK_BRUSH,
         "........\n"
         ".gggggg.\n"
         ".gKKKKg.\n"
         ".gKKKKg.\n"
         ".gKKKKg.\n"
         ".gggggg.\n"
         "........\n"},
    };
    for (const Case &k : cases) {
        clear(dc, 8, 7, kFace);
        HPEN pen = k.null_pen ? (HPEN)GetStockObject(NULL_PEN) : CreatePen(PS_SOLID, k.pen_width, kGreen);
        HGDIOBJ old_pen = SelectObject(dc, pen);
        HGDIOBJ old_brush = SelectObject(dc, GetStockObject(k.brush));
        EXPECT_TRUE(Rectangle(dc, 1, 1, 7, 6));
        SelectObject(dc, old_pen);
        SelectObject(dc, old_brush);
        DeleteObject(pen);
        EXPECT_EQ(picture(h, 8, 7, {{kFace, '.'}, {kGreen, 'g'}, {0, 'K'}}), k.want) << k.what;
    }
    ReleaseDC(h, dc);
}

TEST_F(Gdi, FillRectTakesBrushesAndSystemColourIndices) {
    HWND h = window(4, 2);
    HDC dc = GetDC(h);
    RECT all{0, 0, 4, 2}, part{1, 0, 3, 1};
    EXPECT_EQ(FillRect(dc, &all, (HBRUSH)(COLOR_BTNFACE + 1)), 1);
    EXPECT_EQ(FillRect(dc, &part, GetSysColorBrush(COLOR_WINDOW)), 1);
    EXPECT_EQ(picture(h, 4, 2, {{kFace, '.'}, {RGB(255, 255, 255), 'W'}}), ".WW.\n....\n");
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), kFace);
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 4, 0), CLR_INVALID);
    ReleaseDC(h, dc);
}

TEST_F(Gdi, SelectObjectReturnsWhatItReplacesAndDeletionIsTracked) {
    HDC mem = CreateCompatibleDC(nullptr);
    HPEN a = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    HPEN b = CreatePen(PS_SOLID, 2, RGB(4, 5, 6));
    HBITMAP bm = CreateBitmap(2, 2, 1, 32, nullptr);
    EXPECT_EQ(winapi_test_gdi_objects(), 4);
    HGDIOBJ stock_pen = SelectObject(mem, a);
    EXPECT_EQ(stock_pen, GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(mem, b), (HGDIOBJ)a);
    EXPECT_EQ(GetCurrentObject(mem, OBJ_PEN), (HGDIOBJ)b);
    HGDIOBJ default_bitmap = SelectObject(mem, bm);
    EXPECT_NE(default_bitmap, nullptr);
    EXPECT_EQ(GetObjectType(mem), (DWORD)OBJ_MEMDC);
    EXPECT_FALSE(DeleteObject(bm)) << "a selected bitmap cannot be deleted";
    EXPECT_TRUE(DeleteObject(b)) << "a selected pen is deleted once deselected";
    EXPECT_EQ(winapi_test_gdi_objects(), 4);
    SelectObject(mem, stock_pen);
    EXPECT_EQ(winapi_test_gdi_objects(), 3);
    EXPECT_TRUE(DeleteObject(a));
    EXPECT_TRUE(DeleteObject(GetStockObject(NULL_BRUSH)));
    EXPECT_TRUE(DeleteDC(mem));
    EXPECT_TRUE(DeleteObject(bm)) << "free again once its context is gone";
    EXPECT_FALSE(DeleteObject(bm));
    EXPECT_FALSE(DeleteDC(mem));
}

TEST_F(Gdi, BitmapsCompatibleWithAFreshMemoryContextAreMonochrome) {
    HWND h = window(4, 4);
    HDC wdc = GetDC(h);
    HDC mem = CreateCompatibleDC(wdc);
    HBITMAP colour = CreateCompatibleBitmap(wdc, 3, 2);
    HBITMAP mono = CreateCompatibleBitmap(mem, 3, 2);
    BITMAP info;
    ASSERT_EQ(GetObjectA(colour, sizeof info, &info), (int)sizeof info);
    EXPECT_EQ(info.bmBitsPixel, 32);
    EXPECT_EQ(info.bmWidth, 3);
    GetObjectA(mono, sizeof info, &info);
    EXPECT_EQ(info.bmBitsPixel, 1);
    HGDIOBJ old = SelectObject(mem, mono);
    RECT left{0, 0, 1, 2}, right{1, 0, 3, 2};
    FillRect(mem, &left, (HBRUSH)GetStockObject(DKGRAY_BRUSH));
    FillRect(mem, &right, (HBRUSH)GetStockObject(LTGRAY_BRUSH));
    EXPECT_EQ(winapi_test_bitmap_pixel(mono, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(winapi_test_bitmap_pixel(mono, 1, 0), RGB(255, 255, 255));
    SelectObject(mem, old);
    DeleteObject(colour);
    DeleteObject(mono);
    DeleteDC(mem);
    ReleaseDC(h, wdc);
}

TEST_F(Gdi, BitBltCopiesBetweenContextsAndWithinOne) {
    HWND h = window(6, 3);
    HDC wdc = GetDC(h);
    HDC back = CreateCompatibleDC(wdc);
    HBITMAP bm = CreateCompatibleBitmap(wdc, 6, 3);
    HGDIOBJ old = SelectObject(back, bm);
    clear(back, 6, 3, kFace);
    for (int x = 0; x < 3; ++x) SetPixel(back, x, 1, RGB(x + 1, 0, 0));
    // Overlapping move to the right inside one buffer reads the source first.
    EXPECT_TRUE(BitBlt(back, 1, 1, 3, 1, back, 0, 1, SRCCOPY));
    clear(wdc, 6, 3, 0);
    EXPECT_TRUE(BitBlt(wdc, 0, 0, 6, 3, back, 0, 0, SRCCOPY));
    EXPECT_EQ(picture(h, 6, 3, {{kFace, '.'}, {RGB(1, 0, 0), '1'}, {RGB(2, 0, 0), '2'}, {RGB(3, 0, 0), '3'}}),
              "......\n"
              "1123..\n"
              "......\n");
    // Parts outside the source are left alone; unknown raster operations fail.
    clear(wdc, 6, 3, 0);
    BitBlt(wdc, 0, 0, 6, 3, back, 3, 0, SRCCOPY);
    EXPECT_EQ(winapi_test_pixel(h, 2, 0), kFace);
    EXPECT_EQ(winapi_test_pixel(h, 3, 0), 0u);
    EXPECT_FALSE(BitBlt(wdc, 0, 0, 1, 1, back, 0, 0, 0x12345678));
    SelectObject(back, old);
    DeleteObject(bm);
    DeleteDC(back);
    ReleaseDC(h, wdc);
}

TEST_F(Gdi, StretchDIBitsReadsBottomUpRowsWithPadding) {
    HWND h = window(6, 4);
    HDC dc = GetDC(h);
    clear(dc, 6, 4, kFace);
    // 3 x 2 pixels, 24 bits: rows of 9 bytes padded to 12, bottom row first.
    const unsigned char bits[24] = {
        0, 0, 1, 0, 0, 2, 0, 0, 3, 0xEE, 0xEE, 0xEE,  // bottom: red 1, 2, 3
        0, 0, 4, 0, 0, 5, 0, 0, 6, 0xEE, 0xEE, 0xEE,  // top: red 4, 5, 6
    };
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = 3;
    bmi.bmiHeader.biHeight = 2;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    EXPECT_EQ(SetStretchBltMode(dc, COLORONCOLOR), BLACKONWHITE);
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 6, 4, 0, 0, 3, 2, bits, &bmi, DIB_RGB_COLORS, SRCCOPY), 2);
    std::vector<std::pair<COLORREF, char>> legend;
    for (int v = 1; v <= 6; ++v) legend.push_back({RGB(v, 0, 0), (char)('0' + v)});
    EXPECT_EQ(picture(h, 6, 4, legend),
              "445566\n"
              "445566\n"
              "112233\n"
              "112233\n");
    // Shrinking drops pixels; the source rectangle's y counts from the bottom.
    clear(dc, 6, 4, kFace);
    StretchDIBits(dc, 1, 1, 2, 1, 0, 0, 3, 2, bits, &bmi, DIB_RGB_COLORS, SRCCOPY);
    StretchDIBits(dc, 4, 1, 1, 1, 1, 1, 1, 1, bits, &bmi, DIB_RGB_COLORS, SRCCOPY);
    legend.push_back({kFace, '.'});
    EXPECT_EQ(picture(h, 6, 4, legend),
              "......\n"
              ".45.5.\n"
              "......\n"
              "......\n");
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 6, 4, 0, 0, 3, 2, nullptr, &bmi, DIB_RGB_COLORS, SRCCOPY), 0);
    ReleaseDC(h, dc);
}

TEST_F(Gdi, PaletteIndicesPastTheColourTableReadAsBlack) {
    HWND h = window(4, 1);
    HDC dc = GetDC(h);
    clear(dc, 4, 1, kFace);
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[2];
    } bmi{};
    bmi.header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), 4, 1, 1, 8, BI_RGB, 0, 0, 0, 2, 0};
    bmi.colours[0] = RGBQUAD{0, 0, 9, 0};
    bmi.colours[1] = RGBQUAD{0, 9, 0, 0};
    const unsigned char bits[4] = {0, 1, 2, 255};
    EXPECT_EQ(StretchDIBits(dc, 0, 0, 4, 1, 0, 0, 4, 1, bits, (const BITMAPINFO *)&bmi, DIB_RGB_COLORS, SRCCOPY), 1);
    EXPECT_EQ(picture(h, 4, 1, {{RGB(9, 0, 0), 'r'}, {RGB(0, 9, 0), 'g'}, {0, 'K'}}), "rgKK\n");
    ReleaseDC(h, dc);
}

TEST_F(Gdi, PaintContextsAreClippedToTheInvalidArea) {
    HWND h = window(4, 4);
    winapi_test_pump(0);
    RECT r{1, 1, 3, 3};
    InvalidateRect(h, &r, FALSE);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    EXPECT_TRUE(EqualRect(&ps.rcPaint, &r));
    RECT all{0, 0, 4, 4};
    FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    EndPaint(h, &ps);
    EXPECT_EQ(picture(h, 4, 4, {{0, '.'}, {RGB(255, 255, 255), 'W'}}), "....\n.WW.\n.WW.\n....\n");
    dc = BeginPaint(h, &ps);  // nothing invalid: nothing drawn
    FillRect(dc, &all, (HBRUSH)GetStockObject(WHITE_BRUSH));
    EndPaint(h, &ps);
    EXPECT_EQ(winapi_test_pixel(h, 0, 0), 0u);
}

TEST_F(Gdi, ChildContextsDrawIntoTheirAreaOfTheParent) {
    HWND p = window(6, 4);
    HWND c = CreateWindowExA(0, "GdiPanel", nullptr, WS_CHILD | WS_VISIBLE, 2, 1, 3, 2, p, nullptr, nullptr,
                             nullptr);
    HDC pdc = GetDC(p), cdc = GetDC(c);
    clear(pdc, 6, 4, kFace);
    RECT big{-5, -5, 50, 50};
    FillRect(cdc, &big, (HBRUSH)GetStockObject(BLACK_BRUSH));
    EXPECT_EQ(picture(p, 6, 4, {{kFace, '.'}, {0, 'K'}}), "......\n..KKK.\n..KKK.\n......\n");
    EXPECT_EQ(winapi_test_pixel(c, 0, 0), 0u);
    ReleaseDC(c, cdc);
    ReleaseDC(p, pdc);
}

TEST_F(Gdi, DisplayContextReportsTheTestScreen) {
    winapi_test_set_screen_size(1280, 720);
    HDC d = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(GetDeviceCaps(d, HORZRES), 1280);
    EXPECT_EQ(GetDeviceCaps(d, VERTRES), 720);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(winapi_test_gdi_objects(), 1);
    EXPECT_TRUE(DeleteDC(d));
    EXPECT_EQ(CreateDCA("PRINTER", nullptr, nullptr, nullptr), nullptr);
}

TEST_F(Gdi, TextAndWholeWindowRendering) {
    HWND h = CreateWindowExA(0, "GdiPanel", "I", WS_OVERLAPPED | WS_CAPTION | WS_HSCROLL | WS_VISIBLE, 0, 0, 60,
                             60, nullptr, nullptr, nullptr, nullptr);
    HDC dc = GetDC(h);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(1, 1, 1));
    RECT c;
    GetClientRect(h, &c);
    FillRect(dc, &c, (HBRUSH)(COLOR_BTNFACE + 1));
    EXPECT_TRUE(TextOutA(dc, 0, 0, "I", 1));
    // 'I': a bar of three at the top, one column in the middle.
    EXPECT_EQ(winapi_test_pixel(h, 1, 1), RGB(1, 1, 1));
    EXPECT_EQ(winapi_test_pixel(h, 2, 4), RGB(1, 1, 1));
    EXPECT_EQ(winapi_test_pixel(h, 1, 4), kFace);
    ReleaseDC(h, dc);
    std::vector<COLORREF> out(60 * 60);
    EXPECT_FALSE(winapi_test_render_window(h, out.data(), 59, 60));
    ASSERT_TRUE(winapi_test_render_window(h, out.data(), 60, 60));
    // Caption at rows 3..21 with the title's 'I' in the caption text colour.
    EXPECT_EQ(out[10 * 60 + 30], GetSysColor(COLOR_ACTIVECAPTION));
    EXPECT_EQ(out[(3 + 5 + 1) * 60 + 3 + 4 + 1], GetSysColor(COLOR_CAPTIONTEXT));
    EXPECT_EQ(out[30 * 60 + 10], kFace);
}

}  // namespace
