// Every function of the stand-in, with the type that the platform documents.
// Compiled against the stand-in on Linux and against the system headers on
// Windows: a signature that drifts from the platform's fails one of the builds.
#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <type_traits>

#define SAME(fn, type) static_assert(std::is_same_v<decltype(&fn), type>, #fn)

// Windows and messages
SAME(RegisterClassA, ATOM(WINAPI *)(const WNDCLASSA *));
SAME(RegisterClassExA, ATOM(WINAPI *)(const WNDCLASSEXA *));
SAME(UnregisterClassA, BOOL(WINAPI *)(LPCSTR, HINSTANCE));
SAME(CreateWindowExA, HWND(WINAPI *)(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE,
                                     LPVOID));
SAME(DestroyWindow, BOOL(WINAPI *)(HWND));
SAME(IsWindow, BOOL(WINAPI *)(HWND));
SAME(IsWindowVisible, BOOL(WINAPI *)(HWND));
SAME(IsWindowEnabled, BOOL(WINAPI *)(HWND));
SAME(EnableWindow, BOOL(WINAPI *)(HWND, BOOL));
SAME(ShowWindow, BOOL(WINAPI *)(HWND, int));
SAME(UpdateWindow, BOOL(WINAPI *)(HWND));
SAME(GetParent, HWND(WINAPI *)(HWND));
SAME(IsChild, BOOL(WINAPI *)(HWND, HWND));
SAME(GetDlgItem, HWND(WINAPI *)(HWND, int));
SAME(GetDlgCtrlID, int(WINAPI *)(HWND));
SAME(SetFocus, HWND(WINAPI *)(HWND));
SAME(GetFocus, HWND(WINAPI *)(void));
SAME(GetActiveWindow, HWND(WINAPI *)(void));
SAME(WindowFromPoint, HWND(WINAPI *)(POINT));
SAME(DefWindowProcA, LRESULT(WINAPI *)(HWND, UINT, WPARAM, LPARAM));
SAME(CallWindowProcA, LRESULT(WINAPI *)(WNDPROC, HWND, UINT, WPARAM, LPARAM));
SAME(GetWindowLongA, LONG(WINAPI *)(HWND, int));
SAME(SetWindowLongA, LONG(WINAPI *)(HWND, int, LONG));
SAME(SetWindowTextA, BOOL(WINAPI *)(HWND, LPCSTR));
SAME(GetWindowTextA, int(WINAPI *)(HWND, LPSTR, int));
SAME(GetWindowTextLengthA, int(WINAPI *)(HWND));
SAME(GetWindowRect, BOOL(WINAPI *)(HWND, LPRECT));
SAME(GetClientRect, BOOL(WINAPI *)(HWND, LPRECT));
SAME(MoveWindow, BOOL(WINAPI *)(HWND, int, int, int, int, BOOL));
SAME(SetWindowPos, BOOL(WINAPI *)(HWND, HWND, int, int, int, int, UINT));
SAME(ScreenToClient, BOOL(WINAPI *)(HWND, LPPOINT));
SAME(ClientToScreen, BOOL(WINAPI *)(HWND, LPPOINT));
SAME(GetSystemMetrics, int(WINAPI *)(int));
SAME(SendMessageA, LRESULT(WINAPI *)(HWND, UINT, WPARAM, LPARAM));
SAME(PostMessageA, BOOL(WINAPI *)(HWND, UINT, WPARAM, LPARAM));
SAME(PostQuitMessage, void(WINAPI *)(int));
SAME(PeekMessageA, BOOL(WINAPI *)(LPMSG, HWND, UINT, UINT, UINT));
SAME(GetMessageA, BOOL(WINAPI *)(LPMSG, HWND, UINT, UINT));
SAME(TranslateMessage, BOOL(WINAPI *)(const MSG *));
SAME(DispatchMessageA, LRESULT(WINAPI *)(const MSG *));
SAME(GetMessageTime, LONG(WINAPI *)(void));
SAME(SetTimer, UINT_PTR(WINAPI *)(HWND, UINT_PTR, UINT, TIMERPROC));
SAME(KillTimer, BOOL(WINAPI *)(HWND, UINT_PTR));

// Painting and scroll bars
SAME(InvalidateRect, BOOL(WINAPI *)(HWND, const RECT *, BOOL));
SAME(ValidateRect, BOOL(WINAPI *)(HWND, const RECT *));
SAME(GetUpdateRect, BOOL(WINAPI *)(HWND, LPRECT, BOOL));
SAME(RedrawWindow, BOOL(WINAPI *)(HWND, const RECT *, HRGN, UINT));
SAME(BeginPaint, HDC(WINAPI *)(HWND, LPPAINTSTRUCT));
SAME(EndPaint, BOOL(WINAPI *)(HWND, const PAINTSTRUCT *));
SAME(GetDC, HDC(WINAPI *)(HWND));
SAME(ReleaseDC, int(WINAPI *)(HWND, HDC));
SAME(SetScrollInfo, int(WINAPI *)(HWND, int, LPCSCROLLINFO, BOOL));
SAME(GetScrollInfo, BOOL(WINAPI *)(HWND, int, LPSCROLLINFO));
SAME(SetScrollPos, int(WINAPI *)(HWND, int, int, BOOL));
SAME(GetScrollPos, int(WINAPI *)(HWND, int));
SAME(SetScrollRange, BOOL(WINAPI *)(HWND, int, int, int, BOOL));

// Pointer, capture, keys
SAME(LoadCursorA, HCURSOR(WINAPI *)(HINSTANCE, LPCSTR));
SAME(SetCursor, HCURSOR(WINAPI *)(HCURSOR));
SAME(GetCursor, HCURSOR(WINAPI *)(void));
SAME(DestroyCursor, BOOL(WINAPI *)(HCURSOR));
SAME(GetCursorPos, BOOL(WINAPI *)(LPPOINT));
SAME(SetCursorPos, BOOL(WINAPI *)(int, int));
SAME(mouse_event, void(WINAPI *)(DWORD, DWORD, DWORD, DWORD, ULONG_PTR));
SAME(SetCapture, HWND(WINAPI *)(HWND));
SAME(ReleaseCapture, BOOL(WINAPI *)(void));
SAME(GetCapture, HWND(WINAPI *)(void));
SAME(GetKeyState, SHORT(WINAPI *)(int));
SAME(GetAsyncKeyState, SHORT(WINAPI *)(int));

// GDI
SAME(CreateDCA, HDC(WINAPI *)(LPCSTR, LPCSTR, LPCSTR, const DEVMODEA *));
SAME(CreateCompatibleDC, HDC(WINAPI *)(HDC));
SAME(DeleteDC, BOOL(WINAPI *)(HDC));
SAME(GetDeviceCaps, int(WINAPI *)(HDC, int));
SAME(CreateCompatibleBitmap, HBITMAP(WINAPI *)(HDC, int, int));
SAME(CreateBitmap, HBITMAP(WINAPI *)(int, int, UINT, UINT, const void *));
SAME(SelectObject, HGDIOBJ(WINAPI *)(HDC, HGDIOBJ));
SAME(DeleteObject, BOOL(WINAPI *)(HGDIOBJ));
SAME(GetStockObject, HGDIOBJ(WINAPI *)(int));
SAME(GetCurrentObject, HGDIOBJ(WINAPI *)(HDC, UINT));
SAME(GetObjectType, DWORD(WINAPI *)(HGDIOBJ));
SAME(GetObjectA, int(WINAPI *)(HANDLE, int, LPVOID));
SAME(CreatePen, HPEN(WINAPI *)(int, int, COLORREF));
SAME(CreateSolidBrush, HBRUSH(WINAPI *)(COLORREF));
SAME(GetSysColor, DWORD(WINAPI *)(int));
SAME(GetSysColorBrush, HBRUSH(WINAPI *)(int));
SAME(SetStretchBltMode, int(WINAPI *)(HDC, int));
SAME(GetStretchBltMode, int(WINAPI *)(HDC));
SAME(SetTextColor, COLORREF(WINAPI *)(HDC, COLORREF));
SAME(SetBkColor, COLORREF(WINAPI *)(HDC, COLORREF));
SAME(SetBkMode, int(WINAPI *)(HDC, int));
SAME(FillRect, int(WINAPI *)(HDC, const RECT *, HBRUSH));
SAME(Rectangle, BOOL(WINAPI *)(HDC, int, int, int, int));
SAME(MoveToEx, BOOL(WINAPI *)(HDC, int, int, LPPOINT));
SAME(LineTo, BOOL(WINAPI *)(HDC, int, int));
SAME(GetPixel, COLORREF(WINAPI *)(HDC, int, int));
SAME(SetPixel, COLORREF(WINAPI *)(HDC, int, int, COLORREF));
SAME(BitBlt, BOOL(WINAPI *)(HDC, int, int, int, int, HDC, int, int, DWORD));
SAME(StretchBlt, BOOL(WINAPI *)(HDC, int, int, int, int, HDC, int, int, int, int, DWORD));
SAME(StretchDIBits, int(WINAPI *)(HDC, int, int, int, int, int, int, int, int, const void *, const BITMAPINFO *,
                                  UINT, DWORD));
SAME(TextOutA, BOOL(WINAPI *)(HDC, int, int, LPCSTR, int));
SAME(LoadBitmapA, HBITMAP(WINAPI *)(HINSTANCE, LPCSTR));
SAME(LoadImageA, HANDLE(WINAPI *)(HINSTANCE, LPCSTR, UINT, int, int, UINT));

// Rectangles
SAME(SetRect, BOOL(WINAPI *)(LPRECT, int, int, int, int));
SAME(SetRectEmpty, BOOL(WINAPI *)(LPRECT));
SAME(CopyRect, BOOL(WINAPI *)(LPRECT, const RECT *));
SAME(IsRectEmpty, BOOL(WINAPI *)(const RECT *));
SAME(PtInRect, BOOL(WINAPI *)(const RECT *, POINT));
SAME(OffsetRect, BOOL(WINAPI *)(LPRECT, int, int));
SAME(InflateRect, BOOL(WINAPI *)(LPRECT, int, int));
SAME(IntersectRect, BOOL(WINAPI *)(LPRECT, const RECT *, const RECT *));
SAME(UnionRect, BOOL(WINAPI *)(LPRECT, const RECT *, const RECT *));
SAME(EqualRect, BOOL(WINAPI *)(const RECT *, const RECT *));

// Kernel
SAME(GetLastError, DWORD(WINAPI *)(void));
SAME(SetLastError, void(WINAPI *)(DWORD));
SAME(GetModuleHandleA, HMODULE(WINAPI *)(LPCSTR));
SAME(GetTickCount, DWORD(WINAPI *)(void));
SAME(Sleep, void(WINAPI *)(DWORD));
SAME(GetCurrentDirectoryA, DWORD(WINAPI *)(DWORD, LPSTR));
SAME(SetCurrentDirectoryA, BOOL(WINAPI *)(LPCSTR));
SAME(lstrlenA, int(WINAPI *)(LPCSTR));
SAME(lstrcpyA, LPSTR(WINAPI *)(LPSTR, LPCSTR));
SAME(lstrcpynA, LPSTR(WINAPI *)(LPSTR, LPCSTR, int));
SAME(lstrcatA, LPSTR(WINAPI *)(LPSTR, LPCSTR));
SAME(lstrcmpA, int(WINAPI *)(LPCSTR, LPCSTR));
SAME(lstrcmpiA, int(WINAPI *)(LPCSTR, LPCSTR));
SAME(wsprintfA, int(*)(LPSTR, LPCSTR, ...));
SAME(InitializeCriticalSection, void(WINAPI *)(LPCRITICAL_SECTION));
SAME(DeleteCriticalSection, void(WINAPI *)(LPCRITICAL_SECTION));
SAME(EnterCriticalSection, void(WINAPI *)(LPCRITICAL_SECTION));
SAME(LeaveCriticalSection, void(WINAPI *)(LPCRITICAL_SECTION));
SAME(TryEnterCriticalSection, BOOL(WINAPI *)(LPCRITICAL_SECTION));
SAME(GetPrivateProfileIntA, UINT(WINAPI *)(LPCSTR, LPCSTR, INT, LPCSTR));
SAME(GetPrivateProfileStringA, DWORD(WINAPI *)(LPCSTR, LPCSTR, LPCSTR, LPSTR, DWORD, LPCSTR));
SAME(WritePrivateProfileStringA, BOOL(WINAPI *)(LPCSTR, LPCSTR, LPCSTR, LPCSTR));
SAME(FindResourceA, HRSRC(WINAPI *)(HMODULE, LPCSTR, LPCSTR));
SAME(LoadResource, HGLOBAL(WINAPI *)(HMODULE, HRSRC));
SAME(LockResource, LPVOID(WINAPI *)(HGLOBAL));
SAME(SizeofResource, DWORD(WINAPI *)(HMODULE, HRSRC));
SAME(FreeResource, BOOL(WINAPI *)(HGLOBAL));
SAME(LoadStringA, int(WINAPI *)(HINSTANCE, UINT, LPSTR, int));

// Common controls
SAME(InitCommonControlsEx, BOOL(WINAPI *)(const INITCOMMONCONTROLSEX *));
SAME(InitCommonControls, void(WINAPI *)(void));
SAME(CreateToolbarEx, HWND(WINAPI *)(HWND, DWORD, UINT, int, HINSTANCE, UINT_PTR, LPCTBBUTTON, int, int, int, int,
                                     int, UINT));
SAME(ImageList_Create, HIMAGELIST(WINAPI *)(int, int, UINT, int, int));
SAME(ImageList_Destroy, BOOL(WINAPI *)(HIMAGELIST));
SAME(ImageList_GetImageCount, int(WINAPI *)(HIMAGELIST));
SAME(ImageList_GetIconSize, BOOL(WINAPI *)(HIMAGELIST, int *, int *));
SAME(ImageList_Add, int(WINAPI *)(HIMAGELIST, HBITMAP, HBITMAP));
SAME(ImageList_AddMasked, int(WINAPI *)(HIMAGELIST, HBITMAP, COLORREF));
SAME(ImageList_Draw, BOOL(WINAPI *)(HIMAGELIST, int, HDC, int, int, UINT));
SAME(ImageList_SetBkColor, COLORREF(WINAPI *)(HIMAGELIST, COLORREF));
SAME(ImageList_GetBkColor, COLORREF(WINAPI *)(HIMAGELIST));

// Records the panel fills or reads, laid out as the platform lays them out.
static_assert(sizeof(RECT) == 16 && sizeof(POINT) == 8);
static_assert(sizeof(SCROLLINFO) == 28);
static_assert(sizeof(INITCOMMONCONTROLSEX) == 8);
static_assert(sizeof(BITMAPINFOHEADER) == 40 && sizeof(BITMAPINFO) == 44);
static_assert(sizeof(BITMAPFILEHEADER) == 14);
static_assert(sizeof(TBBUTTON) == (sizeof(void *) == 4 ? 20 : 32));
static_assert(offsetof(TBBUTTON, dwData) == (sizeof(void *) == 4 ? 12 : 16));
static_assert(offsetof(NMTTDISPINFOA, lpszText) == sizeof(NMHDR));
static_assert(sizeof(((NMTTDISPINFOA *)nullptr)->szText) == 80);
static_assert(offsetof(MSG, time) == 4 * sizeof(void *) && offsetof(MSG, pt) == offsetof(MSG, time) + 4);
static_assert(sizeof(PAINTSTRUCT) == sizeof(void *) + 4 + 16 + 4 + 4 + 32 + (sizeof(void *) == 8 ? 4 : 0));
static_assert(TTN_NEEDTEXTA == (UINT)-520);
