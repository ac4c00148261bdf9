// The options of the command-line program (and of Setup.exe when it is given a command).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    std::optional<std::string> directory;        // -C DIR: run as if started in DIR
    std::optional<std::string> keilRoot;         // --keil-root DIR: the folder the browser would return
    std::optional<int> codePage;                 // --codepage N
    std::optional<std::string> simulateAdapter;  // --simulate-adapter[=SPEC]; empty SPEC = a healthy adapter
    std::optional<std::uint16_t> adapterVendorId;  // --adapter-vid VID
    std::string command;                           // empty: the dialog's start-up
    bool help = false;
    bool version = false;
};

struct ParsedCommandLine {
    CommandLine options;
    std::string error;  // non-empty: wrong usage, a one-line hint
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The commands the program knows, in the order the help lists them.
const std::vector<std::string>& KnownCommands();

// dialogProgram: the program opens its dialog when no command is given (Setup.exe).
std::string UsageText(const std::string& programName, bool dialogProgram = false);
