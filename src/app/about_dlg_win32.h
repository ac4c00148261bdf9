#pragma once

#include "platform/windows_headers_win32.h"

// The About box (dialog template 100): the program's name, version and icon, and one OK button.
class CAboutDlg {
  public:
    explicit CAboutDlg(HINSTANCE instance) : instance_(instance) {}
    INT_PTR DoModal(HWND parent);

  private:
    HINSTANCE instance_;
};
