// Setup.exe: without arguments the dialog; with a command or an option the command-line program, writing to
// the console it was started from.
#include "platform/windows_headers_win32.h"

#include <string>
#include <vector>

#include "app/command_runner.h"
#include "app/parent_console_win32.h"
#include "app/program_name.h"
#include "app/setup_app_win32.h"
#include "platform/clock.h"
#include "platform/file_system_win32.h"
#include "platform/process.h"

namespace {

int RunFromCommandLine(const std::vector<std::string>& args) {
    const ParentConsole console;
    platform::Win32FileSystem files;
    platform::SteadyClock clock;
    ProgramPlatform program{files, clock, ProgramNameFromPath(platform::ProgramFilePath())};
    return RunCommandLine(args, program, stdout, stderr);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    if (!args.empty()) return RunFromCommandLine(args);
    return CSetupApp(::GetModuleHandleW(nullptr)).InitInstance();
}
