/* The few Win32 scalar and handle types that the plug-in records name.
 *
 * On Windows they come from <windows.h>. Elsewhere they are declared here with
 * the same widths, so that the records read the same on every build; the Linux
 * stand-in for the window services starts from this header.
 */
#ifndef QP_SDK_WINTYPES_H
#define QP_SDK_WINTYPES_H

#include <stdint.h>

#if defined(_WIN32)
#include <windows.h>
#else

typedef int BOOL;                         /* 32-bit; non-zero is true */
typedef unsigned int UINT;                /* 32-bit unsigned */
typedef uintptr_t WPARAM;                 /* pointer-wide unsigned message parameter */
typedef intptr_t LPARAM;                  /* pointer-wide signed message parameter */
typedef intptr_t LRESULT;                 /* pointer-wide window procedure result */
typedef struct HWND__ *HWND;              /* window handle */
typedef struct HINSTANCE__ *HINSTANCE;    /* loaded module handle */

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif
#endif

/* Every callback across the boundary, in either direction, is cdecl: the caller
 * removes the arguments. Only 32-bit x86 has a choice to make. */
#if defined(_WIN32) && !defined(_WIN64)
#define QP_CDECL __cdecl
#else
#define QP_CDECL
#endif

/* Marks the one entry point that a plug-in library exports, undecorated. */
#if defined(_WIN32)
#define QP_EXPORT __declspec(dllexport)
#else
#define QP_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
#define QP_EXTERN_C extern "C"
#define QP_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define QP_EXTERN_C
#define QP_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif

/* True where the records must match the host's 32-bit layout byte for byte. */
#if UINTPTR_MAX == 0xFFFFFFFFu
#define QP_LAYOUT_32 1
#else
#define QP_LAYOUT_32 0
#endif

#endif
