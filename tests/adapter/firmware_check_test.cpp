// The start-up half of the upgrade: the adapter is looked for, its version compared with the image's, and
// sent into its boot loader when they differ.
#include <gtest/gtest.h>

#include "adapter/adapter_state.h"
#include "adapter/status_texts.h"
#include "support/adapter_fixture.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = HidTransfer::Kind;
using Texts = std::vector<std::string>;

const Bytes kVersionQuery = [] {
    Bytes report{0x0C, 0xA8, 0, 0, 0, 0, 0x02};
    report.resize(65, 0);
    return report;
}();
const Bytes kToLoader = [] {
    Bytes report{0x0C, 0x44};
    report.resize(65, 0);
    return report;
}();

class FirmwareCheck : public AdapterTest {
  protected:
    FirmwareCheck() { WriteImage(FirmwareVersion{0x02, 0x15}); }

    // The first tick of timer 1, as the dialog runs it.
    void StartUp(const std::string& spec) {
        Attach(spec);
        dlg->OnTimer(kStartupTimer);
    }
    std::vector<Bytes> Writes() const {
        std::vector<Bytes> writes;
        for (const auto& transfer : bus->Transfers(Kind::kWrite)) writes.push_back(transfer.bytes);
        return writes;
    }
};

TEST_F(FirmwareCheck, NoAdapterIsShownInTheStatusBarAndTheScriptLoads) {
    StartUp("absent");
    EXPECT_EQ(view.statusHistory, (Texts{kTextDetecting, kTextNotFound}));
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(clock.NowMs(), 500u);
    EXPECT_TRUE(dlg->ScriptLoaded());
    EXPECT_FALSE(view.enabled[platform::kIdInstall]);
    EXPECT_FALSE(view.enabled[platform::kIdUninstall]);
    EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kNotFound);
}

TEST_F(FirmwareCheck, SameVersionClearsTheStatusAndKeepsTheAdapterOpen) {
    StartUp("");
    EXPECT_EQ(view.statusHistory, (Texts{kTextDetecting, kTextChecking, ""}));
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(Writes(), std::vector<Bytes>{kVersionQuery});
    EXPECT_NE(g_hAdapter, nullptr);
    EXPECT_EQ(dlg->m_hDevNotify, nullptr);
    EXPECT_EQ(g_cmdCode, 0);
    EXPECT_EQ(g_cmdLen, 2u);
    EXPECT_TRUE(dlg->ScriptLoaded());
    EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kCurrent);
}

TEST_F(FirmwareCheck, ImageWithoutVersionLeavesTheAdapterAlone) {
    WriteImage(std::nullopt);
    StartUp("version=9.9");
    EXPECT_EQ(view.statusHistory, (Texts{kTextDetecting, kTextChecking, ""}));
    EXPECT_EQ(Writes(), std::vector<Bytes>{kVersionQuery});
    EXPECT_FALSE(adapter->InBootLoader());
    EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kNoImageVersion);
}

TEST_F(FirmwareCheck, MissingImageShowsOneFileErrorAndLeavesTheAdapterAlone) {
    std::filesystem::remove(dir / kFirmwareImageName);
    StartUp("version=9.9");
    EXPECT_EQ(view.statusHistory, (Texts{kTextDetecting, kTextChecking, ""}));
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].style, platform::BoxStyle::kOkWarning);
    EXPECT_EQ(Writes(), std::vector<Bytes>{kVersionQuery});
    EXPECT_TRUE(dlg->ScriptLoaded());
    EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kImageUnreadable);
}

// Versions are only compared for equality: an older image replaces newer firmware too.
TEST_F(FirmwareCheck, VersionDifferingInEitherByteStartsTheUpgrade) {
    for (const char* spec : {"version=2.22", "version=3.21", "version=2.20"}) {
        SCOPED_TRACE(spec);
        view = RecordingView();
        clock = platform::VirtualClock();
        StartUp(spec);
        EXPECT_EQ(view.statusHistory, (Texts{kTextDetecting, kTextChecking, kTextUpdating}));
        EXPECT_TRUE(view.boxes.empty());
        EXPECT_EQ(Writes(), (std::vector<Bytes>{kVersionQuery, kToLoader}));
        EXPECT_EQ(clock.NowMs(), 1000u) << "500 ms before the search, 500 ms before the switch";
        EXPECT_EQ(g_hAdapter, nullptr);
        EXPECT_NE(dlg->m_hDevNotify, nullptr);
        EXPECT_EQ(g_cmdCode, 0);
        EXPECT_TRUE(dlg->ScriptLoaded());
        EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kWaitingForLoader);
    }
}

// The untouched answer buffer is not taken for the adapter's version.
TEST_F(FirmwareCheck, VersionQueryThatFailsStartsNoUpgrade) {
    for (const char* spec : {"silent", "answer-length=3", "output=66", "input=66"}) {
        SCOPED_TRACE(spec);
        view = RecordingView();
        StartUp(std::string("version=2.20,") + spec);
        EXPECT_EQ(view.statusHistory, (Texts{kTextDetecting, kTextChecking, kTextNoVersionAnswer}));
        EXPECT_TRUE(view.boxes.empty());
        for (const Bytes& write : Writes()) EXPECT_NE(write[1], 0x44);
        EXPECT_FALSE(adapter->InBootLoader());
        EXPECT_EQ(dlg->m_hDevNotify, nullptr);
        EXPECT_EQ(g_hAdapter, nullptr);
        EXPECT_TRUE(dlg->ScriptLoaded());
        EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kQueryFailed);
    }
}

// Without the registration nothing would hear of the boot loader's arrival, and the adapter would stay in it:
// the failure is shown and the adapter keeps running its application.
TEST_F(FirmwareCheck, FailedRegistrationIsShownAndNoSwitchIsMade) {
    StartUp("version=2.20,no-notify");
    ASSERT_EQ(view.boxes.size(), 1u);
    EXPECT_EQ(view.boxes[0].style, platform::BoxStyle::kOkWarning);
    EXPECT_EQ(Writes(), (std::vector<Bytes>{kVersionQuery}));
    EXPECT_EQ(view.statusHistory,
              (Texts{kTextDetecting, kTextChecking, kTextUpdating, kTextInstallationFailed}));
    clock.Advance(1500);
    EXPECT_FALSE(adapter->InBootLoader());
    EXPECT_EQ(g_hAdapter, nullptr);
    EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kNoArrivalNotice);
    EXPECT_TRUE(dlg->ScriptLoaded());
}

TEST_F(FirmwareCheck, DeviceArrivalStartsTimerTwo) {
    Attach();
    EXPECT_EQ(dlg->OnDeviceChange(0x0007), 1);  // devices changed: answered, nothing started
    EXPECT_EQ(dlg->OnDeviceChange(0x8004), 1);  // removal
    EXPECT_TRUE(view.timers.empty());
    EXPECT_EQ(dlg->OnDeviceChange(kDeviceArrival), 1);
    EXPECT_EQ(view.timers, (std::map<int, std::uint32_t>{{kArrivalTimer, 200}}));
}

}  // namespace
