// Whole install and uninstall passes with each of their file-system calls failing in turn: whatever step
// fails, every file of the Keil tree is either as it was or complete, TOOLS.INI is the old file or the whole
// new one, nothing half-made is left behind, and a pass reports success only when it did all its work.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/file_error.h"
#include "support/failing_call_file_system.h"
#include "support/uvision_fixture.h"

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kScript = {
    "[FILE]",
    "TrelvorOCD.dll=0,0,0,\"\\C51\\BIN\\TRELVOROCD.DLL\"",
    "Trelvor8051.h=0,1,0,\"\\C51\\INC\\TRELVOR\\TRELVOR8051.H\"",
    "[CDB]",
    "UV3=\"Trelvor_uv3.cdb\",1,0,0,\"TRELVOR.CDB\"",
    "[TOOL]",
    "C51=\"TDRV\",0,0,\"BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)\"",
};
// Where each source goes, and what it holds.
const std::pair<const char*, const char*> kFiles[] = {
    {"C51/BIN/TRELVOROCD.DLL", "driver"},
    {"C51/INC/TRELVOR/TRELVOR8051.H", "header"},
    {"UV3/TRELVOR.CDB", "database"},
};
const std::string kToolsIni = Crlf({"[UV2]", "TOOL51=C51", "[C51]", "TDRV0=BIN\\MON51.DLL (Monitor)"});
const std::string kToolsIniInstalled = Crlf({"[UV2]", "TOOL51=C51", "[C51]", "TDRV0=BIN\\MON51.DLL (Monitor)",
                                             "TDRV1=BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)"});

const std::string kCaption = "Database Installer";
const RecordedBox kInstalled{"Database is installed successfully !", kCaption, platform::BoxStyle::kOk};
const RecordedBox kUninstalled{"Database is un-installed successfully !", kCaption, platform::BoxStyle::kOk};

struct PassRun {
    std::vector<RecordedBox> boxes;
    bool raised = false;
    std::string failedCall;
};

struct PassFixture {
    // The tree before the pass: for an install the driver there already, read-only and old; for an uninstall
    // everything installed.
    void Prepare(bool install) {
        f.work.Write("TrelvorOCD.dll", "driver");
        f.work.Write("Trelvor8051.h", "header");
        f.work.Write("Trelvor_uv3.cdb", "database");
        if (install) {
            f.keil.Write("C51/BIN/TRELVOROCD.DLL", "old");
            f.keil.MakeReadOnly("C51/BIN/TRELVOROCD.DLL");
            f.keil.Write("TOOLS.INI", kToolsIni);
        } else {
            for (const auto& [path, bytes] : kFiles) f.keil.Write(path, bytes);
            f.keil.Write("TOOLS.INI", kToolsIniInstalled);
        }
    }

    PassRun Pass(bool install, int failAt, platform::SystemErrorCode code) {
        FailingCallFileSystem files(*f.machine, failAt, code);
        CSetupDlg dlg(DialogServices{f.view, files, f.clock, f.codePage, "Setup"});
        dlg.m_caption = kCaption;
        dlg.m_uvVersion = 2;
        dlg.m_workDir = f.work.str();
        dlg.m_scriptLines = kScript;
        f.view.texts[platform::kIdKeilRoot] = f.keil.str();
        PassRun run;
        try {
            if (install) {
                dlg.OnInstall();
            } else {
                dlg.OnUninstall();
            }
        } catch (const platform::FileException&) {
            run.raised = true;
        }
        run.boxes = f.view.boxes;
        run.failedCall = files.failed;
        return run;
    }

    // Nothing half-made anywhere in the Keil tree.
    void ExpectNothingLeftBehind() const {
        for (const auto& entry : fs::recursive_directory_iterator(f.keil.path())) {
            const std::string name = entry.path().filename().string();
            EXPECT_EQ(name.find(".setup-copy-"), std::string::npos) << entry.path();
            EXPECT_NE(name, "Tools.ini.new");
        }
    }

    UvisionFixture f{2};
};

using Code = platform::SystemErrorCode;
const Code kCodes[] = {MachineErrors().diskFull, MachineErrors().accessDenied, MachineErrors().ioError};

class PassFaultInjection : public ::testing::TestWithParam<bool> {};

TEST_P(PassFaultInjection, AllDoneOrReportedAsFailed) {
    const bool install = GetParam();
    for (const Code code : kCodes) {
        for (int k = 1;; ++k) {
            PassFixture t;
            t.Prepare(install);
            const PassRun run = t.Pass(install, k, code);
            if (run.failedCall.empty()) break;  // the pass made fewer calls than k
            SCOPED_TRACE("code " + std::to_string(code) + ", call " + std::to_string(k) +
                         " failed: " + run.failedCall);
            const std::string toolsIni = t.f.keil.Read("TOOLS.INI");
            EXPECT_TRUE(toolsIni == kToolsIni || toolsIni == kToolsIniInstalled) << toolsIni;
            for (const auto& [path, bytes] : kFiles) {
                if (!t.f.keil.Exists(path)) continue;
                const std::string now = t.f.keil.Read(path);
                EXPECT_TRUE(now == bytes || now == "old") << path << ": " << now;
            }
            t.ExpectNothingLeftBehind();

            const RecordedBox& success = install ? kInstalled : kUninstalled;
            if (!run.raised && !run.boxes.empty() && run.boxes.back() == success) {
                for (const auto& [path, bytes] : kFiles) {
                    EXPECT_EQ(t.f.keil.Exists(path) ? t.f.keil.Read(path) : "", install ? bytes : "") << path;
                }
                EXPECT_EQ(toolsIni, install ? kToolsIniInstalled : kToolsIni);
            } else if (!run.raised) {
                ASSERT_FALSE(run.boxes.empty());
                EXPECT_EQ(run.boxes.back().style, platform::BoxStyle::kOkInformation);
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Passes, PassFaultInjection, ::testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Install" : "Uninstall"); });

}  // namespace
