#include "platform/windows_headers_win32.h"

#include "platform/system_error.h"

namespace platform {

SystemErrorCode LastSystemError() {
    return ::GetLastError();
}

void SetLastSystemError(SystemErrorCode code) {
    ::SetLastError(code);
}

// From the system's message table, inserts ignored, in the user's default language, into a buffer the system
// allocates; the text is taken as it stands, line end included.
std::string SystemErrorText(SystemErrorCode code) {
    char* buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text;
    if (buffer != nullptr) {
        text.assign(buffer, length);
        ::LocalFree(buffer);
    }
    return text;
}

SystemErrorCode GenericDeviceError() {
    return ERROR_GEN_FAILURE;
}

SystemErrorCode TimeoutError() {
    return ERROR_TIMEOUT;
}

}  // namespace platform
