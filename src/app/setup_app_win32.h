#pragma once

#include "platform/windows_headers_win32.h"

// The application: runs the main dialog modally and ends when it ends.
class CSetupApp {
  public:
    explicit CSetupApp(HINSTANCE instance) : instance_(instance) {}

    // Returns the process's exit code; the dialog's own result is not looked at.
    int InitInstance();

  private:
    HINSTANCE instance_;
};
