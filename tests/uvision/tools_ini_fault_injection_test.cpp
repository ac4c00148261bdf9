// UpdateToolsIni with each of its file-system calls failing in turn (the k-th call for every k up to the last
// one it makes), on install and uninstall, with two error codes: every failure leaves TOOLS.INI
// byte-identical and is reported as its step's failures are (a warning box and -1, or a raised file error),
// nothing is left behind, and the next registration goes through.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>

#include "platform/file_error.h"
#include "support/failing_call_file_system.h"
#include "support/uvision_fixture.h"

namespace {

namespace fs = std::filesystem;

const std::string kEntry = "C51=\"TDRV\",0,0,\"BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)\"";
const std::string kRegistration = "TDRV2=BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)";

// Large enough for the rewrite to take several writes.
std::string ToolsIni(bool registered) {
    std::vector<std::string> lines{"[UV2]",
                                   "TOOL51=C51",
                                   "",
                                   "[C51]",
                                   "TDRV0=BIN\\MON51.DLL (Monitor)",
                                   "TDRV1=BIN\\DEMOICE.DLL (Demo)"};
    if (registered) lines.push_back(kRegistration);
    lines.push_back("[BULK]");
    for (int i = 0; i < 12000; ++i)
        lines.push_back("KEY" + std::to_string(i) + "=some value of the bulk section");
    return Crlf(lines);
}

struct Outcome {
    int result = 0;
    std::optional<platform::FileError> raised;
    std::vector<RecordedBox> boxes;
    std::string toolsIni;
    std::vector<std::string> keilRoot;  // the names in the Keil root afterwards
    std::string failedCall;
    std::string iniPath;
    bool nextCallSucceeds = false;
};

Outcome Update(int failAt, bool install, platform::SystemErrorCode code) {
    UvisionFixture f(2);
    f.keil.Write("TOOLS.INI", ToolsIni(!install));
    FailingCallFileSystem files(*f.machine, failAt, code);
    CSetupDlg dlg(DialogServices{f.view, files, f.clock, f.codePage, "Setup"});
    dlg.m_caption = "Database Installer";
    dlg.m_uvVersion = 2;
    f.view.texts[platform::kIdKeilRoot] = f.keil.str();

    Outcome outcome;
    try {
        outcome.result = dlg.UpdateToolsIni(kEntry, install ? 1 : 0);
    } catch (const platform::FileException& e) {
        outcome.raised = e.error();
    }
    outcome.boxes = f.view.boxes;
    outcome.toolsIni = f.keil.Read("TOOLS.INI");
    for (const auto& entry : fs::directory_iterator(f.keil.path()))
        outcome.keilRoot.push_back(entry.path().filename().string());
    std::sort(outcome.keilRoot.begin(), outcome.keilRoot.end());
    outcome.failedCall = files.failed;
    outcome.iniPath = f.keil.str() + "\\Tools.ini";

    // The lock went with the failed call: a registration without faults goes through.
    f.keil.Write("TOOLS.INI", ToolsIni(!install));
    CSetupDlg healthy(DialogServices{f.view, f.files, f.clock, f.codePage, "Setup"});
    healthy.m_uvVersion = 2;
    outcome.nextCallSucceeds = healthy.UpdateToolsIni(kEntry, install ? 1 : 0) == 0;
    return outcome;
}

struct FaultCase {
    const char* name;
    bool install;
    platform::SystemErrorCode code;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.name;
}

class ToolsIniEveryStepFails : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ToolsIniEveryStepFails, OriginalKeptAndFailureReported) {
    const FaultCase& c = GetParam();
    const Outcome done = Update(0, c.install, c.code);
    ASSERT_EQ(done.result, 0);
    const std::string original = ToolsIni(!c.install);
    const std::string rewritten = done.toolsIni;
    ASSERT_NE(rewritten, original);
    const std::vector<std::string> rootNames{"C51", "TOOLS.INI", "UV3"};

    std::map<std::string, int> failedSteps;  // the kind of each call failed, and how often
    for (int k = 1;; ++k) {
        const Outcome o = Update(k, c.install, c.code);
        if (o.failedCall.empty()) break;  // the call made fewer calls than k
        SCOPED_TRACE("call " + std::to_string(k) + " failed: " + o.failedCall);
        const std::string kind = o.failedCall.substr(0, o.failedCall.find(' '));
        ++failedSteps[kind];
        EXPECT_EQ(o.keilRoot, rootNames) << "a file left behind, or TOOLS.INI lost";
        EXPECT_TRUE(o.nextCallSucceeds);

        if (o.toolsIni == rewritten && !o.raised && o.result == 0) {
            // A failure that the rewrite does not depend on: a length read only as a size hint, or the close
            // of the lock once the new file is in place.
            EXPECT_TRUE(kind == "Length" || kind == "Close") << kind;
            EXPECT_TRUE(o.boxes.empty());
            continue;
        }
        EXPECT_EQ(o.toolsIni, original) << "TOOLS.INI changed by a rewrite that failed";
        if (kind == "Open" || kind == "Read") {
            // Opening TOOLS.INI, reading it or creating the new file: the file-error box, then -1.
            ASSERT_FALSE(o.raised);
            EXPECT_EQ(o.result, -1);
            ASSERT_EQ(o.boxes.size(), 1u);
            EXPECT_EQ(o.boxes[0].text, platform::FileErrorText(platform::MakeFileError(c.code, o.iniPath)));
            EXPECT_EQ(o.boxes[0].style, platform::BoxStyle::kOkWarning);
        } else {
            // Writing, flushing or closing the new file, or putting it in place: raised, no box of its own.
            ASSERT_TRUE(o.raised) << kind;
            EXPECT_TRUE(o.boxes.empty());
            if (kind == "ReplaceFile") {
                EXPECT_EQ(o.raised->cause, platform::CauseOfSystemError(c.code));
                EXPECT_EQ(o.raised->fileName, "");
            } else {
                EXPECT_EQ(o.raised->cause, platform::FileErrorCause::kDiskFull);
                EXPECT_EQ(o.raised->fileName, o.iniPath);
            }
        }
    }
    // Every step was reached: the two opens, the reading, several writes, the flush, the close, the replace.
    EXPECT_EQ(failedSteps["Open"], 2);
    EXPECT_GE(failedSteps["Read"], 1);
    EXPECT_GE(failedSteps["Write"], 4);
    EXPECT_EQ(failedSteps["Flush"], 1);
    EXPECT_EQ(failedSteps["ReplaceFile"], 1);
}

const FaultCase kFaultCases[] = {
    {"InstallDiskFull", true, MachineErrors().diskFull},
    {"InstallAccessDenied", true, MachineErrors().accessDenied},
    {"UninstallDiskFull", false, MachineErrors().diskFull},
    {"UninstallHardwareError", false, MachineErrors().ioError},
};

INSTANTIATE_TEST_SUITE_P(Cases, ToolsIniEveryStepFails, ::testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
