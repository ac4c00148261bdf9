#include "app/command_line.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "adapter/adapter_ids.h"
#include "adapter/simulated_adapter_settings.h"
#include "platform/printable_text.h"

namespace {

bool ParseNumber(const std::string& text, unsigned long limit, unsigned long& value) {
    if (text.empty() || text.front() == '-' || text.front() == '+') return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoul(text.c_str(), &end, 0);  // decimal, or hexadecimal with 0x
    return errno == 0 && end != nullptr && *end == '\0' && value <= limit;
}

}  // namespace

const std::vector<std::string>& KnownCommands() {
    static const std::vector<std::string> commands = {"status", "install", "uninstall", "adapter"};
    return commands;
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine parsed;
    CommandLine& o = parsed.options;
    const auto fail = [&parsed](const std::string& message) {
        parsed.error = message;
        return parsed;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (arg.rfind("--", 0) == 0) {
            const auto eq = arg.find('=');
            if (eq != std::string::npos) {
                name = arg.substr(0, eq);
                inlineValue = arg.substr(eq + 1);
            }
        }
        const auto value = [&](std::string& out) {
            if (inlineValue) {
                out = *inlineValue;
                return true;
            }
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };

        std::string text;
        if (name == "--help" || name == "-h") {
            o.help = true;
        } else if (name == "--version") {
            o.version = true;
        } else if (name == "-C") {
            if (!value(text) || text.empty()) return fail("option -C needs a folder");
            o.directory = text;
        } else if (name == "--keil-root") {
            if (!value(text) || text.empty()) return fail("option --keil-root needs a folder");
            o.keilRoot = text;
        } else if (name == "--codepage") {
            unsigned long number = 0;
            if (!value(text) || !ParseNumber(text, 65535, number) || number == 0)
                return fail("option --codepage needs a code page number such as 950 or 65001");
            o.codePage = static_cast<int>(number);
        } else if (name == "--simulate-adapter") {
            o.simulateAdapter = inlineValue.value_or("");
            SimulatedAdapterSettings spec;
            std::string specError;
            if (!ParseSimulatedAdapterSettings(*o.simulateAdapter, spec, specError)) return fail(specError);
        } else if (name == "--adapter-vid") {
            unsigned long number = 0;
            if (!value(text) || !ParseNumber(text, 0xFFFF, number))
                return fail("option --adapter-vid needs a 16-bit vendor ID such as 0x1234");
            o.adapterVendorId = static_cast<std::uint16_t>(number);
        } else if (!arg.empty() && arg.front() == '-') {
            return fail("unknown option '" + platform::PrintableText(arg) + "'");
        } else if (!o.command.empty()) {
            return fail("only one command may be given ('" + o.command + "' and '" +
                        platform::PrintableText(arg) + "')");
        } else if (std::find(KnownCommands().begin(), KnownCommands().end(), arg) == KnownCommands().end()) {
            return fail("unknown command '" + platform::PrintableText(arg) + "'");
        } else {
            o.command = arg;
        }
    }
    const bool needsRoot = o.command == "status" || o.command == "install" || o.command == "uninstall";
    if (needsRoot && !o.keilRoot && !o.help && !o.version)
        return fail("command '" + o.command + "' needs the Keil root: --keil-root DIR");
    return parsed;
}

std::string UsageText(const std::string& programName, bool dialogProgram) {
    char vendorId[8];
    std::snprintf(vendorId, sizeof vendorId, "0x%04X", kDefaultAdapterVendorId);
    const std::string startup =
        dialogProgram
            ? "  (none)      open the installer's dialog; the options apply to it, and --keil-root DIR\n"
              "              stands in for the folder browser (Browse chooses DIR)\n"
            : "  (none)      the dialog's start-up: check the adapter, then load the setup script\n";
    const std::string console =
        dialogProgram
            ? "Given a COMMAND (or --help or --version), it runs in the console it was started from.\n"
            : "";
    return "Usage: " + programName +
           " [-C DIR] [--keil-root DIR] [--codepage N] [--simulate-adapter[=SPEC]]\n"
           "       [--adapter-vid VID] [COMMAND]\n"
           "\n"
           "Installs the Trelvor 8051 device database into a Keil uVision2/uVision3 installation and\n"
           "keeps the firmware of the Trelvor 8051 ICE adapter current. The setup script is\n"
           "<program name>.ini in the working directory.\n"
           "\n"
           "Commands:\n" +
           startup +
           "  status      show the uVision generation and whether the database is installed\n"
           "  install     install the database into the Keil root\n"
           "  uninstall   remove the database from the Keil root\n"
           "  adapter     check the ICE adapter's firmware and upgrade it when it differs; exit\n"
           "              status 0 when it is current or was upgraded\n"
           "\n"
           "Options:\n"
           "  -C DIR                   run as if started in DIR\n"
           "  --keil-root DIR          the Keil root, as the Browse button would choose it (status,\n"
           "                           install and uninstall need it; relative to the folder of -C)\n"
           "  --codepage N             the ANSI code page of script texts (932, 936, 949, 950, 65001, ...)\n"
           "  --simulate-adapter[=SPEC]\n"
           "                           talk to a simulated ICE adapter instead of USB (SPEC below)\n"
           "  --adapter-vid VID        the adapter's USB vendor ID (default " +
           vendorId +
           ")\n"
           "  --help                   show this text\n"
           "  --version                show the program's version\n"
           "\n" +
           console +
           "Message boxes print on standard output as \"[caption] text\"; status-bar texts print on\n"
           "standard error. Exit status: 0 success, 1 failure, 2 wrong usage.\n"
           "\n" +
           SimulatedAdapterSettingsHelp();
}
