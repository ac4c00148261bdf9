#pragma once

#include "platform/windows_headers_win32.h"

#include "app/command_line.h"

// The application: runs the main dialog modally and ends when it ends.
class CSetupApp {
  public:
    // options: those of the command line that apply to the dialog (the adapter to simulate, the adapter's
    // vendor ID, the folder that stands in for the folder browser); the working folder and the code page are
    // already in place.
    CSetupApp(HINSTANCE instance, CommandLine options) : instance_(instance), options_(std::move(options)) {}

    // Returns the process's exit code; the dialog's own result is not looked at.
    int InitInstance();

  private:
    HINSTANCE instance_;
    CommandLine options_;
};
