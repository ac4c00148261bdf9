// UpdateToolsIni over any TOOLS.INI and any tool entry, in a fresh Keil root: the results, a file that stays
// byte-identical unless the call succeeded, a rewrite that changes exactly one line and keeps the rest, and
// nothing written but TOOLS.INI. Input: byte 0 flags (bit 0 install, bit 1 a µVision2 tree, bits 2-3 the code
// page, bit 4 also install again and uninstall after an install that added the line), the entry line up to
// the first LF, then TOOLS.INI.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "fuzz_dialog.h"
#include "platform/file_error.h"
#include "sandbox.h"
#include "support/change_log_file_system.h"
#include "support/machine.h"
#include "uvision/entry_number.h"
#include "uvision/tools_ini_text.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string_view> NonEmpty(const std::vector<std::string_view>& lines) {
    std::vector<std::string_view> kept;
    for (const auto line : lines)
        if (!line.empty()) kept.push_back(line);
    return kept;
}

// Whether shorter is longer with one line taken out.
bool OneLineApart(const std::vector<std::string_view>& shorter, const std::vector<std::string_view>& longer) {
    if (longer.size() != shorter.size() + 1) return false;
    std::size_t i = 0;
    while (i < shorter.size() && shorter[i] == longer[i]) ++i;
    for (; i < shorter.size(); ++i)
        if (shorter[i] != longer[i + 1]) return false;
    return true;
}

int Update(FuzzDialog& f, const std::string& line, int install) {
    try {
        return f.dlg.UpdateToolsIni(line, install);
    } catch (const platform::FileException& e) {
        FuzzFailure("a file error on a healthy disk: " + platform::FileErrorText(e.error()));
    }
}

void CheckOutcome(const std::string& before, const std::string& after, int result, int install) {
    const bool known = result == -1 || result == 0 || result == 1 || (install == 1 && result == 3);
    FuzzCheck(known, "result " + std::to_string(result));
    if (result != 0) {
        FuzzCheck(after == before, "TOOLS.INI changed by a call that did not succeed");
        return;
    }
    if (install == 0 && after == before) return;  // nothing to remove
    const ToolsIniText old = SplitToolsIni(before);
    const ToolsIniText now = SplitToolsIni(after);
    FuzzCheck(JoinToolsIni(now.lines, now.tail) == after, "a rewrite that is not every line ended by CR LF");
    FuzzCheck(now.tail == old.tail, "a rewrite lost the text after the end mark");
    const bool oneLine = install == 1 ? OneLineApart(NonEmpty(old.lines), NonEmpty(now.lines))
                                      : OneLineApart(NonEmpty(now.lines), NonEmpty(old.lines));
    FuzzCheck(oneLine, "a rewrite that changed more than the one driver line");
}

// Whether the line an install adds is sure to be recognised again: its driver identity is not empty, and its
// key can hold neither the "=" nor the "(" that bound the identity, nor begin a section header.
bool AddedLineIsRecognisable(const CSetupDlg& dlg, const platform::CodePage& cp, const std::string& line) {
    std::string prefix;
    std::string flag;
    std::string value;
    if (dlg.GetEntryField(line, prefix, 0, 1, '"') != 0 || dlg.GetEntryField(line, flag, 0, 2, 0) != 0 ||
        dlg.GetEntryField(line, value, 0, 4, '"') != 0) {
        return false;
    }
    const bool tagged = EntryNumber(flag) == 1;
    const std::size_t paren = cp.Find(value, '(');
    const std::string identity = cp.TrimRight(paren == std::string::npos ? value : value.substr(0, paren));
    return (tagged || !identity.empty()) && cp.Find(prefix, '=') == std::string::npos &&
           cp.Find(prefix, '(') == std::string::npos && (prefix.empty() || prefix.front() != '[');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t flags = data[0];
    const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t lf = rest.find('\n');
    if (lf == std::string::npos) return 0;
    // As the script reader delivers a line: the text ends at a 0x1A.
    const std::string entry = rest.substr(0, std::min(lf, rest.find('\x1A')));
    const std::string original = rest.substr(lf + 1);
    const int install = flags & 1;

    Sandbox sandbox;
    sandbox.Write((flags & 2) != 0 ? "keil/UV2/Uv2.exe" : "keil/UV3/Uv3.exe", "");
    sandbox.Write("keil/TOOLS.INI", original);
    const auto machine = MakeMachineFileSystem();
    ChangeLogFileSystem files(*machine, sandbox.in());
    FuzzDialog f(files, CodePageNumber(flags >> 2));
    f.ChooseRoot((sandbox.in() / "keil").string());
    const std::string line = f.codePage.Trim(entry);  // as the pass hands it over

    const int result = Update(f, line, install);
    const std::string after = sandbox.Read("keil/TOOLS.INI");
    CheckOutcome(original, after, result, install);
    FuzzCheck(f.view.boxes.empty(), "a box about a TOOLS.INI that can be read and written");

    if ((flags & 16) != 0 && install == 1 && result == 0 &&
        AddedLineIsRecognisable(f.dlg, f.codePage, line)) {
        FuzzCheck(Update(f, line, 1) == 3, "a driver just added is not found by the next install");
        FuzzCheck(sandbox.Read("keil/TOOLS.INI") == after,
                  "TOOLS.INI changed by an install that found its line");
        FuzzCheck(Update(f, line, 0) == 0, "a driver just added cannot be removed");
        const ToolsIniText old = SplitToolsIni(original);
        FuzzCheck(sandbox.Read("keil/TOOLS.INI") == JoinToolsIni(old.lines, old.tail),
                  "install and uninstall do not give back the original lines");
    }

    for (const auto& entryInRoot : fs::directory_iterator(sandbox.in() / "keil")) {
        const std::string name = entryInRoot.path().filename().string();
        FuzzCheck(name == "TOOLS.INI" || name == "UV2" || name == "UV3",
                  "a file left in the Keil root: " + name);
    }
    const fs::path toolsIni = LexicalTarget((sandbox.in() / "keil").string() + "\\Tools.ini");
    for (const fs::path& changed : files.changed) {
        FuzzCheck(changed == toolsIni || changed == fs::path(toolsIni.string() + ".new"),
                  "a change to another file: " + changed.string());
    }
    return 0;
}
