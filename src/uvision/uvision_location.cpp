// Where µVision is: the Keil root chosen with Browse, the generation its marker files show, and whether the
// database's driver is installed there (which sets the Install/Reinstall and Uninstall buttons).
#include "app/setup_dlg.h"
#include "platform/file_system.h"
#include "uvision/uvision_messages.h"

namespace {

// The folder browser's path buffer holds 255 characters; a longer path is refused rather than cut short.
constexpr std::size_t kBrowsePathLimit = 256;

constexpr char kDriverKey[] = "TRELVOROCD.DLL";

// The driver entry: after the first "[FILE]" line (in capitals only), the first entry whose key is the
// driver's, whatever section headers follow it.
bool FindDriverEntry(const std::vector<std::string>& lines, const platform::CodePage& cp,
                     std::string& entry) {
    std::size_t i = 0;
    while (i < lines.size() && cp.Trim(lines[i]) != "[FILE]") ++i;
    for (++i; i < lines.size(); ++i) {
        const std::string line = cp.Trim(lines[i]);
        if (line.empty() || line.front() == ';') continue;
        const std::size_t equals = cp.Find(line, '=');
        if (equals == std::string::npos || equals == 0) continue;
        if (cp.Upper(line.substr(0, equals)) == kDriverKey) {
            entry = line;
            return true;
        }
    }
    return false;
}

}  // namespace

void CSetupDlg::OnBrowse() {
    SetStatusText("");
    const platform::BrowseResult chosen = m_view.BrowseForFolder("Choose a folder where keil C is installed");
    if (chosen.kind == platform::BrowseResult::Kind::kCancelled) return;
    if (chosen.kind == platform::BrowseResult::Kind::kNoPath || chosen.path.size() >= kBrowsePathLimit) {
        ShowMessage("Fail to get directory !", m_caption, platform::BoxStyle::kOkError);
        SetControlText(platform::kIdKeilRoot, "");
        return;
    }
    if (chosen.path.empty()) {
        SetControlText(platform::kIdKeilRoot, "");
        return;
    }
    SetControlText(platform::kIdKeilRoot, chosen.path);
    EnableControl(platform::kIdInstall, true);
    if (DetectUvVersion() == 0) {
        SetControlText(platform::kIdKeilRoot, "");
        EnableControl(platform::kIdInstall, false);
        ShowMessage("Keil C is not found !", m_caption, platform::BoxStyle::kOkError);
        return;
    }
    CheckInstalledState();
}

// µVision2 is tested first: a root that holds both marker files counts as µVision2.
int CSetupDlg::DetectUvVersion() {
    const std::string root = KeilRoot();
    if (root.empty()) return 0;
    if (m_files.Exists(root + "\\Uv2\\Uv2.exe")) {
        m_uvVersion = 1;
        return 1;
    }
    if (m_files.Exists(root + "\\Uv3\\Uv3.exe")) {
        m_uvVersion = 2;
        return 1;
    }
    return 0;
}

int CSetupDlg::UvVersionForRoot() {
    if (m_uvVersion == 0 && !KeilRoot().empty()) DetectUvVersion();
    return m_uvVersion;
}

int CSetupDlg::CheckInstalledState() {
    std::string driverEntry;
    std::string driverPath;
    const std::string root = KeilRoot();
    if (!FindDriverEntry(m_scriptLines, m_codePage, driverEntry) ||
        GetEntryField(driverEntry, driverPath, 0, 4, '"') != 0 || root.empty()) {
        ShowMessage(kParsingErrorMessage, m_caption, platform::BoxStyle::kOkError);
        return -1;
    }

    const bool installed = m_files.Exists(root + driverPath);
    EnableControl(platform::kIdInstall, true);
    SetControlText(platform::kIdInstall, installed ? "&Reinstall" : "&Install");
    EnableControl(platform::kIdUninstall, installed);
    return installed ? 1 : 0;
}
