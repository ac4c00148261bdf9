#include <cerrno>
#include <cstring>

#include "platform/system_error.h"

namespace platform {
namespace {
thread_local SystemErrorCode t_lastError = 0;
}

SystemErrorCode LastSystemError() {
    return t_lastError;
}
void SetLastSystemError(SystemErrorCode code) {
    t_lastError = code;
}

std::string SystemErrorText(SystemErrorCode code) {
    char buffer[256] = {};
    // GNU strerror_r may return a static string rather than fill the buffer.
    const char* text = strerror_r(static_cast<int>(code), buffer, sizeof buffer);
    return text ? text : "";
}

SystemErrorCode GenericDeviceError() {
    return EIO;
}
SystemErrorCode TimeoutError() {
    return ETIMEDOUT;
}

}  // namespace platform
