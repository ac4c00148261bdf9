// Install and Uninstall: one pass over the setup script's lines, each entry handed to the handler of its
// section, stopping at the first failure and ending with one message box.
#include "app/setup_dlg.h"
#include "platform/file_system.h"
#include "uvision/uvision_messages.h"

namespace {

enum class Section { kNone, kFile, kCdb, kTool };

constexpr char kNotInstalled[] = "Database is not installed !\n";
constexpr char kNotRemoved[] = "Database is not removed !\n";
constexpr char kToolsIniFailed[] = "Fail to modify \"TOOLS.INI\" !\n";
constexpr char kTooManyDrivers[] = "Keil C only accepts up to 40 drivers !";

}  // namespace

void CSetupDlg::OnInstall() {
    RunScriptPass(true);
}

void CSetupDlg::OnUninstall() {
    RunScriptPass(false);
}

void CSetupDlg::RunScriptPass(bool install) {
    const platform::CodePage& cp = m_codePage;
    SetStatusText("");
    Section section = Section::kNone;
    int result = 0;
    std::string message;  // the current line; after a failure, the text of the failure box

    for (std::size_t i = 0; i < m_scriptLines.size() && result == 0; ++i) {
        message = cp.Trim(m_scriptLines[i]);
        if (message.empty() || message.front() == ';') continue;
        if (message.front() == '[') {
            message = cp.Upper(message);
            if (message == "[FILE]") {
                section = Section::kFile;
            } else if (message == "[CDB]") {
                section = Section::kCdb;
            } else if (message == "[TOOL]") {
                section = Section::kTool;
            } else {
                result = -1;  // an unknown header is the failure's message
            }
            continue;
        }
        switch (section) {
            case Section::kNone:
                result = -1;  // an entry above the first header is the failure's message
                break;
            case Section::kFile: {
                const std::size_t equals = cp.Find(message, '=');
                if (equals == std::string::npos || equals == 0) continue;  // not an entry: skipped
                result = install ? InstallFileEntry(message) : RemoveFileEntry(message);
                if (result != 0) message = install ? kNotInstalled : kNotRemoved;
                break;
            }
            case Section::kCdb:
                result = install ? InstallCdbEntry(message) : RemoveCdbEntry(message);
                if (result != 0) message = install ? kNotInstalled : kNotRemoved;
                break;
            case Section::kTool: {
                const int registration = UpdateToolsIni(message, install ? 1 : 0);
                if (registration == 0 || registration == (install ? 3 : 1)) {
                    result = 0;
                } else if (install && registration == 1) {
                    result = 1;
                    message = kTooManyDrivers;
                } else {
                    result = -1;
                    message = kToolsIniFailed;
                }
                break;
            }
        }
    }

    if (result != 0) {
        ShowMessage(message, m_caption, platform::BoxStyle::kOkInformation);
    } else {
        ShowMessage(install ? kInstalledMessage : kUninstalledMessage, m_caption, platform::BoxStyle::kOk);
        CheckInstalledState();
    }
    m_files.ChangeDirectory(m_workDir);  // a folder step may have moved it; a failure here changes nothing
}
