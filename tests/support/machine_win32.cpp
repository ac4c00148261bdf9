#include "platform/file_system_win32.h"
#include "platform/windows_headers_win32.h"
#include "support/machine.h"

std::unique_ptr<platform::FileSystem> MakeMachineFileSystem() {
    return std::make_unique<platform::Win32FileSystem>();
}

const MachineErrorCodes& MachineErrors() {
    static const MachineErrorCodes codes{ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_ACCESS_DENIED,
                                         ERROR_DISK_FULL, ERROR_GEN_FAILURE};
    return codes;
}
