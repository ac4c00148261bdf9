// Runs the program from its command line: the dialog's work without a window, one command at a time.
#pragma once

#include <cstdio>
#include <string>

#include "app/command_line.h"
#include "app/console_view.h"
#include "app/setup_dlg.h"

namespace platform {
class FileSystem;
class Clock;
class HidBus;
}  // namespace platform

// What the operating system gives the program.
struct ProgramPlatform {
    platform::FileSystem& files;
    platform::Clock& clock;
    std::string programName;             // file name of the program without folder and extension
    platform::HidBus* hidBus = nullptr;  // the machine's HID devices, when the backend has them
    bool opensDialog = false;            // without a command the program shows its dialog (Setup.exe)
};

// Exit status of a command.
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Everything a command works with.
struct CommandSession {
    const CommandLine& options;
    ConsoleView& view;
    CSetupDlg& dlg;
    platform::Clock& clock;
    std::FILE* err;
    std::FILE* out = nullptr;  // what a command prints besides the message boxes
};

// Parses args (without the program's own name) and runs the command; returns the exit status.
int RunCommandLine(const std::vector<std::string>& args, ProgramPlatform& platform, std::FILE* out,
                   std::FILE* err);

// Fires the dialog's timers as they fall due, until none is running.
void RunTimers(CommandSession& session);

// The commands.
int RunStartup(CommandSession& session);
int RunAdapter(CommandSession& session);
int RunStatus(CommandSession& session);
int RunInstall(CommandSession& session);
int RunUninstall(CommandSession& session);

// The folder --keil-root names, as the folder browser would return it: a full path without a trailing
// separator.
std::string KeilRootFullPath(const std::string& folder);

// --keil-root DIR stands in for the folder browser: Browse as if DIR had been chosen. False when the root
// was refused (the edit box is empty afterwards).
bool BrowseKeilRootOption(CommandSession& session);
