// The [FILE] and [CDB] entries: copy each named file from the working directory into the Keil tree on
// install, delete it again on uninstall. Paths are joined as plain text; the script's fields carry their own
// backslashes.
#include "app/setup_dlg.h"
#include "platform/file_error.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "uvision/entry_reader.h"
#include "uvision/keil_tree_path.h"

namespace {

constexpr char kQuote = '"';

// FILE: source (key) = inUvFolder, makeDir, reserved, "target"
struct FileEntry {
    std::string source;
    int inUvFolder = 0;
    int makeDir = 0;
    int reserved = 0;
    std::string target;
};

// CDB: generation (key) = "source", inUvFolder, makeDir, reserved, "target"
struct CdbEntry {
    std::string generation;
    std::string source;
    int inUvFolder = 0;
    int makeDir = 0;
    int reserved = 0;
    std::string target;
};

bool FetchFileEntry(const CSetupDlg& dlg, const std::string& line, FileEntry& entry) {
    EntryReader reader(dlg, line);
    return reader.Key(entry.source) && reader.Number(1, entry.inUvFolder) &&
           reader.Number(2, entry.makeDir) && reader.Number(3, entry.reserved) &&
           reader.Text(4, kQuote, entry.target);
}

bool FetchCdbEntry(const CSetupDlg& dlg, const std::string& line, const platform::CodePage& cp,
                   CdbEntry& entry) {
    EntryReader reader(dlg, line);
    if (!(reader.Key(entry.generation) && reader.Text(1, kQuote, entry.source) &&
          reader.Number(2, entry.inUvFolder) && reader.Number(3, entry.makeDir) &&
          reader.Number(4, entry.reserved) && reader.Text(5, kQuote, entry.target))) {
        return false;
    }
    entry.generation = cp.Upper(entry.generation);
    return true;
}

// A [CDB] entry acts only under the generation it names.
bool AppliesTo(const CdbEntry& entry, int uvVersion) {
    return (entry.generation == "UV2" && uvVersion == 1) || (entry.generation == "UV3" && uvVersion == 2);
}

// What follows the Keil root in a destination: the generation folder piece, when asked for, and the target.
std::string FileBelowRoot(const FileEntry& entry, int uvVersion) {
    if (entry.inUvFolder != 1) return entry.target;
    return (uvVersion == 1 ? "\\uV2" : "\\uV3") + entry.target;
}

std::string CdbPiece(const CdbEntry& entry, int uvVersion) {
    if (entry.inUvFolder != 1) return {};
    return uvVersion == 1 ? "\\uV2\\" : "\\uV3\\";
}

}  // namespace

int CSetupDlg::InstallFileEntry(const std::string& line) {
    const std::string root = KeilRoot();
    if (root.empty()) return -1;
    const int uvVersion = UvVersionForRoot();
    if (uvVersion == 0) return -1;  // the root no longer holds a µVision
    FileEntry entry;
    if (!FetchFileEntry(*this, line, entry)) return -1;
    const std::string belowRoot = FileBelowRoot(entry, uvVersion);
    if (!StaysInKeilTree(root, belowRoot)) return -1;  // a target that climbs out is a malformed entry
    const std::string destination = root + belowRoot;
    if (EnsureTargetDir(destination, entry.makeDir) != 0) return -1;
    return CopyIntoKeilTree(m_workDir + "\\" + entry.source, destination);
}

int CSetupDlg::InstallCdbEntry(const std::string& line) {
    const std::string root = KeilRoot();
    if (root.empty()) return -1;
    const int uvVersion = UvVersionForRoot();
    if (uvVersion == 0) return -1;
    CdbEntry entry;
    if (!FetchCdbEntry(*this, line, m_codePage, entry)) return -1;
    if (!AppliesTo(entry, uvVersion)) return 0;
    const std::string piece = CdbPiece(entry, uvVersion);
    if (!StaysInKeilTree(root, piece + entry.target)) return -1;
    const std::string prefix = root + piece;
    // The folder ensured is the prefix's: the generation folder, or with a target directly below the root,
    // the folder above the root.
    if (EnsureTargetDir(prefix, entry.makeDir) != 0) return -1;
    return CopyIntoKeilTree(m_workDir + "\\" + entry.source, prefix + entry.target);
}

int CSetupDlg::RemoveFileEntry(const std::string& line) {
    const std::string root = KeilRoot();
    if (root.empty()) return -1;
    const int uvVersion = UvVersionForRoot();
    if (uvVersion == 0) return -1;
    FileEntry entry;
    if (!FetchFileEntry(*this, line, entry)) return -1;
    const std::string belowRoot = FileBelowRoot(entry, uvVersion);
    if (!StaysInKeilTree(root, belowRoot)) return -1;
    return DeleteFromKeilTree(root + belowRoot);
}

int CSetupDlg::RemoveCdbEntry(const std::string& line) {
    const std::string root = KeilRoot();
    if (root.empty()) return -1;
    const int uvVersion = UvVersionForRoot();
    if (uvVersion == 0) return -1;
    CdbEntry entry;
    if (!FetchCdbEntry(*this, line, m_codePage, entry)) return -1;
    if (!AppliesTo(entry, uvVersion)) return 0;
    const std::string belowRoot = CdbPiece(entry, uvVersion) + entry.target;
    if (!StaysInKeilTree(root, belowRoot)) return -1;
    return DeleteFromKeilTree(root + belowRoot);
}

// Makes sure the folder that path ends in (one level only) exists. When it already exists it becomes the
// current directory, which the pass undoes at its end.
int CSetupDlg::EnsureTargetDir(const std::string& path, int makeDir) {
    if (makeDir != 1) return 0;
    // Windows takes a slash for a separator too; roots given on POSIX are written with slashes.
    std::size_t last = m_codePage.FindLast(path, '\\');
    const std::size_t lastSlash = m_codePage.FindLast(path, '/');
    if (last == std::string::npos || (lastSlash != std::string::npos && lastSlash > last)) last = lastSlash;
    if (last == std::string::npos || last == 0) return -1;
    const std::string parent = path.substr(0, last);
    if (m_files.ChangeDirectory(parent)) return 0;
    return m_files.MakeDirectory(parent) ? 0 : -1;
}

// A copy replaces a read-only destination, and the copy itself is never left read-only.
int CSetupDlg::CopyIntoKeilTree(const std::string& source, const std::string& destination) {
    if (m_files.Exists(destination)) {
        const std::uint32_t attributes = m_files.GetAttributes(destination);
        if (attributes != platform::kInvalidAttributes && (attributes & platform::kAttrReadOnly) != 0)
            m_files.SetAttributes(destination, attributes & ~platform::kAttrReadOnly);
    }
    if (!m_files.CopyFileTo(source, destination, false)) {
        ReportSystemError();
        return -1;
    }
    const std::uint32_t attributes = m_files.GetAttributes(destination);
    if (attributes != platform::kInvalidAttributes && (attributes & platform::kAttrReadOnly) != 0)
        m_files.SetAttributes(destination, attributes & ~platform::kAttrReadOnly);
    return 0;
}

// An absent file is nothing to remove; a read-only one is not forced. Only a search that found no such file
// (or folder) shows it absent: one that failed otherwise (no access, a device error) leaves the delete to be
// tried, so that a file still there is never reported removed.
int CSetupDlg::DeleteFromKeilTree(const std::string& destination) {
    if (!m_files.Exists(destination)) {
        const platform::FileErrorCause cause = platform::CauseOfSystemError(platform::LastSystemError());
        if (cause == platform::FileErrorCause::kFileNotFound || cause == platform::FileErrorCause::kBadPath)
            return 0;
    }
    if (!m_files.RemoveFile(destination)) {
        ReportSystemError();
        return -1;
    }
    return 0;
}
