#include "platform/windows_headers_win32.h"

#include <io.h>

#include <string>
#include <vector>

#include "platform/process.h"

namespace platform {

std::string ProgramFilePath() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        // A name that filled the buffer may have been cut short: try again with more room.
        if (n < buffer.size()) return std::string(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

// A console that understands the terminal control sequences the progress display uses.
bool IsTerminal(std::FILE* stream) {
    const intptr_t osHandle = ::_get_osfhandle(::_fileno(stream));
    if (osHandle == -1) return false;
    DWORD mode = 0;
    if (!::GetConsoleMode(reinterpret_cast<HANDLE>(osHandle), &mode)) return false;
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace platform
