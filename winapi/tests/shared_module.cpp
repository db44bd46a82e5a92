// A loadable module that links the stand-in, as a plug-in does.
#include <windows.h>

extern "C" __attribute__((visibility("default"))) int probe_draw(HWND hwnd) {
    HBITMAP strip = LoadBitmapA(GetModuleHandleA(nullptr), "PROBE");
    if (!strip) return 0;
    DeleteObject(strip);
    HDC dc = GetDC(hwnd);
    RECT r{0, 0, 2, 2};
    int ok = FillRect(dc, &r, (HBRUSH)GetStockObject(BLACK_BRUSH));
    ReleaseDC(hwnd, dc);
    return ok;
}
