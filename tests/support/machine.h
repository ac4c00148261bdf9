// The machine's own platform backends, for tests that use real files.
#pragma once

#include <memory>

#include "platform/file_system.h"

std::unique_ptr<platform::FileSystem> MakeMachineFileSystem();
