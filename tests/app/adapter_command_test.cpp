// The adapter command with a simulated adapter, run in this process on a virtual clock.
#include <gtest/gtest.h>

#include <filesystem>

#include "adapter/adapter_ids.h"
#include "adapter/status_texts.h"
#include "platform/clock.h"
#include "support/captured_run.h"
#include "support/firmware_images.h"
#include "support/machine.h"
#include "support/temp_dir.h"

namespace {

class AdapterCommand : public ::testing::Test {
  protected:
    AdapterCommand() {
        dir.Write("Setup.ini", "[FILE]\r\n");
        dir.Write(kFirmwareImageName, StoredImage(SentImage(FirmwareVersion{0x02, 0x15})));
    }
    CapturedRun Run(std::vector<std::string> args) {
        args.insert(args.begin(), {"-C", dir.str()});
        return RunCaptured(args, program);
    }

    WorkingDirectoryGuard guard;
    TempDir dir;
    std::unique_ptr<platform::FileSystem> files = MakeMachineFileSystem();
    platform::VirtualClock clock;
    ProgramPlatform program{*files, clock, "setup"};
};

TEST_F(AdapterCommand, CurrentAdapterSucceedsQuietly) {
    const CapturedRun run = Run({"adapter", "--simulate-adapter"});
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, std::string(kTextDetecting) + "\n" + kTextChecking + "\n\n");
}

TEST_F(AdapterCommand, DifferingAdapterIsUpgraded) {
    const CapturedRun run = Run({"adapter", "--simulate-adapter=version=2.20"});
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out, "[Database Installer] ICE adapter is upgraded !\n");
    EXPECT_NE(run.err.find(kTextUpdating), std::string::npos);
}

struct FailureCase {
    const char* name;
    std::vector<std::string> options;
    const char* out;  // the boxes printed
    const char* err;  // a part of standard error
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.name;
}

const FailureCase kFailures[] = {
    {"NoHidBackend", {}, "", kTextNotFound},
    {"NoAdapter", {"--simulate-adapter=absent"}, "", kTextNotFound},
    {"OtherVendor", {"--simulate-adapter=vid=0x1234"}, "", kTextNotFound},
    {"SilentAdapter", {"--simulate-adapter=silent"}, "", kTextNoVersionAnswer},
    {"BootLoaderNeverArrives",
     {"--simulate-adapter=version=2.20,never-return"},
     "",
     "did not arrive within 60 s"},
    {"RefusedData", {"--simulate-adapter=version=2.20,refuse=data"}, "", kTextUpdating},
    {"ChecksumMismatch", {"--simulate-adapter=version=2.20,checksum=high"}, "", kTextUpdating},
    {"RefusedReset",
     {"--simulate-adapter=version=2.20,refuse=reset"},
     "[Database Installer] ICE_Reset_to_AP Fail\n",
     ""},
    {"InstallationPending",
     {"--simulate-adapter=version=2.20,pending=1"},
     "[Error] Upgrade F/W faled !!\n",
     kTextInstallationFailed},
};

class AdapterCommandFailure : public AdapterCommand, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(AdapterCommandFailure, ExitsOne) {
    const FailureCase& c = GetParam();
    std::vector<std::string> args = c.options;
    args.push_back("adapter");
    const CapturedRun run = Run(args);
    EXPECT_EQ(run.status, kExitFailure) << run.out << run.err;
    EXPECT_EQ(run.out, c.out);
    EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(Table, AdapterCommandFailure, ::testing::ValuesIn(kFailures),
                         [](const auto& info) { return std::string(info.param.name); });

// Without a version in the image nothing can tell that the adapter is current.
TEST_F(AdapterCommand, ImageWithoutVersionLeavesTheAdapterAloneAndFails) {
    dir.Write(kFirmwareImageName, StoredImage(SentImage(std::nullopt)));
    const CapturedRun run = Run({"adapter", "--simulate-adapter=version=2.20"});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.find(kTextUpdating), std::string::npos);
}

TEST_F(AdapterCommand, MissingImageIsShownAndFails) {
    std::filesystem::remove(dir / kFirmwareImageName);
    const CapturedRun run = Run({"adapter", "--simulate-adapter=version=2.20"});
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.out, "[Database Installer] 沒有找到 " + dir.str() + "\\Trelvor.dat .\n");
}

TEST_F(AdapterCommand, WaitForTheBootLoaderIsBounded) {
    Run({"adapter", "--simulate-adapter=version=2.20,never-return"});
    EXPECT_GE(clock.NowMs(), 60000u);
    EXPECT_LT(clock.NowMs(), 62000u);
}

TEST_F(AdapterCommand, LooksForTheDefaultVendorIdUnlessToldAnother) {
    char vendorId[8];
    std::snprintf(vendorId, sizeof vendorId, "0x%04X", kDefaultAdapterVendorId);
    EXPECT_EQ(Run({"adapter", std::string("--simulate-adapter=vid=") + vendorId}).status, kExitSuccess);
    EXPECT_EQ(Run({"adapter", "--simulate-adapter=vid=0x1d50"}).status, kExitFailure);
    EXPECT_EQ(Run({"adapter", "--simulate-adapter=vid=0x1d50", "--adapter-vid", "0x1d50"}).status,
              kExitSuccess);
}

TEST_F(AdapterCommand, WrongSpecIsWrongUsage) {
    const CapturedRun run = Run({"adapter", "--simulate-adapter=refuse=middle"});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_NE(run.err.find("'refuse' needs"), std::string::npos);
    EXPECT_EQ(run.out, "");
}

TEST_F(AdapterCommand, StartUpSendsTheAdapterAwayWithoutWaitingForIt) {
    const CapturedRun run = Run({"--simulate-adapter=version=2.20"});
    EXPECT_EQ(run.status, kExitSuccess);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(kTextUpdating), std::string::npos);
    EXPECT_LT(clock.NowMs(), 2000u);
}

TEST_F(AdapterCommand, HelpDocumentsTheSimulatedAdapter) {
    const CapturedRun run = Run({"--help"});
    EXPECT_NE(run.out.find("SPEC of --simulate-adapter"), std::string::npos);
    EXPECT_NE(run.out.find("refuse=start|data|end|reset|K"), std::string::npos);
}

}  // namespace
