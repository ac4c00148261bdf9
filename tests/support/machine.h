// The machine's own platform backends, for tests that use real files.
#pragma once

#include <memory>

#include "platform/file_system.h"
#include "platform/system_error.h"

std::unique_ptr<platform::FileSystem> MakeMachineFileSystem();

// The codes the machine's backend records for the failures tests provoke or inject (errno values on POSIX,
// Win32 error codes on Windows); the text a box shows for one is platform::SystemErrorText(code).
struct MachineErrorCodes {
    platform::SystemErrorCode fileNotFound;  // a missing file in an existing folder
    platform::SystemErrorCode pathNotFound;  // a missing folder
    platform::SystemErrorCode accessDenied;
    platform::SystemErrorCode diskFull;
    platform::SystemErrorCode ioError;
};
const MachineErrorCodes& MachineErrors();
