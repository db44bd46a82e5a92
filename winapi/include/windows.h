/* The Win32 subset that the plug-ins use, for Linux builds.
 *
 * Names, types, constants and behaviour follow the documented Win32 API, so
 * that one source builds against the real <windows.h> with mingw and against
 * this header on Linux. Everything runs on one thread with one message queue;
 * winapi_testing.h lets tests drive the clock, the screen, the pointer and
 * read back pixels. Only what the panel and the reference host call is here.
 *
 * Where the platform leaves room, the stand-in decides like this:
 * - Timers never fire by wall time: the clock moves only through Sleep and
 *   winapi_test_advance_clock. A period below USER_TIMER_MINIMUM (10 ms) is
 *   raised to it, as on Windows.
 * - WM_PAINT is generated while a window has an invalid region and the queue
 *   holds nothing else; BeginPaint/EndPaint or DefWindowProcA validate it.
 *   BeginPaint's device context is clipped to the invalid rectangle.
 * - Pens wider than one pixel straddle the outline: an edge at coordinate c
 *   covers c - (w - 1) / 2 .. c + w / 2. Rectangle with the null pen fills one
 *   column and one row less on the right and bottom, as on Windows.
 * - StretchDIBits and StretchBlt pick source pixel src0 + d * srcLen / dstLen
 *   for destination offset d (every stretch mode samples this way).
 */
#ifndef QP_WINAPI_WINDOWS_H
#define QP_WINAPI_WINDOWS_H

#if defined(_WIN32)
#error "winapi/include is the Linux stand-in; Windows builds use the platform's <windows.h>"
#endif

#include <stddef.h>
#include <stdint.h>

#include "sdk/wintypes.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Visible outside a plug-in library, so that a host that links the stand-in
 * itself (with its symbols exported) and loads a plug-in shares one stand-in. */
#define WINAPI_STANDIN __attribute__((visibility("default")))

#define WINAPI
#define CALLBACK
#define APIENTRY
#define WINUSERAPI
#define CONST const
#define VOID void

/* ---- Scalar types (Windows widths: LONG and DWORD are 32-bit) ---------- */

typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned int DWORD;
typedef int LONG;
typedef unsigned int ULONG;
typedef short SHORT;
typedef unsigned short USHORT;
typedef int INT;
typedef char CHAR;
typedef unsigned char UCHAR;
typedef BYTE BOOLEAN;
typedef int64_t LONGLONG;
typedef intptr_t INT_PTR;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef uintptr_t ULONG_PTR;
typedef uintptr_t DWORD_PTR;
typedef char *LPSTR;
typedef const char *LPCSTR;
typedef void *LPVOID;
typedef const void *LPCVOID;
typedef void *PVOID;
typedef BOOL *LPBOOL;
typedef BYTE *LPBYTE;
typedef DWORD *LPDWORD;
typedef int *LPINT;
typedef WORD ATOM;
typedef DWORD COLORREF;
typedef uint16_t WCHAR;

/* ---- Handles ------------------------------------------------------------ */

typedef void *HANDLE;
typedef HINSTANCE HMODULE;
typedef struct HDC__ *HDC;
typedef void *HGDIOBJ;
typedef struct HBITMAP__ *HBITMAP;
typedef struct HBRUSH__ *HBRUSH;
typedef struct HPEN__ *HPEN;
typedef struct HFONT__ *HFONT;
typedef struct HRGN__ *HRGN;
typedef struct HICON__ *HICON;
typedef HICON HCURSOR;
typedef struct HMENU__ *HMENU;
typedef struct HRSRC__ *HRSRC;
typedef HANDLE HGLOBAL;

/* ---- Helpers ------------------------------------------------------------ */

#define MAKEWORD(lo, hi) ((WORD)(((BYTE)(lo)) | ((WORD)((BYTE)(hi))) << 8))
#define MAKELONG(lo, hi) ((LONG)(((WORD)(lo)) | ((DWORD)((WORD)(hi))) << 16))
#define LOWORD(l) ((WORD)(((DWORD_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((DWORD_PTR)(l)) >> 16) & 0xffff))
#define LOBYTE(w) ((BYTE)(((DWORD_PTR)(w)) & 0xff))
#define HIBYTE(w) ((BYTE)((((DWORD_PTR)(w)) >> 8) & 0xff))
#define MAKEWPARAM(lo, hi) ((WPARAM)(DWORD)MAKELONG(lo, hi))
#define MAKELPARAM(lo, hi) ((LPARAM)(DWORD)MAKELONG(lo, hi))
#define MAKELRESULT(lo, hi) ((LRESULT)(DWORD)MAKELONG(lo, hi))
#define GET_WHEEL_DELTA_WPARAM(w) ((short)HIWORD(w))
#define GET_KEYSTATE_WPARAM(w) (LOWORD(w))

#define RGB(r, g, b) ((COLORREF)(((BYTE)(r)) | ((WORD)((BYTE)(g)) << 8) | (((DWORD)(BYTE)(b)) << 16)))
#define GetRValue(c) ((BYTE)(c))
#define GetGValue(c) ((BYTE)(((WORD)(c)) >> 8))
#define GetBValue(c) ((BYTE)((c) >> 16))

#define MAKEINTRESOURCEA(i) ((LPSTR)((ULONG_PTR)((WORD)(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(p) ((((ULONG_PTR)(p)) >> 16) == 0)

#define ZeroMemory(p, n) memset((p), 0, (n))
#define CopyMemory(d, s, n) memcpy((d), (s), (n))
#define FillMemory(p, n, v) memset((p), (v), (n))

#define MAX_PATH 260

/* ---- Geometry ----------------------------------------------------------- */

typedef struct tagRECT {
    LONG left;    /* inclusive */
    LONG top;     /* inclusive */
    LONG right;   /* exclusive */
    LONG bottom;  /* exclusive */
} RECT, *LPRECT, *PRECT;
typedef const RECT *LPCRECT;

typedef struct tagPOINT {
    LONG x;
    LONG y;
} POINT, *LPPOINT, *PPOINT;

typedef struct tagSIZE {
    LONG cx;
    LONG cy;
} SIZE, *LPSIZE;

WINAPI_STANDIN BOOL SetRect(LPRECT r, int left, int top, int right, int bottom);
WINAPI_STANDIN BOOL SetRectEmpty(LPRECT r);
WINAPI_STANDIN BOOL CopyRect(LPRECT dst, const RECT *src);
WINAPI_STANDIN BOOL IsRectEmpty(const RECT *r);
WINAPI_STANDIN BOOL PtInRect(const RECT *r, POINT p);
WINAPI_STANDIN BOOL OffsetRect(LPRECT r, int dx, int dy);
WINAPI_STANDIN BOOL InflateRect(LPRECT r, int dx, int dy);
WINAPI_STANDIN BOOL IntersectRect(LPRECT dst, const RECT *a, const RECT *b);
WINAPI_STANDIN BOOL UnionRect(LPRECT dst, const RECT *a, const RECT *b);
WINAPI_STANDIN BOOL EqualRect(const RECT *a, const RECT *b);

/* ---- Kernel: errors, modules, time, strings ------------------------------ */

#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_INVALID_PARAMETER 87
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_RESOURCE_NOT_FOUND 1814
#define ERROR_INVALID_WINDOW_HANDLE 1400

WINAPI_STANDIN DWORD GetLastError(void);
WINAPI_STANDIN void SetLastError(DWORD code);

/* NULL gives the program's own module. */
WINAPI_STANDIN HMODULE GetModuleHandleA(LPCSTR name);

/* Milliseconds of the stand-in's clock; Sleep advances that clock (and so makes
 * timers due) instead of blocking. */
WINAPI_STANDIN DWORD GetTickCount(void);
WINAPI_STANDIN void Sleep(DWORD ms);

WINAPI_STANDIN DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
WINAPI_STANDIN BOOL SetCurrentDirectoryA(LPCSTR path);

WINAPI_STANDIN int lstrlenA(LPCSTR s);
WINAPI_STANDIN LPSTR lstrcpyA(LPSTR dst, LPCSTR src);
WINAPI_STANDIN LPSTR lstrcpynA(LPSTR dst, LPCSTR src, int size);
WINAPI_STANDIN LPSTR lstrcatA(LPSTR dst, LPCSTR src);
WINAPI_STANDIN int lstrcmpA(LPCSTR a, LPCSTR b);
WINAPI_STANDIN int lstrcmpiA(LPCSTR a, LPCSTR b);

/* wsprintfA: %[-][0][#][width](c|d|i|u|x|X|s|%), with the optional l or h
 * size prefix (l is 32-bit as on Windows); at most 1024 characters. */
WINAPI_STANDIN int wsprintfA(LPSTR out, LPCSTR format, ...);

/* The C runtime's integer-to-text conversion (radix 2..36; negative values
 * get a minus sign in radix 10 only). */
WINAPI_STANDIN char *_itoa(int value, char *buffer, int radix);

/* ---- Critical sections -------------------------------------------------- */

typedef struct _RTL_CRITICAL_SECTION {
    void *DebugInfo;        /* stand-in: marks an initialised section */
    LONG LockCount;         /* -1 when free */
    LONG RecursionCount;    /* entries by the owning thread */
    HANDLE OwningThread;
    HANDLE LockSemaphore;
    ULONG_PTR SpinCount;
} CRITICAL_SECTION, *LPCRITICAL_SECTION;

WINAPI_STANDIN void InitializeCriticalSection(LPCRITICAL_SECTION cs);
WINAPI_STANDIN void DeleteCriticalSection(LPCRITICAL_SECTION cs);
WINAPI_STANDIN void EnterCriticalSection(LPCRITICAL_SECTION cs);
WINAPI_STANDIN void LeaveCriticalSection(LPCRITICAL_SECTION cs);
WINAPI_STANDIN BOOL TryEnterCriticalSection(LPCRITICAL_SECTION cs);

/* ---- Private profile (INI) files ---------------------------------------- */
/* Paths may use '\' as the separator; it reads as '/'. A bare file name means
 * the current directory. Files are written with CRLF line ends. */

WINAPI_STANDIN UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, INT def, LPCSTR file);
WINAPI_STANDIN DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR out,
                                              DWORD size, LPCSTR file);
WINAPI_STANDIN BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);

/* ---- Resources ---------------------------------------------------------- */

#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(12)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)

WINAPI_STANDIN HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
WINAPI_STANDIN HGLOBAL LoadResource(HMODULE module, HRSRC res);
WINAPI_STANDIN LPVOID LockResource(HGLOBAL data);
WINAPI_STANDIN DWORD SizeofResource(HMODULE module, HRSRC res);
WINAPI_STANDIN BOOL FreeResource(HGLOBAL data);
WINAPI_STANDIN int LoadStringA(HINSTANCE module, UINT id, LPSTR out, int size);

/* ---- Messages ----------------------------------------------------------- */

#define WM_NULL 0x0000
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_MOVE 0x0003
#define WM_SIZE 0x0005
#define WM_ACTIVATE 0x0006
#define WM_SETFOCUS 0x0007
#define WM_KILLFOCUS 0x0008
#define WM_ENABLE 0x000A
#define WM_SETREDRAW 0x000B
#define WM_SETTEXT 0x000C
#define WM_GETTEXT 0x000D
#define WM_GETTEXTLENGTH 0x000E
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUIT 0x0012
#define WM_ERASEBKGND 0x0014
#define WM_SHOWWINDOW 0x0018
#define WM_CANCELMODE 0x001F
#define WM_SETCURSOR 0x0020
#define WM_SETFONT 0x0030
#define WM_GETFONT 0x0031
#define WM_NOTIFY 0x004E
#define WM_CONTEXTMENU 0x007B
#define WM_NCCREATE 0x0081
#define WM_NCDESTROY 0x0082
#define WM_NCPAINT 0x0085
#define WM_NCACTIVATE 0x0086
#define WM_KEYFIRST 0x0100
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_SYSKEYDOWN 0x0104
#define WM_SYSKEYUP 0x0105
#define WM_SYSCHAR 0x0106
#define WM_KEYLAST 0x0109
#define WM_INITDIALOG 0x0110
#define WM_COMMAND 0x0111
#define WM_SYSCOMMAND 0x0112
#define WM_TIMER 0x0113
#define WM_HSCROLL 0x0114
#define WM_VSCROLL 0x0115
#define WM_INITMENU 0x0116
#define WM_INITMENUPOPUP 0x0117
#define WM_MOUSEFIRST 0x0200
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_LBUTTONDBLCLK 0x0203
#define WM_RBUTTONDOWN 0x0204
#define WM_RBUTTONUP 0x0205
#define WM_RBUTTONDBLCLK 0x0206
#define WM_MBUTTONDOWN 0x0207
#define WM_MBUTTONUP 0x0208
#define WM_MBUTTONDBLCLK 0x0209
#define WM_MOUSEWHEEL 0x020A
#define WM_MOUSELAST 0x020A
#define WM_CAPTURECHANGED 0x0215
#define WM_USER 0x0400
#define WM_APP 0x8000

#define SIZE_RESTORED 0
#define WHEEL_DELTA 120

#define MK_LBUTTON 0x0001
#define MK_RBUTTON 0x0002
#define MK_SHIFT 0x0004
#define MK_CONTROL 0x0008
#define MK_MBUTTON 0x0010

#define VK_LBUTTON 0x01
#define VK_RBUTTON 0x02
#define VK_MBUTTON 0x04
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_MENU 0x12
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define VK_NUMPAD0 0x60
#define VK_NUMPAD1 0x61
#define VK_NUMPAD2 0x62
#define VK_NUMPAD3 0x63
#define VK_NUMPAD4 0x64
#define VK_NUMPAD5 0x65
#define VK_NUMPAD6 0x66
#define VK_NUMPAD7 0x67
#define VK_NUMPAD8 0x68
#define VK_NUMPAD9 0x69
#define VK_MULTIPLY 0x6A
#define VK_ADD 0x6B
#define VK_SEPARATOR 0x6C
#define VK_SUBTRACT 0x6D
#define VK_DECIMAL 0x6E
#define VK_DIVIDE 0x6F
#define VK_F1 0x70
#define VK_F2 0x71
#define VK_F3 0x72
#define VK_F4 0x73
#define VK_F5 0x74
#define VK_F6 0x75
#define VK_F7 0x76
#define VK_F8 0x77
#define VK_F9 0x78
#define VK_F10 0x79
#define VK_F11 0x7A
#define VK_F12 0x7B

typedef struct tagMSG {
    HWND hwnd;       /* target window; NULL for a thread message */
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;      /* stand-in clock when queued */
    POINT pt;        /* pointer position (screen) when queued */
} MSG, *LPMSG, *PMSG;

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void(CALLBACK *TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

/* Calls the window procedure at once, nested inside the caller. */
WINAPI_STANDIN LRESULT SendMessageA(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
/* Appends to the thread's queue; hwnd NULL posts a thread message. */
WINAPI_STANDIN BOOL PostMessageA(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
WINAPI_STANDIN void PostQuitMessage(int exit_code);
/* hwnd NULL: any message of the thread; (HWND)-1: thread messages only; else
 * that window and its children. first = last = 0: no range filter. Order:
 * posted messages, then WM_QUIT, WM_PAINT, due WM_TIMERs. */
WINAPI_STANDIN BOOL PeekMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last, UINT remove);
/* As PeekMessageA with PM_REMOVE; with nothing to return it advances the
 * clock to the next timer. Returns 0 for WM_QUIT, -1 when nothing can ever
 * arrive (no message and no timer). */
WINAPI_STANDIN BOOL GetMessageA(LPMSG msg, HWND hwnd, UINT first, UINT last);
/* Posts WM_CHAR for the character keys of a WM_KEYDOWN. */
WINAPI_STANDIN BOOL TranslateMessage(const MSG *msg);
WINAPI_STANDIN LRESULT DispatchMessageA(const MSG *msg);
WINAPI_STANDIN LONG GetMessageTime(void);

WINAPI_STANDIN UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT elapse_ms, TIMERPROC proc);
WINAPI_STANDIN BOOL KillTimer(HWND hwnd, UINT_PTR id);
#define USER_TIMER_MINIMUM 0x0000000A

/* ---- Windows ------------------------------------------------------------ */

#define WS_OVERLAPPED 0x00000000L
#define WS_POPUP 0x80000000L
#define WS_CHILD 0x40000000L
#define WS_MINIMIZE 0x20000000L
#define WS_VISIBLE 0x10000000L
#define WS_DISABLED 0x08000000L
#define WS_CLIPSIBLINGS 0x04000000L
#define WS_CLIPCHILDREN 0x02000000L
#define WS_MAXIMIZE 0x01000000L
#define WS_CAPTION 0x00C00000L
#define WS_BORDER 0x00800000L
#define WS_DLGFRAME 0x00400000L
#define WS_VSCROLL 0x00200000L
#define WS_HSCROLL 0x00100000L
#define WS_SYSMENU 0x00080000L
#define WS_THICKFRAME 0x00040000L
#define WS_GROUP 0x00020000L
#define WS_TABSTOP 0x00010000L
#define WS_MINIMIZEBOX 0x00020000L
#define WS_MAXIMIZEBOX 0x00010000L
#define WS_OVERLAPPEDWINDOW \
    (WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)
#define WS_POPUPWINDOW (WS_POPUP | WS_BORDER | WS_SYSMENU)
#define WS_EX_TOPMOST 0x00000008L
#define WS_EX_TOOLWINDOW 0x00000080L
#define WS_EX_WINDOWEDGE 0x00000100L
#define WS_EX_CLIENTEDGE 0x00000200L

#define DS_3DLOOK 0x0004L
#define DS_FIXEDSYS 0x0008L
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define DS_CENTER 0x0800L

#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define CS_DBLCLKS 0x0008
#define CS_OWNDC 0x0020

#define CW_USEDEFAULT ((int)0x80000000)

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOWNOACTIVATE 4
#define SW_SHOW 5
#define SW_SHOWNA 8

#define SWP_NOSIZE 0x0001
#define SWP_NOMOVE 0x0002
#define SWP_NOZORDER 0x0004
#define SWP_NOREDRAW 0x0008
#define SWP_NOACTIVATE 0x0010
#define SWP_FRAMECHANGED 0x0020
#define SWP_SHOWWINDOW 0x0040
#define SWP_HIDEWINDOW 0x0080
#define HWND_TOP ((HWND)0)
#define HWND_BOTTOM ((HWND)1)
#define HWND_TOPMOST ((HWND)-1)
#define HWND_NOTOPMOST ((HWND)-2)

#define GWLP_WNDPROC (-4)
#define GWLP_HINSTANCE (-6)
#define GWLP_HWNDPARENT (-8)
#define GWLP_ID (-12)
#define GWL_STYLE (-16)
#define GWL_EXSTYLE (-20)
#define GWLP_USERDATA (-21)

/* System metrics of the stand-in's window frames (pixels). */
#define SM_CXSCREEN 0
#define SM_CYSCREEN 1
#define SM_CXVSCROLL 2
#define SM_CYHSCROLL 3
#define SM_CYCAPTION 4
#define SM_CXBORDER 5
#define SM_CYBORDER 6
#define SM_CXDLGFRAME 7
#define SM_CYDLGFRAME 8
#define SM_CXFIXEDFRAME SM_CXDLGFRAME
#define SM_CYFIXEDFRAME SM_CYDLGFRAME
#define SM_CXICON 11
#define SM_CYICON 12
#define SM_CXCURSOR 13
#define SM_CYCURSOR 14
#define SM_CXFRAME 32
#define SM_CYFRAME 33
#define SM_CXSIZEFRAME SM_CXFRAME
#define SM_CYSIZEFRAME SM_CYFRAME

typedef struct tagWNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;    /* a brush, or (HBRUSH)(COLOR_xxx + 1) */
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
} WNDCLASSA, *LPWNDCLASSA;

typedef struct tagWNDCLASSEXA {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
    HICON hIconSm;
} WNDCLASSEXA, *LPWNDCLASSEXA;

typedef struct tagCREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
} CREATESTRUCTA, *LPCREATESTRUCTA;

typedef struct tagPAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;   /* bounding box of the region being painted */
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;

typedef struct tagNMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
} NMHDR, *LPNMHDR;

WINAPI_STANDIN ATOM RegisterClassA(const WNDCLASSA *wc);
WINAPI_STANDIN ATOM RegisterClassExA(const WNDCLASSEXA *wc);
WINAPI_STANDIN BOOL UnregisterClassA(LPCSTR name, HINSTANCE instance);
/* Sends WM_NCCREATE, WM_CREATE, then WM_SIZE and WM_MOVE, as Windows does.
 * x = CW_USEDEFAULT places a top-level window at (0, 0), and its size at
 * 640 x 480 when width is CW_USEDEFAULT too. A child's menu argument is its id. */
WINAPI_STANDIN HWND CreateWindowExA(DWORD ex_style, LPCSTR class_name, LPCSTR title, DWORD style,
                                    int x, int y, int width, int height, HWND parent, HMENU menu,
                                    HINSTANCE instance, LPVOID param);
#define CreateWindowA(cls, title, style, x, y, w, h, parent, menu, inst, param) \
    CreateWindowExA(0, cls, title, style, x, y, w, h, parent, menu, inst, param)
WINAPI_STANDIN BOOL DestroyWindow(HWND hwnd);
WINAPI_STANDIN BOOL IsWindow(HWND hwnd);
WINAPI_STANDIN BOOL IsWindowVisible(HWND hwnd);
WINAPI_STANDIN BOOL IsWindowEnabled(HWND hwnd);
WINAPI_STANDIN BOOL EnableWindow(HWND hwnd, BOOL enable);
WINAPI_STANDIN BOOL ShowWindow(HWND hwnd, int cmd);
WINAPI_STANDIN BOOL UpdateWindow(HWND hwnd);
WINAPI_STANDIN HWND GetParent(HWND hwnd);
WINAPI_STANDIN BOOL IsChild(HWND parent, HWND hwnd);
WINAPI_STANDIN HWND GetDlgItem(HWND parent, int id);
WINAPI_STANDIN int GetDlgCtrlID(HWND hwnd);
WINAPI_STANDIN HWND SetFocus(HWND hwnd);
WINAPI_STANDIN HWND GetFocus(void);
WINAPI_STANDIN HWND GetActiveWindow(void);
WINAPI_STANDIN HWND WindowFromPoint(POINT screen);
WINAPI_STANDIN LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
WINAPI_STANDIN LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);

WINAPI_STANDIN LONG GetWindowLongA(HWND hwnd, int index);
WINAPI_STANDIN LONG SetWindowLongA(HWND hwnd, int index, LONG value);
WINAPI_STANDIN LONG_PTR GetWindowLongPtrA(HWND hwnd, int index);
WINAPI_STANDIN LONG_PTR SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value);

/* SetWindowTextA sends WM_SETTEXT; DefWindowProcA keeps the text. */
WINAPI_STANDIN BOOL SetWindowTextA(HWND hwnd, LPCSTR text);
WINAPI_STANDIN int GetWindowTextA(HWND hwnd, LPSTR out, int size);
WINAPI_STANDIN int GetWindowTextLengthA(HWND hwnd);

/* Window rectangles are in screen coordinates, client rectangles start at
 * (0, 0). The frame around the client area: a caption of SM_CYCAPTION rows
 * for WS_CAPTION, a border of SM_CXFRAME (WS_THICKFRAME), SM_CXDLGFRAME
 * (WS_DLGFRAME) or SM_CXBORDER (WS_BORDER alone), and a horizontal scroll bar
 * of SM_CYHSCROLL rows while it shows. */
WINAPI_STANDIN BOOL GetWindowRect(HWND hwnd, LPRECT r);
WINAPI_STANDIN BOOL GetClientRect(HWND hwnd, LPRECT r);
/* Sends WM_SIZE at once when the size changes (none when it stays) and WM_MOVE
 * when the position changes; with repaint a size change invalidates the whole
 * window (a move alone keeps its pixels). A child's
 * x and y are in its parent's client coordinates. */
WINAPI_STANDIN BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint);
WINAPI_STANDIN BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags);
WINAPI_STANDIN BOOL ScreenToClient(HWND hwnd, LPPOINT p);
WINAPI_STANDIN BOOL ClientToScreen(HWND hwnd, LPPOINT p);
WINAPI_STANDIN int GetSystemMetrics(int index);

/* ---- Painting ----------------------------------------------------------- */

#define RDW_INVALIDATE 0x0001
#define RDW_INTERNALPAINT 0x0002
#define RDW_ERASE 0x0004
#define RDW_VALIDATE 0x0008
#define RDW_NOINTERNALPAINT 0x0010
#define RDW_NOERASE 0x0020
#define RDW_NOCHILDREN 0x0040
#define RDW_ALLCHILDREN 0x0080
#define RDW_UPDATENOW 0x0100
#define RDW_ERASENOW 0x0200
#define RDW_FRAME 0x0400
#define RDW_NOFRAME 0x0800

WINAPI_STANDIN BOOL InvalidateRect(HWND hwnd, const RECT *r, BOOL erase);
WINAPI_STANDIN BOOL ValidateRect(HWND hwnd, const RECT *r);
WINAPI_STANDIN BOOL GetUpdateRect(HWND hwnd, LPRECT r, BOOL erase);
/* The region argument is not supported and must be NULL. */
WINAPI_STANDIN BOOL RedrawWindow(HWND hwnd, const RECT *r, HRGN region, UINT flags);
WINAPI_STANDIN HDC BeginPaint(HWND hwnd, LPPAINTSTRUCT ps);
WINAPI_STANDIN BOOL EndPaint(HWND hwnd, const PAINTSTRUCT *ps);
/* A device context on the window's client area (the screen for NULL), drawn
 * over its children; give it back with ReleaseDC. A child's frame is drawn
 * into its parent when it appears, moves, or is redrawn with RDW_FRAME. */
WINAPI_STANDIN HDC GetDC(HWND hwnd);
WINAPI_STANDIN int ReleaseDC(HWND hwnd, HDC hdc);

/* ---- Scroll bars -------------------------------------------------------- */

#define SB_HORZ 0
#define SB_VERT 1
#define SB_CTL 2
#define SB_BOTH 3
#define SB_LINEUP 0
#define SB_LINELEFT 0
#define SB_LINEDOWN 1
#define SB_LINERIGHT 1
#define SB_PAGEUP 2
#define SB_PAGELEFT 2
#define SB_PAGEDOWN 3
#define SB_PAGERIGHT 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_LEFT 6
#define SB_BOTTOM 7
#define SB_RIGHT 7
#define SB_ENDSCROLL 8

#define SIF_RANGE 0x0001
#define SIF_PAGE 0x0002
#define SIF_POS 0x0004
#define SIF_DISABLENOSCROLL 0x0008
#define SIF_TRACKPOS 0x0010
#define SIF_ALL (SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS)

typedef struct tagSCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
} SCROLLINFO, *LPSCROLLINFO;
typedef const SCROLLINFO *LPCSCROLLINFO;

/* A window's bars (SB_HORZ, SB_VERT) start with range 0..100, page 0,
 * position 0. The page is clamped to 0 .. max - min + 1 and the position to
 * min .. max - max(page - 1, 0). A bar whose range stops being scrollable
 * hides (changing the client size, with WM_SIZE) unless SIF_DISABLENOSCROLL
 * keeps it shown, disabled. Returns the new position. */
WINAPI_STANDIN int SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw);
WINAPI_STANDIN BOOL GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info);
WINAPI_STANDIN int SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw);
WINAPI_STANDIN int GetScrollPos(HWND hwnd, int bar);
WINAPI_STANDIN BOOL SetScrollRange(HWND hwnd, int bar, int min, int max, BOOL redraw);

/* ---- Pointer, capture, keyboard ----------------------------------------- */

#define IDC_ARROW MAKEINTRESOURCEA(32512)
#define IDC_IBEAM MAKEINTRESOURCEA(32513)
#define IDC_WAIT MAKEINTRESOURCEA(32514)
#define IDC_CROSS MAKEINTRESOURCEA(32515)
#define IDC_UPARROW MAKEINTRESOURCEA(32516)
#define IDC_SIZEWE MAKEINTRESOURCEA(32644)
#define IDC_SIZEALL MAKEINTRESOURCEA(32646)
#define IDC_NO MAKEINTRESOURCEA(32648)
#define IDC_HAND MAKEINTRESOURCEA(32649)

#define MOUSEEVENTF_MOVE 0x0001
#define MOUSEEVENTF_LEFTDOWN 0x0002
#define MOUSEEVENTF_LEFTUP 0x0004
#define MOUSEEVENTF_RIGHTDOWN 0x0008
#define MOUSEEVENTF_RIGHTUP 0x0010
#define MOUSEEVENTF_MIDDLEDOWN 0x0020
#define MOUSEEVENTF_MIDDLEUP 0x0040
#define MOUSEEVENTF_WHEEL 0x0800
#define MOUSEEVENTF_ABSOLUTE 0x8000

/* Cursors are shared: loading one twice gives the same handle, which needs no
 * freeing. NULL module: the system cursors IDC_*. */
WINAPI_STANDIN HCURSOR LoadCursorA(HINSTANCE module, LPCSTR name);
WINAPI_STANDIN HCURSOR SetCursor(HCURSOR cursor);
WINAPI_STANDIN HCURSOR GetCursor(void);
WINAPI_STANDIN BOOL DestroyCursor(HCURSOR cursor);
WINAPI_STANDIN BOOL GetCursorPos(LPPOINT p);
/* Moves the pointer; a move posts WM_MOUSEMOVE to the capture window, else to
 * the window under the pointer, as the input system does. */
WINAPI_STANDIN BOOL SetCursorPos(int x, int y);
/* Synthesised input: relative moves are taken 1:1 (no acceleration); absolute
 * ones are normalised 0..65535 over the screen. Buttons and the wheel post
 * their messages like SetCursorPos does. */
WINAPI_STANDIN void mouse_event(DWORD flags, DWORD dx, DWORD dy, DWORD data, ULONG_PTR extra);
/* SetCapture sends WM_CAPTURECHANGED to the window that loses it. */
WINAPI_STANDIN HWND SetCapture(HWND hwnd);
WINAPI_STANDIN BOOL ReleaseCapture(void);
WINAPI_STANDIN HWND GetCapture(void);
/* Key states follow the WM_KEYDOWN/WM_KEYUP (and button) messages that the
 * stand-in's input functions post; bit 15 set while down. */
WINAPI_STANDIN SHORT GetKeyState(int vk);
WINAPI_STANDIN SHORT GetAsyncKeyState(int vk);

/* ---- GDI ---------------------------------------------------------------- */

#define SRCCOPY 0x00CC0020
#define SRCPAINT 0x00EE0086
#define SRCAND 0x008800C6
#define SRCINVERT 0x00660046
#define NOTSRCCOPY 0x00330008
#define PATCOPY 0x00F00021
#define DSTINVERT 0x00550009
#define BLACKNESS 0x00000042
#define WHITENESS 0x00FF0062

#define BLACKONWHITE 1
#define WHITEONBLACK 2
#define COLORONCOLOR 3
#define HALFTONE 4
#define STRETCH_ANDSCANS BLACKONWHITE
#define STRETCH_ORSCANS WHITEONBLACK
#define STRETCH_DELETESCANS COLORONCOLOR
#define STRETCH_HALFTONE HALFTONE

#define DIB_RGB_COLORS 0
#define DIB_PAL_COLORS 1
#define BI_RGB 0
#define BI_BITFIELDS 3

#define PS_SOLID 0
#define PS_DASH 1
#define PS_DOT 2
#define PS_NULL 5
#define PS_INSIDEFRAME 6
#define BS_SOLID 0
#define BS_NULL 1
#define BS_HOLLOW BS_NULL

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define GRAY_BRUSH 2
#define DKGRAY_BRUSH 3
#define BLACK_BRUSH 4
#define NULL_BRUSH 5
#define HOLLOW_BRUSH NULL_BRUSH
#define WHITE_PEN 6
#define BLACK_PEN 7
#define NULL_PEN 8
#define SYSTEM_FONT 13
#define DEFAULT_GUI_FONT 17

#define OBJ_PEN 1
#define OBJ_BRUSH 2
#define OBJ_DC 3
#define OBJ_FONT 6
#define OBJ_BITMAP 7
#define OBJ_MEMDC 10

#define HORZRES 8
#define VERTRES 10
#define BITSPIXEL 12
#define PLANES 14
#define LOGPIXELSX 88
#define LOGPIXELSY 90

#define TRANSPARENT 1
#define OPAQUE 2
#define CLR_INVALID 0xFFFFFFFF
#define HGDI_ERROR ((HGDIOBJ)(LONG_PTR)-1)

#define COLOR_SCROLLBAR 0
#define COLOR_BACKGROUND 1
#define COLOR_ACTIVECAPTION 2
#define COLOR_INACTIVECAPTION 3
#define COLOR_MENU 4
#define COLOR_WINDOW 5
#define COLOR_WINDOWFRAME 6
#define COLOR_MENUTEXT 7
#define COLOR_WINDOWTEXT 8
#define COLOR_CAPTIONTEXT 9
#define COLOR_HIGHLIGHT 13
#define COLOR_HIGHLIGHTTEXT 14
#define COLOR_BTNFACE 15
#define COLOR_3DFACE COLOR_BTNFACE
#define COLOR_BTNSHADOW 16
#define COLOR_3DSHADOW COLOR_BTNSHADOW
#define COLOR_GRAYTEXT 17
#define COLOR_BTNTEXT 18
#define COLOR_BTNHIGHLIGHT 20
#define COLOR_3DHIGHLIGHT COLOR_BTNHIGHLIGHT
#define COLOR_3DDKSHADOW 21
#define COLOR_3DLIGHT 22

#pragma pack(push, 2)
typedef struct tagBITMAPFILEHEADER {
    WORD bfType;        /* "BM" */
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
} BITMAPFILEHEADER;
#pragma pack(pop)

typedef struct tagBITMAPINFOHEADER {
    DWORD biSize;          /* 40 */
    LONG biWidth;
    LONG biHeight;         /* positive: rows bottom-up; negative: top-down */
    WORD biPlanes;         /* 1 */
    WORD biBitCount;       /* 1, 4, 8, 24 or 32 */
    DWORD biCompression;   /* BI_RGB, or BI_BITFIELDS for 32 bits */
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
} BITMAPINFOHEADER, *LPBITMAPINFOHEADER;

typedef struct tagRGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
} RGBQUAD;

typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
} BITMAPINFO, *LPBITMAPINFO;

typedef struct tagBITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
} BITMAP, *LPBITMAP;

typedef struct tagLOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
} LOGBRUSH;

typedef struct tagLOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
} LOGPEN;

/* Device contexts: "DISPLAY" (CreateDCA) and GetDC(NULL) draw nowhere but
 * answer GetDeviceCaps; memory contexts draw into their selected bitmap
 * (a 1 x 1 monochrome one at first, so a bitmap compatible with a fresh memory
 * context is monochrome, as on Windows); window contexts draw into the window. */
typedef struct _devicemodeA DEVMODEA;  /* device settings; the stand-in takes none */
WINAPI_STANDIN HDC CreateDCA(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA *init);
WINAPI_STANDIN HDC CreateCompatibleDC(HDC hdc);
WINAPI_STANDIN BOOL DeleteDC(HDC hdc);
WINAPI_STANDIN int GetDeviceCaps(HDC hdc, int index);
WINAPI_STANDIN HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height);
WINAPI_STANDIN HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bits, const void *data);
/* Selecting gives back the object it replaces (HGDI_ERROR or NULL on failure).
 * Deleting a pen or brush that is selected somewhere is deferred until it is
 * deselected; deleting a selected bitmap fails. Stock objects ignore deletion. */
WINAPI_STANDIN HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj);
WINAPI_STANDIN BOOL DeleteObject(HGDIOBJ obj);
WINAPI_STANDIN HGDIOBJ GetStockObject(int index);
WINAPI_STANDIN HGDIOBJ GetCurrentObject(HDC hdc, UINT type);
WINAPI_STANDIN DWORD GetObjectType(HGDIOBJ obj);
WINAPI_STANDIN int GetObjectA(HGDIOBJ obj, int size, LPVOID out);
WINAPI_STANDIN HPEN CreatePen(int style, int width, COLORREF color);
WINAPI_STANDIN HBRUSH CreateSolidBrush(COLORREF color);
WINAPI_STANDIN DWORD GetSysColor(int index);
WINAPI_STANDIN HBRUSH GetSysColorBrush(int index);

WINAPI_STANDIN int SetStretchBltMode(HDC hdc, int mode);
WINAPI_STANDIN int GetStretchBltMode(HDC hdc);
WINAPI_STANDIN COLORREF SetTextColor(HDC hdc, COLORREF color);
WINAPI_STANDIN COLORREF SetBkColor(HDC hdc, COLORREF color);
WINAPI_STANDIN int SetBkMode(HDC hdc, int mode);

/* hbr may be (HBRUSH)(COLOR_xxx + 1). Fills [left, right) x [top, bottom). */
WINAPI_STANDIN int FillRect(HDC hdc, const RECT *r, HBRUSH hbr);
WINAPI_STANDIN BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
WINAPI_STANDIN BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old);
WINAPI_STANDIN BOOL LineTo(HDC hdc, int x, int y);
WINAPI_STANDIN COLORREF GetPixel(HDC hdc, int x, int y);
WINAPI_STANDIN COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
WINAPI_STANDIN BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
WINAPI_STANDIN BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw,
                               int sh, DWORD rop);
/* From a DIB of 8, 24 or 32 bits (8 with a colour table); for a bottom-up DIB
 * the source y counts from the bottom row, as on Windows. Returns the number of
 * scan lines (source height), 0 on failure. */
WINAPI_STANDIN int StretchDIBits(HDC hdc, int x, int y, int w, int h, int sx, int sy, int sw, int sh,
                                 const void *bits, const BITMAPINFO *bmi, UINT usage, DWORD rop);
/* Text in the stand-in's own 5 x 7 bitmap font (a 6 x 9 cell per character). */
WINAPI_STANDIN BOOL TextOutA(HDC hdc, int x, int y, LPCSTR text, int length);

/* ---- Bitmaps and images from resources ---------------------------------- */

#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define LR_DEFAULTCOLOR 0x0000
#define LR_LOADFROMFILE 0x0010
#define LR_LOADTRANSPARENT 0x0020
#define LR_DEFAULTSIZE 0x0040
#define LR_LOADMAP3DCOLORS 0x1000
#define LR_CREATEDIBSECTION 0x2000
#define LR_SHARED 0x8000

/* A new bitmap from a BITMAP resource (the caller deletes it). */
WINAPI_STANDIN HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name);
/* IMAGE_BITMAP (from a resource, or a .bmp file with LR_LOADFROMFILE) and
 * IMAGE_CURSOR (shared, as LoadCursorA). */
WINAPI_STANDIN HANDLE LoadImageA(HINSTANCE module, LPCSTR name, UINT type, int cx, int cy, UINT flags);

/* The plain names of an ANSI build. */
#define RegisterClass RegisterClassA
#define RegisterClassEx RegisterClassExA
#define WNDCLASS WNDCLASSA
#define WNDCLASSEX WNDCLASSEXA
#define CREATESTRUCT CREATESTRUCTA
#define CreateWindowEx CreateWindowExA
#define CreateWindow CreateWindowA
#define DefWindowProc DefWindowProcA
#define CallWindowProc CallWindowProcA
#define SendMessage SendMessageA
#define PostMessage PostMessageA
#define PeekMessage PeekMessageA
#define GetMessage GetMessageA
#define DispatchMessage DispatchMessageA
#define SetWindowText SetWindowTextA
#define GetWindowText GetWindowTextA
#define GetWindowLong GetWindowLongA
#define SetWindowLong SetWindowLongA
#define GetWindowLongPtr GetWindowLongPtrA
#define SetWindowLongPtr SetWindowLongPtrA
#define LoadCursor LoadCursorA
#define LoadBitmap LoadBitmapA
#define LoadImage LoadImageA
#define LoadString LoadStringA
#define FindResource FindResourceA
#define GetModuleHandle GetModuleHandleA
#define GetObject GetObjectA
#define CreateDC CreateDCA
#define TextOut TextOutA
#define wsprintf wsprintfA
#define lstrlen lstrlenA
#define lstrcpy lstrcpyA
#define lstrcpyn lstrcpynA
#define lstrcat lstrcatA
#define lstrcmp lstrcmpA
#define lstrcmpi lstrcmpiA
#define GetCurrentDirectory GetCurrentDirectoryA
#define SetCurrentDirectory SetCurrentDirectoryA
#define GetPrivateProfileInt GetPrivateProfileIntA
#define GetPrivateProfileString GetPrivateProfileStringA
#define WritePrivateProfileString WritePrivateProfileStringA

#ifdef __cplusplus
}
#endif

#include <string.h>

#endif
