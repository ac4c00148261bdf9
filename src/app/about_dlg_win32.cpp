#include "app/about_dlg_win32.h"

#include "app/resource.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                ::EndDialog(hwnd, LOWORD(wParam));
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR CAboutDlg::DoModal(HWND parent) {
    return ::DialogBoxParamW(instance_, MAKEINTRESOURCEW(IDD_ABOUTBOX), parent, AboutProc, 0);
}
