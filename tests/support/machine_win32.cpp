#include "platform/file_system_win32.h"
#include "support/machine.h"

std::unique_ptr<platform::FileSystem> MakeMachineFileSystem() {
    return std::make_unique<platform::Win32FileSystem>();
}
