/* The common controls that the panel uses, for Linux builds: the toolbar with
 * its tooltips, and image lists. Names and values are the documented ones. */
#ifndef QP_WINAPI_COMMCTRL_H
#define QP_WINAPI_COMMCTRL_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Initialisation ----------------------------------------------------- */

typedef struct tagINITCOMMONCONTROLSEX {
    DWORD dwSize;  /* sizeof(INITCOMMONCONTROLSEX), 8 */
    DWORD dwICC;   /* ICC_* classes to register */
} INITCOMMONCONTROLSEX, *LPINITCOMMONCONTROLSEX;

#define ICC_LISTVIEW_CLASSES 0x00000001
#define ICC_TREEVIEW_CLASSES 0x00000002
#define ICC_BAR_CLASSES 0x00000004
#define ICC_TAB_CLASSES 0x00000008
#define ICC_UPDOWN_CLASS 0x00000010
#define ICC_PROGRESS_CLASS 0x00000020
#define ICC_WIN95_CLASSES 0x000000FF
#define ICC_STANDARD_CLASSES 0x00004000

/* FALSE for a wrong dwSize. */
WINAPI_STANDIN BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX *icc);
WINAPI_STANDIN void InitCommonControls(void);

/* ---- Common styles and notifications ------------------------------------ */

#define CCS_TOP 0x00000001L
#define CCS_NOMOVEY 0x00000002L
#define CCS_BOTTOM 0x00000003L
#define CCS_NORESIZE 0x00000004L
#define CCS_NOPARENTALIGN 0x00000008L
#define CCS_ADJUSTABLE 0x00000020L
#define CCS_NODIVIDER 0x00000040L

#define NM_FIRST (0U - 0U)

/* ---- Tooltips ----------------------------------------------------------- */

#define TOOLTIPS_CLASSA "tooltips_class32"
#define TOOLTIPS_CLASS TOOLTIPS_CLASSA

#define TTN_FIRST (0U - 520U)
#define TTN_GETDISPINFOA (TTN_FIRST - 0)
#define TTN_NEEDTEXTA TTN_GETDISPINFOA
#define TTN_NEEDTEXT TTN_NEEDTEXTA
#define TTF_IDISHWND 0x0001

/* Sent as WM_NOTIFY (code TTN_NEEDTEXTA) to the toolbar's parent when a tool
 * needs its text: the receiver sets lpszText to a string (or fills szText,
 * or names a string resource by hinst and MAKEINTRESOURCE id). */
typedef struct tagNMTTDISPINFOA {
    NMHDR hdr;          /* hwndFrom: the tooltip window; idFrom: the button's command */
    LPSTR lpszText;     /* receiver-set text */
    char szText[80];    /* receiver-filled text, used when lpszText points here */
    HINSTANCE hinst;    /* with lpszText = MAKEINTRESOURCE(id): a string resource */
    UINT uFlags;        /* TTF_IDISHWND when idFrom is a window handle */
    LPARAM lParam;
} NMTTDISPINFOA, *LPNMTTDISPINFOA;
typedef NMTTDISPINFOA TOOLTIPTEXTA, *LPTOOLTIPTEXTA;
#define NMTTDISPINFO NMTTDISPINFOA
#define TOOLTIPTEXT TOOLTIPTEXTA
#define LPTOOLTIPTEXT LPTOOLTIPTEXTA

/* ---- Toolbar ------------------------------------------------------------ */

#define TOOLBARCLASSNAMEA "ToolbarWindow32"
#define TOOLBARCLASSNAME TOOLBARCLASSNAMEA

#define TBSTATE_CHECKED 0x01
#define TBSTATE_PRESSED 0x02
#define TBSTATE_ENABLED 0x04
#define TBSTATE_HIDDEN 0x08
#define TBSTATE_INDETERMINATE 0x10
#define TBSTATE_WRAP 0x20

#define TBSTYLE_BUTTON 0x0000
#define TBSTYLE_SEP 0x0001
#define TBSTYLE_CHECK 0x0002
#define TBSTYLE_GROUP 0x0004
#define TBSTYLE_CHECKGROUP (TBSTYLE_GROUP | TBSTYLE_CHECK)
#define TBSTYLE_TOOLTIPS 0x0100
#define TBSTYLE_WRAPABLE 0x0200
#define TBSTYLE_FLAT 0x0800
#define TBSTYLE_LIST 0x1000
#define BTNS_BUTTON TBSTYLE_BUTTON
#define BTNS_SEP TBSTYLE_SEP
#define BTNS_CHECK TBSTYLE_CHECK

typedef struct _TBBUTTON {
    int iBitmap;       /* image index; for a separator its width (0: default) */
    int idCommand;     /* WM_COMMAND id sent to the parent on a click */
    BYTE fsState;      /* TBSTATE_* */
    BYTE fsStyle;      /* TBSTYLE_* */
#if UINTPTR_MAX > 0xFFFFFFFFu
    BYTE bReserved[6];
#else
    BYTE bReserved[2];
#endif
    DWORD_PTR dwData;  /* caller's value */
    INT_PTR iString;   /* label; the stand-in draws none */
} TBBUTTON, *PTBBUTTON, *LPTBBUTTON;
typedef const TBBUTTON *LPCTBBUTTON;

typedef struct tagTBADDBITMAP {
    HINSTANCE hInst;  /* module of a bitmap resource, or NULL with a HBITMAP in nID */
    UINT_PTR nID;
} TBADDBITMAP, *LPTBADDBITMAP;

#define TB_ENABLEBUTTON (WM_USER + 1)
#define TB_CHECKBUTTON (WM_USER + 2)
#define TB_PRESSBUTTON (WM_USER + 3)
#define TB_HIDEBUTTON (WM_USER + 4)
#define TB_ISBUTTONENABLED (WM_USER + 9)
#define TB_ISBUTTONCHECKED (WM_USER + 10)
#define TB_ISBUTTONPRESSED (WM_USER + 11)
#define TB_ISBUTTONHIDDEN (WM_USER + 12)
#define TB_SETSTATE (WM_USER + 17)
#define TB_GETSTATE (WM_USER + 18)
#define TB_ADDBITMAP (WM_USER + 19)
#define TB_ADDBUTTONSA (WM_USER + 20)
#define TB_ADDBUTTONS TB_ADDBUTTONSA
#define TB_DELETEBUTTON (WM_USER + 22)
#define TB_GETBUTTON (WM_USER + 23)
#define TB_BUTTONCOUNT (WM_USER + 24)
#define TB_COMMANDTOINDEX (WM_USER + 25)
#define TB_GETITEMRECT (WM_USER + 29)
#define TB_BUTTONSTRUCTSIZE (WM_USER + 30)
#define TB_SETBUTTONSIZE (WM_USER + 31)
#define TB_SETBITMAPSIZE (WM_USER + 32)
#define TB_AUTOSIZE (WM_USER + 33)
#define TB_GETTOOLTIPS (WM_USER + 35)
#define TB_SETTOOLTIPS (WM_USER + 36)
#define TB_SETPARENT (WM_USER + 37)

/* A child toolbar of `parent`, docked along its top edge across its width and
 * 29 pixels high; it re-lays itself out on WM_SIZE. Its buttons are
 * bitmap width + 7 by height + 6 pixels, from x = 0 and y = 2, a separator 8
 * pixels wide. Buttons are read `struct_size` bytes apart: pass
 * sizeof(TBBUTTON). Clicks on an enabled button send WM_COMMAND
 * (MAKEWPARAM(id, 0), toolbar) to the parent. */
WINAPI_STANDIN HWND CreateToolbarEx(HWND parent, DWORD style, UINT id, int bitmaps, HINSTANCE bm_module,
                                    UINT_PTR bm_id, LPCTBBUTTON buttons, int button_count,
                                    int button_w, int button_h, int bitmap_w, int bitmap_h,
                                    UINT struct_size);

/* ---- Image lists -------------------------------------------------------- */

typedef struct _IMAGELIST *HIMAGELIST;

#define ILC_MASK 0x00000001
#define ILC_COLOR 0x00000000
#define ILC_COLORDDB 0x000000FE
#define ILC_COLOR4 0x00000004
#define ILC_COLOR8 0x00000008
#define ILC_COLOR16 0x00000010
#define ILC_COLOR24 0x00000018
#define ILC_COLOR32 0x00000020

#define ILD_NORMAL 0x00000000
#define ILD_TRANSPARENT 0x00000001
#define ILD_MASK 0x00000010
#define ILD_IMAGE 0x00000020

#define CLR_NONE 0xFFFFFFFFL
#define CLR_DEFAULT 0xFF000000L

/* An image list counts as one live GDI object until ImageList_Destroy. */
WINAPI_STANDIN HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
WINAPI_STANDIN BOOL ImageList_Destroy(HIMAGELIST list);
WINAPI_STANDIN int ImageList_GetImageCount(HIMAGELIST list);
WINAPI_STANDIN BOOL ImageList_GetIconSize(HIMAGELIST list, int *cx, int *cy);
/* Adds bitmap width / cx images; returns the index of the first, -1 on
 * failure. The bitmap stays the caller's. */
WINAPI_STANDIN int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
/* Pixels of colour `mask` become transparent (with ILC_MASK). */
WINAPI_STANDIN int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask);
/* ILD_NORMAL and ILD_TRANSPARENT draw the image over the destination, leaving
 * its transparent pixels (the background colour is CLR_NONE). */
WINAPI_STANDIN BOOL ImageList_Draw(HIMAGELIST list, int index, HDC hdc, int x, int y, UINT style);
WINAPI_STANDIN COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color);
WINAPI_STANDIN COLORREF ImageList_GetBkColor(HIMAGELIST list);

#ifdef __cplusplus
}
#endif

#endif
