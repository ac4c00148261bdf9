// The thread's last system error, as Windows keeps it: the backends record the code of every failed call so
// that ReportSystemError can show the text of the failure that just happened.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

using SystemErrorCode = std::uint32_t;

SystemErrorCode LastSystemError();
void SetLastSystemError(SystemErrorCode code);

// The system's message text for a code, exactly as the system gives it (empty when it has none).
std::string SystemErrorText(SystemErrorCode code);

// Codes a backend or a model records for failures that are not a particular system call's.
SystemErrorCode GenericDeviceError();  // a device that stopped answering
SystemErrorCode TimeoutError();

}  // namespace platform
