// The [TOOL] entries: register the debugger driver as a numbered line of its TOOLS.INI section on install,
// remove that line on uninstall. The file is locked against other installers from the reading to the end of
// the rewrite, and the rewrite goes to a new file beside it that replaces the old one only when complete, so
// a failure never leaves a damaged or lost TOOLS.INI.
#include "app/setup_dlg.h"
#include "platform/file_error.h"
#include "platform/file_system.h"
#include "platform/system_error.h"
#include "uvision/driver_scan.h"
#include "uvision/entry_reader.h"
#include "uvision/tools_ini_text.h"

namespace {

constexpr char kQuote = '"';
constexpr std::size_t kWriteChunk = 64 * 1024;

// SECTION = "PREFIX", tagFlag, reserved, "value"
bool FetchToolEntry(const CSetupDlg& dlg, const std::string& line, const platform::CodePage& cp,
                    ToolEntry& entry) {
    EntryReader reader(dlg, line);
    if (!(reader.Key(entry.section) && reader.Text(1, kQuote, entry.keyPrefix) &&
          reader.Number(2, entry.tagFlag) && reader.Number(3, entry.reserved) &&
          reader.Text(4, kQuote, entry.value))) {
        return false;
    }
    entry.section = cp.Upper(entry.section);
    entry.keyPrefix = cp.Upper(entry.keyPrefix);
    return true;
}

// The whole file, read to its end.
bool ReadWholeFile(platform::RawFile& file, std::string& bytes) {
    std::uint64_t length = 0;
    if (!file.Length(length)) length = 0;
    bytes.resize(static_cast<std::size_t>(length) + 1);
    std::size_t size = 0;
    for (;;) {
        if (size == bytes.size()) bytes.resize(bytes.size() * 2);
        std::size_t got = 0;
        if (!file.Read(bytes.data() + size, bytes.size() - size, got)) return false;
        if (got == 0) break;
        size += got;
    }
    bytes.resize(size);
    return true;
}

}  // namespace

int CSetupDlg::UpdateToolsIni(const std::string& line, int install) {
    const std::string root = KeilRoot();
    if (root.empty()) return -1;
    const std::string iniName = root + "\\Tools.ini";
    ToolEntry entry;
    if (!FetchToolEntry(*this, line, m_codePage, entry)) return -1;
    const int uvVersion = UvVersionForRoot();
    if (uvVersion == 0) return -1;  // the root no longer holds a µVision

    const auto showOpenFailure = [&](platform::FileError error) {
        error.fileName = iniName;
        ShowMessage(platform::FileErrorText(error), m_caption, platform::BoxStyle::kOkWarning);
        return -1;
    };
    platform::FileError error;
    const auto lock = m_files.Open(iniName, platform::OpenMode::kEditDenyWrite, error);
    if (!lock) return showOpenFailure(error);
    std::string bytes;
    if (!ReadWholeFile(*lock, bytes))
        return showOpenFailure(platform::MakeFileError(platform::LastSystemError(), ""));
    ToolsIniText text = SplitToolsIni(bytes);  // views into bytes
    std::string newLine;

    const DriverScan scan =
        ScanDriverSection(text.lines, entry, EntryIdentity(entry, uvVersion, m_codePage), m_codePage);
    switch (scan.outcome) {
        case DriverScan::Outcome::kNoSection:
            return -1;
        case DriverScan::Outcome::kTableFull:
            return 1;
        case DriverScan::Outcome::kFound:
            if (install == 1) return 3;
            text.lines.erase(text.lines.begin() + static_cast<std::ptrdiff_t>(scan.foundIndex));
            break;
        case DriverScan::Outcome::kNotRegistered:
            if (install != 1) return 0;
            newLine = NewDriverLine(entry, scan.newNumber, uvVersion);
            text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(scan.insertIndex), newLine);
            break;
    }
    const int result = ReplaceToolsIni(iniName, text.lines, text.tail);
    lock->Close();
    return result;
}

// A failure to create the new file is a result (-1, after the open-failure box); a failure to write, flush
// or close it is a disk-full error raised with TOOLS.INI's name, and a failure to put it in place is raised
// with the system's cause and no name. The old file stays as it was in every case.
int CSetupDlg::ReplaceToolsIni(const std::string& iniName, const std::vector<std::string_view>& lines,
                               std::string_view tail) {
    const std::string newName = iniName + ".new";
    platform::FileError error;
    auto file = m_files.Open(newName, platform::OpenMode::kCreateReadWriteExclusive, error);
    if (!file) {
        error.fileName = iniName;
        ShowMessage(platform::FileErrorText(error), m_caption, platform::BoxStyle::kOkWarning);
        return -1;
    }
    const auto discardAndRaise = [&](platform::FileError raised) {
        file.reset();
        m_files.RemoveFile(newName);
        throw platform::FileException(std::move(raised));
    };
    const auto diskFull = [&] {
        return platform::FileError{platform::FileErrorCause::kDiskFull, platform::LastSystemError(), iniName};
    };

    ToolsIniEncoder encoder(lines, tail);
    for (std::string_view chunk; !(chunk = encoder.Next(kWriteChunk)).empty();) {
        if (!file->Write(chunk.data(), chunk.size())) discardAndRaise(diskFull());
    }
    if (!file->Flush()) discardAndRaise(diskFull());
    if (!file->Close()) discardAndRaise(diskFull());
    file.reset();
    if (!m_files.ReplaceFile(newName, iniName)) {
        discardAndRaise(platform::MakeFileError(platform::LastSystemError(), ""));
    }
    return 0;
}
