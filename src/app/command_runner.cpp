#include "app/command_runner.h"

#include <map>
#include <memory>

#include "adapter/adapter_state.h"
#include "adapter/simulated_adapter.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/file_error.h"
#include "platform/file_system.h"
#include "platform/printable_text.h"
#include "platform/system_error.h"

namespace {

using CommandFunction = int (*)(CommandSession&);

// The adapter globals belong to one run: they start empty, and the device they hold is closed at its end.
struct AdapterStateScope {
    AdapterStateScope() { ResetAdapterState(); }
    ~AdapterStateScope() { ResetAdapterState(); }
    AdapterStateScope(const AdapterStateScope&) = delete;
    AdapterStateScope& operator=(const AdapterStateScope&) = delete;
};

const std::map<std::string, CommandFunction>& Commands() {
    // clang-format off
    static const std::map<std::string, CommandFunction> commands = {
        {"", RunStartup},
        {"adapter", RunAdapter},
        {"status", RunStatus},
        {"install", RunInstall},
        {"uninstall", RunUninstall},
    };
    // clang-format on
    return commands;
}

}  // namespace

void RunTimers(CommandSession& session) {
    while (const auto next = session.view.NextTimer()) {
        const auto [id, due] = *next;
        const std::uint64_t now = session.clock.NowMs();
        if (due > now) session.clock.Sleep(static_cast<std::uint32_t>(due - now));
        session.dlg.OnTimer(id);
    }
}

int RunStartup(CommandSession& session) {
    RunTimers(session);
    if (session.options.keilRoot && session.dlg.ScriptLoaded()) BrowseKeilRootOption(session);
    return session.dlg.ScriptLoaded() ? kExitSuccess : kExitFailure;
}

int RunCommandLine(const std::vector<std::string>& args, ProgramPlatform& platform, std::FILE* out,
                   std::FILE* err) {
    const ParsedCommandLine parsed = ParseCommandLine(args);
    const std::string& name = platform.programName;
    if (!parsed.error.empty()) {
        std::fprintf(err, "%s: %s (try '%s --help')\n", name.c_str(), parsed.error.c_str(), name.c_str());
        return kExitUsage;
    }
    const CommandLine& options = parsed.options;
    if (options.help) {
        std::fputs(UsageText(name, platform.opensDialog).c_str(), out);
        return kExitSuccess;
    }
    if (options.version) {
        std::fputs("Version 2.21\n", out);
        return kExitSuccess;
    }
    const auto command = Commands().find(options.command);
    if (command == Commands().end()) {
        std::fprintf(err, "%s: command '%s' is not available in this build (try '%s --help')\n", name.c_str(),
                     options.command.c_str(), name.c_str());
        return kExitUsage;
    }
    if (options.directory && !platform.files.ChangeDirectory(*options.directory)) {
        // The system's text may end in a line break of its own (Windows' does); the hint is one line.
        std::string reason = platform::SystemErrorText(platform::LastSystemError());
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r')) reason.pop_back();
        std::fprintf(err, "%s: cannot change to folder '%s': %s\n", name.c_str(),
                     platform::PrintableText(*options.directory).c_str(),
                     platform::PrintableText(reason).c_str());
        return kExitUsage;
    }
    if (options.codePage) platform::SetSystemCodePage(*options.codePage);

    const std::uint16_t vendorId = options.adapterVendorId.value_or(kDefaultAdapterVendorId);
    std::unique_ptr<SimulatedAdapter> simulatedAdapter;
    if (options.simulateAdapter)
        simulatedAdapter = MakeSimulatedAdapter(*options.simulateAdapter, vendorId, platform.clock);
    platform::HidBus* hidBus = simulatedAdapter ? simulatedAdapter.get() : platform.hidBus;
    const AdapterStateScope adapterState;

    ConsoleView view(platform.clock, out, err);
    const DialogServices services{.view = view,
                                  .files = platform.files,
                                  .clock = platform.clock,
                                  .codePage = platform::SystemCodePage(),
                                  .programName = name,
                                  .hidBus = hidBus,
                                  .adapterVendorId = vendorId};
    CSetupDlg dlg(services);
    CommandSession session{options, view, dlg, platform.clock, err, out};
    try {
        dlg.OnInitDialog();
        return command->second(session);
    } catch (const platform::FileException& e) {
        // As the window framework's dispatch reports a file error that a handler raised.
        view.ShowMessage(platform::FileErrorText(e.error()), name, platform::BoxStyle::kOkError);
        return kExitFailure;
    }
}
