// The status, install and uninstall commands, run in-process over temporary copies of the example Keil trees
// with the example distribution as working directory.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/clock.h"
#include "support/captured_run.h"
#include "support/faulty_file_system.h"
#include "support/machine.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kExamples = std::string(INSTALLER_SOURCE_DIR) + "/examples";
const std::string kDistribution = kExamples + "/distribution";
const std::string kInstalledOut = "[Database Installer] Database is installed successfully !\n";
const std::string kUninstalledOut = "[Database Installer] Database is un-installed successfully !\n";
const std::string kDriverLine = "TDRV3=BIN\\TRELVOROCD.DLL (\"Trelvor 8051 ICE Driver\")\r\n";

std::string WithoutEmptyLines(std::string text) {
    for (std::size_t at; (at = text.find("\r\n\r\n")) != std::string::npos;) text.erase(at, 2);
    return text;
}

class UvisionCommands : public ::testing::Test {
  protected:
    void UseTree(const std::string& example) {
        fs::copy(kExamples + "/" + example, scratch / "keil", fs::copy_options::recursive);
        root = (scratch / "keil").string();
        original = scratch.Read("keil/TOOLS.INI");
    }
    CapturedRun Run(const std::string& command, const std::string& keilRoot) {
        return RunCaptured({"-C", kDistribution, "--keil-root", keilRoot, command}, program);
    }
    CapturedRun Run(const std::string& command) { return Run(command, root); }

    WorkingDirectoryGuard guard;
    TempDir scratch;
    std::string root;
    std::string original;
    std::unique_ptr<platform::FileSystem> machine = MakeMachineFileSystem();
    platform::VirtualClock clock;
    ProgramPlatform program{*machine, clock, "setup"};
};

TEST_F(UvisionCommands, InstallAndUninstallTheExampleInAUv3Tree) {
    UseTree("keil-uv3");
    CapturedRun run = Run("status");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, "uvision: 3\ndatabase: not installed\n");

    run = Run("install");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, kInstalledOut);
    EXPECT_EQ(fs::file_size(scratch / "keil/C51/BIN/TRELVOROCD.DLL"),
              fs::file_size(kDistribution + "/TrelvorOCD.dll"));
    EXPECT_TRUE(scratch.Exists("keil/C51/INC/TRELVOR/TRELVOR8051.H"));
    EXPECT_TRUE(scratch.Exists("keil/C51/HLP/TRELVORICE.TXT"));
    EXPECT_NE(scratch.Read("keil/UV3/TRELVOR.CDB").find("T8051B"),
              std::string::npos);  // the uVision3 database
    std::string registered = WithoutEmptyLines(original);
    registered.insert(registered.find("RTOS0="), kDriverLine);
    EXPECT_EQ(scratch.Read("keil/TOOLS.INI"), registered);

    run = Run("status");
    EXPECT_EQ(run.out, "uvision: 3\ndatabase: installed\n");
    run = Run("install");  // a reinstall registers nothing twice
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(scratch.Read("keil/TOOLS.INI"), registered);

    run = Run("uninstall");
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.out, kUninstalledOut);
    EXPECT_EQ(scratch.Read("keil/TOOLS.INI"), WithoutEmptyLines(original));
    EXPECT_FALSE(scratch.Exists("keil/C51/BIN/TRELVOROCD.DLL"));
    EXPECT_FALSE(scratch.Exists("keil/C51/INC/TRELVOR/TRELVOR8051.H"));
    EXPECT_FALSE(scratch.Exists("keil/UV3/TRELVOR.CDB"));
    EXPECT_TRUE(scratch.Exists("keil/C51/INC/TRELVOR"));  // folders stay
    EXPECT_EQ(Run("status").out, "uvision: 3\ndatabase: not installed\n");
    EXPECT_TRUE(fs::equivalent(fs::current_path(), fs::path(kDistribution))) << fs::current_path();
}

TEST_F(UvisionCommands, Uv2TreeTakesTheUv2Database) {
    UseTree("keil-uv2");
    EXPECT_EQ(Run("status").out, "uvision: 2\ndatabase: not installed\n");
    const CapturedRun run = Run("install");
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_EQ(scratch.Read("keil/UV2/TRELVOR.CDB").find("T8051B"), std::string::npos);
    EXPECT_NE(scratch.Read("keil/UV2/TRELVOR.CDB").find("T8051A"), std::string::npos);
    EXPECT_FALSE(scratch.Exists("keil/UV3"));
    EXPECT_NE(scratch.Read("keil/TOOLS.INI").find("\r\nTDRV2=BIN\\TRELVOROCD.DLL"), std::string::npos);
}

// A relative root is taken from the folder of -C, and the no-command start-up browses after loading.
TEST_F(UvisionCommands, RelativeRootAndStartUpBrowse) {
    UseTree("keil-uv3");
    // The distribution beside the tree, so that a relative path can lead from one to the other on any system.
    fs::copy(kDistribution, scratch / "dist", fs::copy_options::recursive);
    CapturedRun run =
        RunCaptured({"-C", (scratch / "dist").string(), "--keil-root", "../keil", "install"}, program);
    EXPECT_EQ(run.status, 0) << run.out;
    EXPECT_TRUE(scratch.Exists("keil/C51/BIN/TRELVOROCD.DLL"));

    run = RunCaptured({"-C", kDistribution, "--keil-root", root}, program);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    run = RunCaptured({"-C", kDistribution, "--keil-root", (scratch / "none").string()}, program);
    EXPECT_EQ(run.status, 0);  // the script was loaded
    EXPECT_EQ(run.out, "[Database Installer] Keil C is not found !\n");
}

TEST_F(UvisionCommands, RefusedRootsAndMissingScripts) {
    UseTree("keil-uv3");
    const std::string longRoot = root + "/" + std::string(300, 'k');
    for (const char* command : {"status", "install", "uninstall"}) {
        CapturedRun run = Run(command, (scratch / "nothing").string());
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.out, "[Database Installer] Keil C is not found !\n") << command;

        run = Run(command, longRoot);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.out, "[Database Installer] Fail to get directory !\n") << command;

        run = RunCaptured({"-C", root, "--keil-root", root, command}, program);  // no setup.ini there
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_EQ(run.out, "[Database Installer] 沒有找到 " + root + "\\setup.ini .\n") << command;

        run = RunCaptured({"-C", kDistribution, command}, program);
        EXPECT_EQ(run.status, 2) << command;
        EXPECT_NE(run.err.find("needs the Keil root: --keil-root DIR (try 'setup --help')"),
                  std::string::npos);
        EXPECT_EQ(run.out, "");
    }
    EXPECT_EQ(scratch.Read("keil/TOOLS.INI"), original);
}

TEST_F(UvisionCommands, StatusWithAScriptWithoutDriverEntry) {
    UseTree("keil-uv3");
    scratch.Write("work/setup.ini", "[FILE]\r\nOTHER.DLL=0,0,0,\"\\C51\\BIN\\OTHER.DLL\"\r\n");
    CapturedRun run =
        RunCaptured({"-C", (scratch / "work").string(), "--keil-root", root, "status"}, program);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "[Database Installer] Parsing ini file error !\n");
    // Install still runs (the button stays enabled) and succeeds; its state check reports the error again.
    run = RunCaptured({"-C", (scratch / "work").string(), "--keil-root", root, "install"}, program);
    EXPECT_EQ(run.status, 1);  // OTHER.DLL is not in the folder
    EXPECT_EQ(run.out, "[Database Installer] Parsing ini file error !\n[Database Installer] " +
                           platform::SystemErrorText(MachineErrors().fileNotFound) +
                           "\n[Database Installer] Database is not installed !\n\n");
}

TEST_F(UvisionCommands, ReadOnlyToolsIni) {
    UseTree("keil-uv3");
    scratch.MakeReadOnly("keil/TOOLS.INI");
    const CapturedRun run = Run("install");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "[Database Installer] 存取 " + root +
                           "\\Tools.ini 遭受拒絕.\n"
                           "[Database Installer] Fail to modify \"TOOLS.INI\" !\n\n");
    EXPECT_EQ(scratch.Read("keil/TOOLS.INI"), original);
}

// A rewrite that cannot be completed is reported as the window framework reports a file error: a stop box
// captioned with the program's name, no message of the pass.
TEST_F(UvisionCommands, FailedRewriteIsReportedByTheDispatch) {
    UseTree("keil-uv3");
    Faults faults;
    faults.failWriteNumber = 1;
    FaultyFileSystem faulty(*machine, faults);
    ProgramPlatform failing{faulty, clock, "setup"};
    const CapturedRun run = RunCaptured({"-C", kDistribution, "--keil-root", root, "install"}, failing);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "[setup] 當存取 " + root + "\\Tools.ini 時磁碟空間已滿.\n");
    EXPECT_EQ(scratch.Read("keil/TOOLS.INI"), original);
    EXPECT_TRUE(scratch.Exists("keil/C51/BIN/TRELVOROCD.DLL"));  // entries before the [TOOL] one stay done
}

}  // namespace
