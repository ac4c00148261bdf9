// The commands of the µVision integration: status, install and uninstall. Each loads the setup script as the
// start-up does (without the adapter check), takes the Keil root from --keil-root through Browse, and reads
// its outcome from the message boxes the dialog showed.
#include <algorithm>
#include <filesystem>

#include "app/command_runner.h"
#include "uvision/uvision_messages.h"

namespace {

bool LoadScript(CommandSession& session) {
    session.view.KillTimer(kStartupTimer);  // its work is done here, without the adapter check
    if (session.dlg.LoadSetupScript() != 0) return false;
    session.dlg.m_uvVersion = 0;
    return true;
}

bool BoxShownSince(const ConsoleView& view, std::size_t first, const char* text) {
    const auto& boxes = view.Boxes();
    return std::any_of(boxes.begin() + static_cast<std::ptrdiff_t>(std::min(first, boxes.size())),
                       boxes.end(), [text](const ConsoleView::ShownBox& box) { return box.text == text; });
}

int RunPass(CommandSession& session, bool install) {
    if (!LoadScript(session) || !BrowseKeilRootOption(session)) return kExitFailure;
    const std::size_t first = session.view.Boxes().size();
    if (install) {
        session.dlg.OnInstall();
    } else {
        session.dlg.OnUninstall();
    }
    return BoxShownSince(session.view, first, install ? kInstalledMessage : kUninstalledMessage)
               ? kExitSuccess
               : kExitFailure;
}

}  // namespace

// The folder browser hands out full paths; a relative --keil-root is taken from the working directory (the
// folder of -C), so that the folder changes of a pass cannot move it.
std::string KeilRootFullPath(const std::string& folder) {
    const std::filesystem::path given(folder);
    if (given.is_absolute()) return folder;
    std::error_code error;
    std::filesystem::path full = std::filesystem::absolute(given, error).lexically_normal();
    if (error) return folder;
    if (!full.has_filename() && full != full.root_path()) full = full.parent_path();  // no trailing separator
    return full.string();
}

bool BrowseKeilRootOption(CommandSession& session) {
    session.view.SetBrowseAnswer(KeilRootFullPath(*session.options.keilRoot));
    session.dlg.OnBrowse();
    return !session.dlg.KeilRoot().empty();
}

int RunStatus(CommandSession& session) {
    if (!LoadScript(session)) return kExitFailure;
    const std::size_t first = session.view.Boxes().size();
    if (!BrowseKeilRootOption(session) || BoxShownSince(session.view, first, kParsingErrorMessage))
        return kExitFailure;
    std::fprintf(session.out, "uvision: %d\n", session.dlg.m_uvVersion == 1 ? 2 : 3);
    std::fprintf(session.out, "database: %s\n",
                 session.view.IsControlEnabled(platform::kIdUninstall) ? "installed" : "not installed");
    return kExitSuccess;
}

int RunInstall(CommandSession& session) {
    return RunPass(session, true);
}

int RunUninstall(CommandSession& session) {
    return RunPass(session, false);
}
