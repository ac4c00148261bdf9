// `setup adapter` on the real hidraw backend, with the simulated adapter played behind emulated hidraw
// devices in a umockdev test bed: the version check over numbered output and input reports, the switch to
// the boot loader and its arrival as a udev event, the download over unnumbered feature reports, and the
// return to the application.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "adapter/adapter_ids.h"
#include "adapter/status_texts.h"
#include "platform/file_system_posix.h"
#include "platform/hid_bus_posix.h"
#include "support/captured_run.h"
#include "support/firmware_images.h"
#include "support/temp_dir.h"
#include "umockdev/emulated_adapter.h"

namespace {

constexpr FirmwareVersion kImageVersion = {0x02, 0x15};

// A keyboard of another maker, opened and passed over by every search.
class Keyboard : public HidFunction {
  public:
    bool TakeOutputReport(std::span<const std::uint8_t>) override { return true; }
    bool TakeFeatureReport(std::uint8_t, std::span<const std::uint8_t>) override { return false; }
    std::optional<Bytes> GiveFeatureReport(std::uint8_t, std::size_t) override { return std::nullopt; }
};

class AdapterUpgrade : public ::testing::Test {
  protected:
    AdapterUpgrade() {
        dir.Write("Setup.ini", "[FILE]\r\n");
        dir.Write(kFirmwareImageName, StoredImage(SentImage(kImageVersion)));
    }
    void SetUp() override {
        ASSERT_TRUE(Testbed::Active()) << "run this program under umockdev-wrapper";
        keyboard.Plug();
    }

    // The adapter as --simulate-adapter=SPEC describes it, behind hidraw nodes numbered from firstNumber.
    void Attach(const std::string& spec, int firstNumber = 1) {
        adapter = std::make_unique<EmulatedAdapter>(testbed, spec, kDefaultAdapterVendorId, firstNumber);
    }
    CapturedRun RunAdapterCommand() {
        platform::HidrawBus bus(clock);
        ProgramPlatform program{files, clock, "setup", &bus};
        const CapturedRun run = RunCaptured({"-C", dir.str(), "adapter"}, program);
        EXPECT_EQ(adapter->Trouble(), "");
        return run;
    }

    WorkingDirectoryGuard guard;
    TempDir dir;
    platform::PosixFileSystem files;
    platform::VirtualClock clock;
    Testbed testbed;
    Keyboard keyboardFunction;
    EmulatedHidraw keyboard{testbed,
                            {0x046D, 0xC31C, 0},
                            {0xA1, 0x01, 0x75, 0x08, 0x95, 0x08, 0x81, 0x02, 0xC0},
                            keyboardFunction};
    std::unique_ptr<EmulatedAdapter> adapter;
};

TEST_F(AdapterUpgrade, ADifferingAdapterIsUpgradedThroughHidraw) {
    Attach("version=2.20");
    const CapturedRun run = RunAdapterCommand();
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.out, "[Database Installer] ICE adapter is upgraded !\n");
    EXPECT_NE(run.err.find(kTextUpdating), std::string::npos);

    EXPECT_EQ(adapter->ReceivedImage(), SentImage(kImageVersion));
    EXPECT_EQ(adapter->Version(), kImageVersion);
    EXPECT_FALSE(adapter->InBootLoader());
    // The application, the boot loader, the application again: each a new hidraw device.
    EXPECT_EQ(adapter->Nodes(), (std::vector<std::string>{"/dev/hidraw1", "/dev/hidraw2", "/dev/hidraw3"}));

    // The next start finds the new firmware current.
    const CapturedRun again = RunAdapterCommand();
    EXPECT_EQ(again.status, kExitSuccess) << again.err;
    EXPECT_EQ(again.out, "");
    EXPECT_EQ(adapter->Nodes().size(), 3u);
}

// The program as built, in a process of its own that sees the same test bed: it talks to hidraw unless told
// to simulate, on the real clock.
TEST_F(AdapterUpgrade, TheProgramReachesTheAdapterThroughHidrawByDefault) {
    Attach("version=2.20");
    TempDir scratch;
    const std::string command = std::string("'") + INSTALLER_SETUP_PROGRAM + "' -C '" + dir.str() +
                                "' adapter >'" + (scratch / "out").string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == kExitSuccess) << status;
    EXPECT_EQ(scratch.Read("out"), "[Database Installer] ICE adapter is upgraded !\n");
    EXPECT_EQ(adapter->Version(), kImageVersion);
    EXPECT_EQ(adapter->Trouble(), "");
}

TEST_F(AdapterUpgrade, ACurrentAdapterIsLeftAlone) {
    Attach("");
    const CapturedRun run = RunAdapterCommand();
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, std::string(kTextDetecting) + "\n" + kTextChecking + "\n\n");
    EXPECT_EQ(adapter->Nodes().size(), 1u);
}

TEST_F(AdapterUpgrade, FailuresEndTheUpgradeAsTheyDoOnTheModel) {
    struct Case {
        const char* spec;
        const char* out;         // the boxes printed
        const char* err;         // a part of standard error
        bool inBootLoader;       // where the adapter is left
        std::size_t imageBytes;  // what it received
    };
    const std::size_t whole = SentImage(kImageVersion).size();
    const Case cases[] = {
        {"absent", "", kTextNotFound, false, 0},
        {"vid=0x1234", "", kTextNotFound, false, 0},
        {"loader", "", kTextNotFound, true, 0},
        {"silent", "", kTextNoVersionAnswer, false, 0},  // one answer time-out, in real time
        {"version=2.20,never-return", "", "did not arrive within 60 s", false, 0},
        {"version=2.20,refuse=data", "", kTextUpdating, true, 0},
        {"version=2.20,feature=8", "", kTextUpdating, true, 0},
        {"version=2.20,checksum=high", "", kTextUpdating, true, whole},
        {"version=2.20,refuse=reset", "[Database Installer] ICE_Reset_to_AP Fail\n", "", true, whole},
    };
    int firstNumber = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.spec);
        adapter.reset();
        Attach(c.spec, firstNumber);
        firstNumber += 4;  // a test bed never gives a node's number twice
        const CapturedRun run = RunAdapterCommand();
        EXPECT_EQ(run.status, kExitFailure);
        EXPECT_EQ(run.out, c.out);
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        EXPECT_EQ(adapter->InBootLoader(), c.inBootLoader);
        EXPECT_EQ(adapter->ReceivedImage().size(), c.imageBytes);
    }
}

}  // namespace
