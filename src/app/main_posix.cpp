// The command-line program of the native build.
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_runner.h"
#include "app/program_name.h"
#include "platform/clock.h"
#include "platform/file_system_posix.h"
#include "platform/hid_bus_posix.h"
#include "platform/process.h"

int main(int argc, char** argv) {
    platform::PosixFileSystem files;
    platform::SteadyClock clock;
    std::string path = platform::ProgramFilePath();
    if (path.empty() && argc > 0) path = argv[0];
    platform::HidrawBus hidBus(clock);
    ProgramPlatform program{files, clock, ProgramNameFromPath(path), &hidBus};
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return RunCommandLine(args, program, stdout, stderr);
}
