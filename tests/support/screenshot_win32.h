// PNG screenshots of windows, as they are on the screen.
#pragma once

#include <string>

#include "platform/windows_headers_win32.h"

// Saves what the screen shows of window (frame included) as a PNG file in folder.
bool SaveWindowScreenshot(HWND window, const std::string& folder, const std::string& fileName);
