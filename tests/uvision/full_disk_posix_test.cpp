// Install on a disk that is full for real: the Keil root on a small tmpfs filled to all but a few pages,
// through the command line as a user runs it. A TOOLS.INI rewrite that does not fit and a copy that fails
// midway leave the old files byte-identical and nothing half-written behind, and are reported as specified;
// once room is made, the same install goes through. Where the machine allows no mount, the full disk is
// injected instead (the first write, or the copy, fails with the disk-full code).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/clock.h"
#include "platform/system_error.h"
#include "support/captured_run.h"
#include "support/faulty_file_system.h"
#include "support/machine.h"
#include "support/small_disk_posix.h"
#include "support/temp_dir.h"
#include "support/uvision_fixture.h"

namespace {

namespace fs = std::filesystem;

const std::string kTool = "C51=\"TDRV\",0,0,\"BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)\"";
const std::string kFile = "TrelvorOCD.dll=0,0,0,\"\\C51\\BIN\\TRELVOROCD.DLL\"";

void WriteBytes(const fs::path& file, const std::string& bytes) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
}

std::string ReadBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class FullDisk : public ::testing::Test {
  protected:
    void SetUp() override {
        RecordProperty("full_disk", disk.mounted() ? "tmpfs" : "injected");
        if (!disk.mounted()) std::printf("[   NOTE   ] %s: the full disk is injected\n", disk.why().c_str());
        root = (disk.mounted() ? disk.path() : injected.path()) / "keil";
        std::string toolsIni = Crlf({"[UV2]", "TOOL51=C51", "[C51]", "TDRV0=BIN\\MON51.DLL (Monitor)"});
        while (toolsIni.size() < 40 * 1024)
            toolsIni += "RTOS" + std::to_string(toolsIni.size()) + "=X.DLL (x)\r\n";
        originalToolsIni = toolsIni;
        WriteBytes(root / "TOOLS.INI", toolsIni);
        WriteBytes(root / "UV3" / "Uv3.exe", "");
        WriteBytes(root / "C51" / "BIN" / "TRELVOROCD.DLL", "old");
        work.Write("TrelvorOCD.dll", std::string(32 * 1024, 'd'));  // eight pages: more than is left
    }

    // setup install, with the disk full but for 8 KiB.
    CapturedRun Install(const std::vector<std::string>& script, Faults faults) {
        work.Write("setup.ini", Crlf(script));
        if (disk.mounted()) {
            disk.FillLeaving(8 * 1024);
            faults = {};
        }
        FaultyFileSystem files(*machine, faults);
        ProgramPlatform program{files, clock, "setup"};
        return RunCaptured({"-C", work.str(), "--keil-root", root.string(), "install"}, program);
    }

    // Nothing half-written in the Keil tree.
    void ExpectNothingLeftBehind() const {
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            const std::string name = entry.path().filename().string();
            EXPECT_TRUE(name.find(".setup-copy-") == std::string::npos && name != "Tools.ini.new")
                << entry.path();
        }
    }

    // Room is made again: the same install goes through.
    void ExpectInstallAfterFreeing(const std::vector<std::string>& script) {
        disk.Free();
        work.Write("setup.ini", Crlf(script));
        FaultyFileSystem files(*machine, {});
        ProgramPlatform program{files, clock, "setup"};
        const CapturedRun run =
            RunCaptured({"-C", work.str(), "--keil-root", root.string(), "install"}, program);
        EXPECT_EQ(run.status, kExitSuccess) << run.out << run.err;
    }

    WorkingDirectoryGuard guard;
    SmallDisk disk{256 * 1024};
    TempDir injected;  // the Keil tree's place when no disk can be mounted
    TempDir work;
    fs::path root;
    std::string originalToolsIni;
    std::unique_ptr<platform::FileSystem> machine = MakeMachineFileSystem();
    platform::VirtualClock clock;
};

// The driver file fits; the new TOOLS.INI, written beside the old one, does not.
TEST_F(FullDisk, ToolsIniThatCannotBeRewrittenStaysAsItWas) {
    work.Write("TrelvorOCD.dll", "driver");
    const CapturedRun run = Install({"[FILE]", kFile, "[TOOL]", kTool}, {.failWriteNumber = 1});
    EXPECT_EQ(run.status, kExitFailure);
    // The raised disk-full error, as the framework's dispatch reports it.
    EXPECT_EQ(run.out, "[setup] 當存取 " + root.string() + "\\Tools.ini 時磁碟空間已滿.\n");
    EXPECT_EQ(ReadBytes(root / "TOOLS.INI"), originalToolsIni);
    ExpectNothingLeftBehind();

    ExpectInstallAfterFreeing({"[FILE]", kFile, "[TOOL]", kTool});
    EXPECT_NE(ReadBytes(root / "TOOLS.INI").find("\r\nTDRV1=BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)\r\n"),
              std::string::npos);
}

TEST_F(FullDisk, CopyThatFailsMidwayKeepsTheOldFile) {
    const CapturedRun run = Install({"[FILE]", kFile}, {.failCopyNumber = 1});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.out, "[Database Installer] " + platform::SystemErrorText(MachineErrors().diskFull) +
                           "\n[Database Installer] Database is not installed !\n\n");
    EXPECT_EQ(ReadBytes(root / "C51" / "BIN" / "TRELVOROCD.DLL"), "old");
    ExpectNothingLeftBehind();

    ExpectInstallAfterFreeing({"[FILE]", kFile});
    EXPECT_TRUE(ReadBytes(root / "C51" / "BIN" / "TRELVOROCD.DLL") == std::string(32 * 1024, 'd'));
}

TEST_F(FullDisk, NewFileThatDoesNotFitIsNotLeftHalfWritten) {
    fs::remove(root / "C51" / "BIN" / "TRELVOROCD.DLL");
    const CapturedRun run = Install({"[FILE]", kFile}, {.failCopyNumber = 1});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_FALSE(fs::exists(root / "C51" / "BIN" / "TRELVOROCD.DLL"));
    ExpectNothingLeftBehind();
}

}  // namespace
