#pragma once

#include <cstdio>
#include <string>

namespace platform {

// The full path of the running program, as the system reports it.
std::string ProgramFilePath();

// Whether the stream writes to a terminal (where a progress bar can redraw itself).
bool IsTerminal(std::FILE* stream);

}  // namespace platform
