// The second half of the upgrade, walked through with the simulated adapter: an arrival starts timer 2,
// whose tick waits for the installation, finds the boot loader, downloads the image and restarts the adapter.
#include <gtest/gtest.h>

#include "adapter/adapter_state.h"
#include "adapter/status_texts.h"
#include "app/console_view.h"
#include "support/adapter_fixture.h"
#include "support/firmware_images.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Kind = HidTransfer::Kind;
using Texts = std::vector<std::string>;

class FirmwareUpgrade : public AdapterTest {
  protected:
    FirmwareUpgrade() { WriteImage(FirmwareVersion{0x02, 0x15}); }

    // Start-up with an adapter of another version: it is sent into its boot loader, which then arrives and
    // is worked on by the tick of timer 2.
    void Upgrade(const std::string& faults = "", std::size_t imageLength = 8202) {
        WriteImage(FirmwareVersion{0x02, 0x15}, imageLength);
        Attach("version=2.20" + (faults.empty() ? "" : "," + faults));
        dlg->OnTimer(kStartupTimer);
        ASSERT_EQ(dlg->m_adapterStage, AdapterStage::kWaitingForLoader);
        view.statusHistory.clear();
        bus->transfers.clear();
        bus->searches = 0;
        LetAdapterArrive();
        ASSERT_TRUE(TickArrivalTimer()) << "the arrival did not start timer 2";
    }

    std::vector<Bytes> FeatureReports() const {
        std::vector<Bytes> reports;
        for (const auto& transfer : bus->Transfers(Kind::kSetFeature)) reports.push_back(transfer.bytes);
        return reports;
    }
    bool Cancelled() const { return bus->Count(Kind::kCancel) > 0; }
};

TEST_F(FirmwareUpgrade, SuccessfulUpgrade) {
    dir.Write("Setup.ini", "[FILE]\r\n");
    Upgrade();
    EXPECT_EQ(view.statusHistory, Texts{""});
    const RecordedBox upgraded{kBoxUpgraded, kCaption, platform::BoxStyle::kOk};
    EXPECT_EQ(view.boxes, std::vector<RecordedBox>{upgraded});
    EXPECT_EQ(g_hAdapter, nullptr);
    EXPECT_EQ(dlg->m_hDevNotify, nullptr);
    EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kUpgraded);

    const Bytes sent = SentImage(FirmwareVersion{0x02, 0x15});
    EXPECT_EQ(adapter->ReceivedImage(), sent);
    EXPECT_EQ(adapter->Version(), (FirmwareVersion{0x02, 0x15}));

    // 1 start, 129 data reports (128 of 64 bytes, one of 10), 1 end, the status read, the reset.
    const auto reports = FeatureReports();
    ASSERT_EQ(reports.size(), 132u);
    Bytes start{0x00, 0x33, 0, 0, 0, 0x00, 0x20, 0x0A, 0};
    start.resize(65, 0);
    EXPECT_EQ(reports[0], start);
    EXPECT_EQ(reports[1][0], 0);
    EXPECT_EQ(Bytes(reports[1].begin() + 1, reports[1].end()), Bytes(sent.begin(), sent.begin() + 64));
    EXPECT_EQ(Bytes(reports[129].begin() + 1, reports[129].begin() + 11), Bytes(sent.end() - 10, sent.end()));
    EXPECT_EQ(bus->Count(Kind::kGetFeature), 1u);
    EXPECT_FALSE(Cancelled());

    // The buffer is shared: behind the short last data report and the end report's fields, earlier bytes.
    EXPECT_EQ(Bytes(reports[129].begin() + 11, reports[129].end()),
              Bytes(reports[128].begin() + 11, reports[128].end()));
    const Bytes& end = reports[130];
    EXPECT_EQ(Bytes(end.begin(), end.begin() + 9), (Bytes{0x00, 0x22, 0, 0, 0, 0, 0, 0x02, 0}));
    EXPECT_EQ(Bytes(end.begin() + 9, end.end()), Bytes(reports[129].begin() + 9, reports[129].end()));
    Bytes reset{0x00, 0x44};
    reset.resize(65, 0);
    EXPECT_EQ(reports[131], reset);

    EXPECT_EQ(view.progressCalls.front(), "range 0 128");
    EXPECT_EQ(view.progressSteps, 129);
    EXPECT_EQ(view.progressCalls.back(), "hide");
    EXPECT_FALSE(view.progressVisible);
}

TEST_F(FirmwareUpgrade, SuccessfulUpgradeReloadsTheScript) {
    Attach("version=2.20");
    dlg->OnTimer(kStartupTimer);
    ASSERT_EQ(dlg->m_scriptLines, (std::vector<std::string>{"[FILE]", ""}));
    dir.Write("Setup.ini", "[CDB]");
    dlg->m_uvVersion = 2;
    LetAdapterArrive();
    ASSERT_TRUE(TickArrivalTimer());
    EXPECT_EQ(dlg->m_scriptLines, std::vector<std::string>{"[CDB]"});
    EXPECT_EQ(dlg->m_uvVersion, 0);
}

TEST_F(FirmwareUpgrade, FailedUpgradeLeavesTheScriptAlone) {
    Attach("version=2.20,checksum=low");
    dlg->OnTimer(kStartupTimer);
    dir.Write("Setup.ini", "[CDB]");
    dlg->m_uvVersion = 2;
    LetAdapterArrive();
    ASSERT_TRUE(TickArrivalTimer());
    EXPECT_EQ(dlg->m_scriptLines, (std::vector<std::string>{"[FILE]", ""}));
    EXPECT_EQ(dlg->m_uvVersion, 2);
}

TEST_F(FirmwareUpgrade, BootLoaderThatRestartsTheApplicationReportsTheNewVersion) {
    Upgrade();
    clock.Advance(1500);
    ASSERT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, kApplicationProductId), 1);
    view.boxes.clear();
    EXPECT_EQ(dlg->CheckFirmwareVersion(), 1);
}

TEST_F(FirmwareUpgrade, InstallationStillPendingIsReportedAndTheNextArrivalRetries) {
    Upgrade("pending=1");
    EXPECT_EQ(view.statusHistory, Texts{kTextInstallationFailed});
    const RecordedBox failed{kBoxInstallationFailed, kBoxInstallationFailedCaption,
                             platform::BoxStyle::kOkError};
    EXPECT_EQ(view.boxes, std::vector<RecordedBox>{failed});
    EXPECT_EQ(bus->searches, 0) << "no search for the boot loader";
    EXPECT_NE(dlg->m_hDevNotify, nullptr) << "the registration stays";
    EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kInstallationPending);
    EXPECT_EQ(clock.NowMs(), 1000u + 1500u + 200u + 30000u);

    dlg->OnDeviceChange(kDeviceArrival);
    ASSERT_TRUE(TickArrivalTimer());
    EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kUpgraded);
}

TEST_F(FirmwareUpgrade, BootLoaderThatNeverArrivesIsGivenUpAfterFiftySearches) {
    WriteImage(FirmwareVersion{0x02, 0x15});
    Attach("version=2.20,never-return");
    dlg->OnTimer(kStartupTimer);
    view.statusHistory.clear();
    bus->searches = 0;
    LetAdapterArrive(60000);
    EXPECT_FALSE(TickArrivalTimer()) << "nothing arrived";

    // Any other arrival (a volume, say) runs the search all the same.
    dlg->OnDeviceChange(kDeviceArrival);
    const std::uint64_t before = clock.NowMs();
    ASSERT_TRUE(TickArrivalTimer());
    EXPECT_EQ(bus->searches, 50);
    EXPECT_EQ(clock.NowMs() - before, 200u + 50u * 1000u);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_TRUE(view.statusHistory.empty()) << "the status keeps its text";
    EXPECT_EQ(view.status, kTextUpdating);
    EXPECT_EQ(dlg->m_hDevNotify, nullptr);
    EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kLoaderNotFound);
}

TEST_F(FirmwareUpgrade, BootLoaderFoundOnTheLastOfTheSearches) {
    struct Case {
        int hidden;
        AdapterStage stage;
    };
    for (const Case& c : {Case{49, AdapterStage::kUpgraded}, Case{50, AdapterStage::kLoaderNotFound}}) {
        SCOPED_TRACE(c.hidden);
        view = RecordingView();
        Upgrade("after=" + std::to_string(c.hidden));
        EXPECT_EQ(bus->searches, 50);
        EXPECT_EQ(dlg->m_adapterStage, c.stage);
    }
}

TEST_F(FirmwareUpgrade, RefusedDownloadReportEndsTheUpgradeSilently) {
    struct Case {
        const char* refuse;
        std::size_t reportsTried;
        bool progressVisible;
    };
    const Case cases[] = {
        {"refuse=start", 1, false},
        {"refuse=data", 2, true},  // the progress bar stays where it stands
        {"refuse=130", 130, true},
        {"refuse=end", 131, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refuse);
        view = RecordingView();
        Upgrade(c.refuse);
        const auto reports = bus->Transfers(Kind::kSetFeature);
        ASSERT_EQ(reports.size(), c.reportsTried);
        EXPECT_FALSE(reports.back().ok);
        EXPECT_EQ(bus->transfers.back().kind, Kind::kCancel);
        EXPECT_EQ(bus->Count(Kind::kGetFeature), 0u);
        EXPECT_EQ(view.progressVisible, c.progressVisible);
        EXPECT_TRUE(view.boxes.empty());
        EXPECT_EQ(view.status, kTextUpdating);
        EXPECT_NE(g_hAdapter, nullptr) << "the boot loader's handle stays open";
        EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kDownloadFailed);
    }
}

TEST_F(FirmwareUpgrade, FailedStatusReadEndsTheUpgradeSilently) {
    Upgrade("status-fail");
    EXPECT_EQ(bus->Count(Kind::kSetFeature), 131u);
    EXPECT_EQ(bus->transfers.back().kind, Kind::kCancel);
    EXPECT_TRUE(view.boxes.empty());
    EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kDownloadFailed);
}

TEST_F(FirmwareUpgrade, ChecksumMismatchInEitherByteEndsTheUpgradeWithoutReset) {
    for (const char* fault : {"checksum=high", "checksum=low"}) {
        SCOPED_TRACE(fault);
        view = RecordingView();
        Upgrade(fault);
        EXPECT_EQ(bus->Count(Kind::kSetFeature), 131u) << "no reset report";
        EXPECT_EQ(bus->transfers.back().kind, Kind::kGetFeature);
        EXPECT_TRUE(view.boxes.empty());
        EXPECT_TRUE(adapter->InBootLoader());
        EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kDownloadFailed);
    }
}

TEST_F(FirmwareUpgrade, RefusedResetIsShown) {
    Upgrade("refuse=reset");
    const RecordedBox refused{kBoxResetRefused, kCaption, platform::BoxStyle::kOk};
    EXPECT_EQ(view.boxes, std::vector<RecordedBox>{refused});
    EXPECT_TRUE(view.statusHistory.empty());
    EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kResetRefused);
}

TEST_F(FirmwareUpgrade, FeatureReportOfEightBytesEndsTheDownloadBeforeTheImageIsRead) {
    std::filesystem::remove(dir / kFirmwareImageName);
    Attach("loader,feature=8");
    ASSERT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, kBootLoaderProductId), 1);
    EXPECT_EQ(dlg->DownloadFirmware(), 0);
    EXPECT_TRUE(view.boxes.empty()) << "the missing image was not looked for";
    EXPECT_TRUE(bus->transfers.empty());
}

TEST_F(FirmwareUpgrade, FeatureReportOfNineBytesCarriesEightImageBytes) {
    Upgrade("feature=9");
    EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kUpgraded);
    const auto reports = FeatureReports();
    ASSERT_EQ(reports.size(), 1u + 1026u + 1u + 1u);  // 8202 = 1025 × 8 + 2
    EXPECT_EQ(reports[0], (Bytes{0x00, 0x33, 0, 0, 0, 0x00, 0x20, 0x0A, 0}));
    EXPECT_EQ(reports.back(), (Bytes{0x00, 0x44, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(view.progressCalls.front(), "range 0 1025");
    EXPECT_EQ(adapter->ReceivedImage(), SentImage(FirmwareVersion{0x02, 0x15}));
}

TEST_F(FirmwareUpgrade, DataReportsAgainstTheProgressRange) {
    struct Case {
        std::size_t length;
        int top;
        int dataReports;
    };
    // A multiple of 64 fills the range exactly; any other length needs one report more.
    for (const Case& c : {Case{8256, 129, 129}, Case{8202, 128, 129}, Case{8257, 129, 130}}) {
        SCOPED_TRACE(c.length);
        view = RecordingView();
        Upgrade("", c.length);
        EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kUpgraded);
        EXPECT_EQ(view.progressCalls.front(), "range 0 " + std::to_string(c.top));
        EXPECT_EQ(view.progressSteps, c.dataReports);
        EXPECT_EQ(bus->Count(Kind::kSetFeature), static_cast<std::size_t>(c.dataReports) + 3);
    }
}

TEST_F(FirmwareUpgrade, ImageThatCannotBeSentEndsTheDownloadBeforeAnyReport) {
    Attach("loader");
    ASSERT_EQ(dlg->FindAdapter(kDefaultAdapterVendorId, kBootLoaderProductId), 1);
    dir.Write(kFirmwareImageName, StoredImage(SentImage(std::nullopt, 6655)));
    EXPECT_EQ(dlg->DownloadFirmware(), 0);
    EXPECT_TRUE(bus->transfers.empty());
    EXPECT_TRUE(view.boxes.empty());
}

TEST_F(FirmwareUpgrade, ArrivalsInABurstGiveOneTickAfterTheLast) {
    Attach();
    ConsoleView console(clock, stdout, stderr);
    CSetupDlg dialog(
        DialogServices{console, *files, clock, codePage, "Setup", bus.get(), kDefaultAdapterVendorId});
    dialog.OnDeviceChange(kDeviceArrival);
    clock.Advance(50);
    dialog.OnDeviceChange(kDeviceArrival);
    EXPECT_EQ(console.NextTimer(), std::make_pair(kArrivalTimer, std::uint64_t{250}));
    dialog.OnTimer(kArrivalTimer);
    EXPECT_EQ(console.NextTimer(), std::nullopt);
}

}  // namespace
