// The core's texts are bytes in the ANSI code page, which the manifest makes UTF-8; the window system's wide
// calls take UTF-16.
#pragma once

#include <string>

namespace platform {

// Valid UTF-8 is read as UTF-8 (the program's own texts are UTF-8 even where the system ignores the
// manifest's code page); anything else is read in the ANSI code page.
std::wstring WideFromText(const std::string& text);

// Into the ANSI code page.
std::string TextFromWide(const std::wstring& text);

}  // namespace platform
