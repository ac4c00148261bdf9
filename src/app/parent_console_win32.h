#pragma once

#include "platform/windows_headers_win32.h"

// Setup.exe is a window program; given a command it writes to the files or pipes its standard handles were
// redirected to, and otherwise to the console it was started from. Output is written byte for byte (a line
// feed stays a line feed), and a console shows it as UTF-8 while the program runs.
class ParentConsole {
  public:
    ParentConsole();
    ~ParentConsole();
    ParentConsole(const ParentConsole&) = delete;
    ParentConsole& operator=(const ParentConsole&) = delete;

  private:
    bool attached_ = false;
    UINT savedOutputCodePage_ = 0;
    HANDLE consoleOutput_ = INVALID_HANDLE_VALUE;
    DWORD savedOutputMode_ = 0;
};
