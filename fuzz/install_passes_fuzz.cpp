// The install and uninstall passes over any setup script, loaded from the working directory and run against
// a fresh Keil tree chosen with Browse. Whatever the script says, nothing outside the sandbox may be
// changed, no half-made file may be left behind, and a pass ends in the working directory it started from.
// Input: byte 0 flags (bit 0 a µVision2 tree, bits 1-2 the code page, bits 3-4 the passes: install,
// uninstall, install then uninstall, install twice), then the script.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz_check.h"
#include "fuzz_dialog.h"
#include "platform/file_error.h"
#include "sandbox.h"
#include "support/change_log_file_system.h"
#include "support/machine.h"

namespace {

namespace fs = std::filesystem;

const char kToolsIni[] =
    "[UV2]\r\nORGANIZATION=\"Example Lab\"\r\nTOOL51=C51\r\n\r\n[C51]\r\nPATH=\"C:\\Keil\\C51\\\"\r\n"
    "BOOK0=HLP\\RELEASE.TXT(\"Release Notes\",GEN)\r\nTDRV0=BIN\\MON51.DLL (\"Monitor-51 Driver\")\r\n"
    "TDRV1=BIN\\DEMOICE.DLL (\"Demo ICE Driver\")\r\nRTOS0=RTXTNY.DLL (\"RTX Tiny\")\r\n\r\n[ARM]\r\n";

void MakeTrees(const Sandbox& sandbox, bool uv2, const std::string& script) {
    sandbox.Write(uv2 ? "keil/UV2/Uv2.exe" : "keil/UV3/Uv3.exe", "ide");
    sandbox.Write("keil/TOOLS.INI", kToolsIni);
    sandbox.Write("keil/C51/BIN/MON51.DLL", "monitor");
    sandbox.Write("keil/C51/INC/REG51.H", "registers");
    sandbox.MakeReadOnly("keil/C51/INC/REG51.H");

    sandbox.Write("dist/Setup.ini", script);
    for (const char* name : {"TrelvorOCD.dll", "Trelvor8051.h", "TrelvorICE.txt", "Trelvor_uv2.cdb",
                             "Trelvor_uv3.cdb", "Trelvor.dat"}) {
        sandbox.Write(std::string("dist/") + name, name);
    }
    sandbox.Write("dist/ReadOnly.txt", "read-only source");
    sandbox.MakeReadOnly("dist/ReadOnly.txt");
}

void RunPass(FuzzDialog& f, bool install) {
    try {
        if (install) {
            f.dlg.OnInstall();
        } else {
            f.dlg.OnUninstall();
        }
    } catch (const platform::FileException& e) {
        FuzzFailure("a file error on a healthy disk: " + platform::FileErrorText(e.error()));
    }
    FuzzCheck(fs::current_path() == fs::path(f.dlg.m_workDir), "a pass ended in another working directory");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t flags = data[0];
    Sandbox sandbox;
    MakeTrees(sandbox, (flags & 1) != 0, std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    fs::current_path(sandbox.in() / "dist");

    const auto machine = MakeMachineFileSystem();
    ChangeLogFileSystem files(*machine, sandbox.in());
    FuzzDialog f(files, CodePageNumber(flags >> 1));
    FuzzCheck(f.dlg.LoadSetupScript() == 0, "the script in the working directory was not loaded");
    f.view.browseAnswers.push_back({platform::BrowseResult::Kind::kPath, (sandbox.in() / "keil").string()});
    f.dlg.OnBrowse();

    switch ((flags >> 3) & 3) {
        case 0:
            RunPass(f, true);
            break;
        case 1:
            RunPass(f, false);
            break;
        case 2:
            RunPass(f, true);
            RunPass(f, false);
            break;
        default:
            RunPass(f, true);
            RunPass(f, true);
            break;
    }

    sandbox.CheckAllWithin(files.changed);
    for (const auto& [name, bytes] : sandbox.Listing()) {
        const std::string file = fs::path(name).filename().string();
        FuzzCheck(file.rfind(".setup-copy-", 0) != 0, "an unfinished copy left behind: " + name);
        FuzzCheck(name != "keil/Tools.ini.new", "an unfinished TOOLS.INI left behind");
    }
    return 0;
}
