// The settings dialog "CONFIG": one edit field for the name pattern.

#include <windows.h>

#include "stillseq.h"

namespace stillseq {

namespace {

constexpr int kPatternField = 100;

INT_PTR CALLBACK config_dialog_proc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetDlgItemTextA(dialog, kPatternField, name_pattern);
        return TRUE;  // the dialog manager sets the focus
    case WM_COMMAND:
        switch (LOWORD(wparam)) {
        case IDOK:
            GetDlgItemTextA(dialog, kPatternField, name_pattern, kConfigSize);
            EndDialog(dialog, IDOK);
            break;
        case IDCANCEL:  // also the close box and Esc
            EndDialog(dialog, IDCANCEL);
            break;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

BOOL QP_CDECL config(HWND parent, HINSTANCE instance) {
    DialogBoxParamA(instance, "CONFIG", parent, config_dialog_proc, 0);
    return TRUE;
}

}  // namespace stillseq
