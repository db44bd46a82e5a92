/* The message-cracking helpers the panel uses, for Linux builds. */
#ifndef QP_WINAPI_WINDOWSX_H
#define QP_WINAPI_WINDOWSX_H

#include <windows.h>

#define GET_X_LPARAM(lp) ((int)(short)LOWORD(lp))
#define GET_Y_LPARAM(lp) ((int)(short)HIWORD(lp))

#endif
