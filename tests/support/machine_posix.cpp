#include "platform/file_system_posix.h"
#include "support/machine.h"

std::unique_ptr<platform::FileSystem> MakeMachineFileSystem() {
    return std::make_unique<platform::PosixFileSystem>();
}
