#include "app/parent_console_win32.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

bool IsRedirected(DWORD which) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    const DWORD type = ::GetFileType(handle);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

}  // namespace

ParentConsole::ParentConsole() {
    const bool outRedirected = IsRedirected(STD_OUTPUT_HANDLE);
    const bool errRedirected = IsRedirected(STD_ERROR_HANDLE);
    if (!(outRedirected && errRedirected) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
        attached_ = true;
        if (!outRedirected) std::freopen("CONOUT$", "w", stdout);
        if (!errRedirected) std::freopen("CONOUT$", "w", stderr);
        savedOutputCodePage_ = ::GetConsoleOutputCP();
        ::SetConsoleOutputCP(CP_UTF8);
        // The progress display redraws its line with terminal control sequences.
        consoleOutput_ =
            ::CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                          nullptr, OPEN_EXISTING, 0, nullptr);
        if (consoleOutput_ != INVALID_HANDLE_VALUE && ::GetConsoleMode(consoleOutput_, &savedOutputMode_)) {
            ::SetConsoleMode(consoleOutput_, savedOutputMode_ | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
        }
    }
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}

ParentConsole::~ParentConsole() {
    std::fflush(stdout);
    std::fflush(stderr);
    if (!attached_) return;
    if (consoleOutput_ != INVALID_HANDLE_VALUE) {
        ::SetConsoleMode(consoleOutput_, savedOutputMode_);
        ::CloseHandle(consoleOutput_);
    }
    if (savedOutputCodePage_ != 0) ::SetConsoleOutputCP(savedOutputCodePage_);
    ::FreeConsole();
}
