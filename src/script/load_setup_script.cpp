// Reads the setup script "<program name>.ini" of the working directory into m_scriptLines, line by line
// and unparsed; everything that uses the script later reads it from there.
#include "app/setup_dlg.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "platform/text_reader.h"

int CSetupDlg::LoadSetupScript() {
    m_scriptLines.clear();

    std::string workDir;
    if (!m_files.CurrentDirectory(workDir)) {
        ReportSystemError();
        return -1;
    }
    m_workDir = workDir;

    // The separator is always inserted: at a drive root the name holds two in a row, which is accepted.
    const std::string scriptName = m_workDir + "\\" + m_programName + ".ini";
    platform::FileError error;
    auto file = m_files.Open(scriptName, platform::OpenMode::kReadDenyWrite, error);
    if (!file) {
        error.fileName = scriptName;
        ShowMessage(platform::FileErrorText(error), m_caption, platform::BoxStyle::kOk);
        return -1;
    }
    // A script that breaks off in a read error is not the script: acting on its first half would install
    // part of the database and call it a success.
    if (!platform::ReadAllLinesOrFail(*file, m_scriptLines)) {
        m_scriptLines.clear();
        ShowMessage(platform::FileErrorText(platform::MakeFileError(platform::LastSystemError(), scriptName)),
                    m_caption, platform::BoxStyle::kOk);
        return -1;
    }
    file->Close();
    return 0;
}
