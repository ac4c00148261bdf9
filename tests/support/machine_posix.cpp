#include <cerrno>

#include "platform/file_system_posix.h"
#include "support/machine.h"

std::unique_ptr<platform::FileSystem> MakeMachineFileSystem() {
    return std::make_unique<platform::PosixFileSystem>();
}

const MachineErrorCodes& MachineErrors() {
    static const MachineErrorCodes codes{ENOENT, ENOENT, EACCES, ENOSPC, EIO};
    return codes;
}
