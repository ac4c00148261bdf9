// Setup.exe: the installer's dialog, or the command-line program when it is given a command.
//   no arguments, or options only         the dialog, with the options applied
//   a command, --help, --version,
//   or a command line that is not right    the command-line program, writing to the console it was started
//                                          from (wrong usage is reported there, with exit status 2)
#include "platform/windows_headers_win32.h"

#include <string>
#include <vector>

#include "app/command_runner.h"
#include "app/parent_console_win32.h"
#include "app/program_name.h"
#include "app/setup_app_win32.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/file_system_win32.h"
#include "platform/hid_bus_win32.h"
#include "platform/process.h"

namespace {

int RunFromCommandLine(const std::vector<std::string>& args) {
    const ParentConsole console;
    platform::Win32FileSystem files;
    platform::SteadyClock clock;
    platform::Win32HidBus hidBus(clock);
    ProgramPlatform program{files, clock, ProgramNameFromPath(platform::ProgramFilePath()), &hidBus, true};
    return RunCommandLine(args, program, stdout, stderr);
}

bool OpensDialog(const ParsedCommandLine& parsed) {
    const CommandLine& options = parsed.options;
    return parsed.error.empty() && !options.help && !options.version && options.command.empty();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!OpensDialog(parsed)) return RunFromCommandLine(args);

    const CommandLine& options = parsed.options;
    platform::Win32FileSystem files;
    // A folder that cannot be entered is wrong usage, reported on the console like any other.
    if (options.directory && !files.ChangeDirectory(*options.directory)) return RunFromCommandLine(args);
    if (options.codePage) platform::SetSystemCodePage(*options.codePage);
    return CSetupApp(::GetModuleHandleW(nullptr), options).InitInstance();
}
