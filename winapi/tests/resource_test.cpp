// Resources compiled from fixture.rc by the build, served by the stand-in.
#include <windows.h>
#include <winapi_testing.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "fixture.h"

namespace {

HINSTANCE self() { return GetModuleHandleA(nullptr); }

std::u16string utf16_at(const unsigned char *p) {
    std::u16string s;
    for (; p[0] | p[1]; p += 2) s += (char16_t)(p[0] | p[1] << 8);
    return s;
}

class Resources : public ::testing::Test {
protected:
    void SetUp() override { winapi_test_reset(); }
    void TearDown() override { EXPECT_EQ(winapi_test_gdi_objects(), 0); }
};

TEST_F(Resources, BitmapsLoadByIdAndByNameWithTheirPixels) {
    const COLORREF strip_top[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
    for (LPCSTR name : {(LPCSTR)MAKEINTRESOURCEA(IDB_STRIP), "#110", "WHEEL", "wheel"}) {
        HBITMAP b = LoadBitmapA(self(), name);
        ASSERT_NE(b, nullptr);
        BITMAP info;
        GetObjectA(b, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, 4);
        EXPECT_EQ(info.bmHeight, 2);
        for (int x = 0; x < 4; ++x) EXPECT_EQ(winapi_test_bitmap_pixel(b, x, 0), strip_top[x]);
        EXPECT_EQ(winapi_test_bitmap_pixel(b, 1, 1), RGB(255, 255, 0));
        DeleteObject(b);
    }
    HBITMAP idx = LoadBitmapA(self(), MAKEINTRESOURCEA(IDB_INDEXED));
    ASSERT_NE(idx, nullptr);
    EXPECT_EQ(winapi_test_bitmap_pixel(idx, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(winapi_test_bitmap_pixel(idx, 2, 0), RGB(200, 100, 50));
    EXPECT_EQ(winapi_test_bitmap_pixel(idx, 0, 1), RGB(10, 20, 30));
    DeleteObject(idx);
    EXPECT_EQ(LoadBitmapA(self(), MAKEINTRESOURCEA(999)), nullptr);
    EXPECT_EQ(LoadBitmapA(nullptr, MAKEINTRESOURCEA(IDB_STRIP)), nullptr);
    HBITMAP img = (HBITMAP)LoadImageA(self(), "WHEEL", IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR);
    ASSERT_NE(img, nullptr);
    DeleteObject(img);
}

TEST_F(Resources, RawResourceIsTheBitmapFileWithoutItsHeader) {
    HRSRC r = FindResourceA(self(), MAKEINTRESOURCEA(IDB_STRIP), RT_BITMAP);
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(SizeofResource(self(), r), 78u - 14u);
    const BITMAPINFOHEADER *h = (const BITMAPINFOHEADER *)LockResource(LoadResource(self(), r));
    EXPECT_EQ(h->biSize, 40u);
    EXPECT_EQ(h->biBitCount, 24);
    EXPECT_EQ(FindResourceA(self(), MAKEINTRESOURCEA(IDB_STRIP), RT_ICON), nullptr);
}

TEST_F(Resources, CursorsAreSharedHandles) {
    HCURSOR c = LoadCursorA(self(), MAKEINTRESOURCEA(IDC_PICK));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(LoadCursorA(self(), MAKEINTRESOURCEA(IDC_PICK)), c);
    EXPECT_EQ((HCURSOR)LoadImageA(self(), MAKEINTRESOURCEA(IDC_PICK), IMAGE_CURSOR, 0, 0, LR_SHARED), c);
    EXPECT_EQ(winapi_test_cursor_id(c), IDC_PICK);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), c);
    EXPECT_EQ(LoadCursorA(self(), MAKEINTRESOURCEA(105)), nullptr);
    // The group directory names one image whose hot spot is (1, 0).
    HRSRC g = FindResourceA(self(), MAKEINTRESOURCEA(IDC_PICK), RT_GROUP_CURSOR);
    ASSERT_NE(g, nullptr);
    const unsigned char *dir = (const unsigned char *)LockResource(LoadResource(self(), g));
    EXPECT_EQ(dir[2], 2);  // cursors
    EXPECT_EQ(dir[4], 1);  // one image
    int image_id = dir[6 + 12] | dir[6 + 13] << 8;
    HRSRC img = FindResourceA(self(), MAKEINTRESOURCEA(image_id), RT_CURSOR);
    ASSERT_NE(img, nullptr);
    const unsigned char *p = (const unsigned char *)LockResource(LoadResource(self(), img));
    EXPECT_EQ(p[0], 1);
    EXPECT_EQ(p[2], 0);
}

TEST_F(Resources, StringTables) {
    char buf[32];
    EXPECT_EQ(LoadStringA(self(), IDS_SEVEN, buf, sizeof buf), 9);
    EXPECT_STREQ(buf, "Seven \"7\"");
    EXPECT_EQ(LoadStringA(self(), IDS_TWENTY, buf, 7), 6);
    EXPECT_STREQ(buf, "Twenty");
    EXPECT_EQ(LoadStringA(self(), 8, buf, sizeof buf), 0);
}

TEST_F(Resources, MenuTemplateInTheStandardLayout) {
    HRSRC r = FindResourceA(self(), "Menu", RT_MENU);
    ASSERT_NE(r, nullptr);
    const unsigned char *p = (const unsigned char *)LockResource(LoadResource(self(), r));
    auto word = [&](size_t off) { return p[off] | p[off + 1] << 8; };
    EXPECT_EQ(word(0), 0);      // version
    EXPECT_EQ(word(2), 0);      // header size
    EXPECT_EQ(word(4), 0x10);   // MF_POPUP
    EXPECT_EQ(utf16_at(p + 6), u"Wth");
    size_t q = 6 + 8;
    EXPECT_EQ(word(q), 0);      // plain item
    EXPECT_EQ(word(q + 2), IDM_THIRD);
    EXPECT_EQ(utf16_at(p + q + 4), u"1/3 S.W.\t(F1)");
    q += 4 + 2 * 14;
    EXPECT_EQ(word(q), 0);      // separator
    EXPECT_EQ(word(q + 2), 0);
    q += 6;
    EXPECT_EQ(word(q), 0x80 | 0x08 | 0x01);  // MF_END | MF_CHECKED | MF_GRAYED
    EXPECT_EQ(word(q + 2), IDM_LOCKED);
    EXPECT_EQ(utf16_at(p + q + 4), u"Locked   ");
    q += 4 + 2 * 10;
    EXPECT_EQ(word(q), 0x80);
    EXPECT_EQ(utf16_at(p + q + 4), u"\u00dcnicode");  // UTF-8 source text
}

TEST_F(Resources, DialogTemplateInTheExtendedLayout) {
    HRSRC r = FindResourceA(self(), MAKEINTRESOURCEA(IDD_SIZE), RT_DIALOG);
    ASSERT_NE(r, nullptr);
    const unsigned char *p = (const unsigned char *)LockResource(LoadResource(self(), r));
    auto word = [&](size_t off) { return (unsigned)(p[off] | p[off + 1] << 8); };
    auto dword = [&](size_t off) { return word(off) | word(off + 2) << 16; };
    EXPECT_EQ(word(0), 1u);
    EXPECT_EQ(word(2), 0xFFFFu);
    EXPECT_EQ(dword(12), (unsigned)(DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(word(16), 3u);  // controls
    EXPECT_EQ(word(22), 120u);
    EXPECT_EQ(word(26), 0u);  // no menu
    EXPECT_EQ(word(28), 0u);  // default class
    EXPECT_EQ(utf16_at(p + 30), u"Pic. Size");
    size_t q = 30 + 20;
    EXPECT_EQ(word(q), 9u);  // point size
    EXPECT_EQ(word(q + 2), 400u);
    EXPECT_EQ(utf16_at(p + q + 6), u"MS Shell Dlg");
    q = (q + 6 + 26 + 3) & ~(size_t)3;
    // First control: EDITTEXT, default style plus ES_NUMBER, class atom 0x81.
    EXPECT_EQ(dword(q + 8), (unsigned)(WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | 0x2000));
    EXPECT_EQ(dword(q + 20), (unsigned)IDC_WIDTH);
    EXPECT_EQ(word(q + 24), 0xFFFFu);
    EXPECT_EQ(word(q + 26), 0x81u);
}

TEST_F(Resources, BitmapFromAFileWithBackslashes) {
    std::string path = std::string(WINAPI_TEST_DIR) + "\\strip.bmp";
    HBITMAP b = (HBITMAP)LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(winapi_test_bitmap_pixel(b, 3, 1), RGB(0, 255, 0));
    DeleteObject(b);
}

}  // namespace
