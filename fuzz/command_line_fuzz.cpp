// The command-line parser over any arguments (the input split at NUL bytes): wrong usage gives a one-line
// hint and nothing else; right usage gives a known command, and the Keil root the command needs.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    std::string arg;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.push_back(arg);
            arg.clear();
        } else {
            arg += static_cast<char>(data[i]);
        }
    }
    if (size > 0) args.push_back(arg);

    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.error.empty()) {
        FuzzCheck(parsed.error.find('\n') == std::string::npos, "a usage hint of more than one line");
        return 0;
    }
    const CommandLine& o = parsed.options;
    const auto& known = KnownCommands();
    FuzzCheck(o.command.empty() || std::find(known.begin(), known.end(), o.command) != known.end(),
              "an unknown command taken");
    const bool needsRoot = o.command == "status" || o.command == "install" || o.command == "uninstall";
    FuzzCheck(!needsRoot || o.keilRoot || o.help || o.version, "a command without the Keil root it needs");
    FuzzCheck(!o.keilRoot || !o.keilRoot->empty(), "an empty Keil root taken");
    FuzzCheck(!o.directory || !o.directory->empty(), "an empty folder taken for -C");
    FuzzCheck(!o.codePage || (*o.codePage > 0 && *o.codePage <= 65535), "a code page out of range");
    return 0;
}
