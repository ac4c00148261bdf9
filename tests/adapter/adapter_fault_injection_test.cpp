// The firmware check and the upgrade with each of their HID calls failing in turn (the k-th call for every k
// up to the last one a run makes): a failed version query never starts an upgrade, the adapter is sent into
// its boot loader only when the program will hear of its arrival, and a download that was not confirmed is
// never followed by the restart into the new firmware nor reported as an upgrade.
#include <gtest/gtest.h>

#include <set>

#include "adapter/adapter_state.h"
#include "adapter/status_texts.h"
#include "support/adapter_fixture.h"
#include "support/failing_call_file_system.h"
#include "support/failing_call_hid_bus.h"
#include "support/firmware_images.h"
#include "support/machine.h"

namespace {

using Kind = HidTransfer::Kind;

constexpr FirmwareVersion kImageVersion{0x02, 0x15};
constexpr FirmwareVersion kOldVersion{0x02, 0x14};

class AdapterFaults : public AdapterTest {
  protected:
    AdapterFaults() { WriteImage(kImageVersion); }

    // A fresh adapter as the SPEC describes it, behind a bus that counts nothing until armed; the dialog
    // works on the machine's files, or on fileSystem.
    void Fresh(const std::string& spec, platform::FileSystem* fileSystem = nullptr) {
        ResetAdapterState();
        dlg.reset();
        view = RecordingView();
        adapter = MakeSimulatedAdapter(spec, kDefaultAdapterVendorId, clock);
        ASSERT_NE(adapter, nullptr);
        failing = std::make_unique<FailingCallHidBus>(*adapter);
        bus = std::make_unique<RecordingHidBus>(*failing);
        dlg = std::make_unique<CSetupDlg>(DialogServices{view, fileSystem != nullptr ? *fileSystem : *files,
                                                         clock, codePage, "Setup", bus.get(),
                                                         kDefaultAdapterVendorId});
        dlg->m_caption = kCaption;
    }

    bool SentToLoader() const {
        for (const HidTransfer& write : bus->Transfers(Kind::kWrite))
            if (write.bytes.size() >= 2 && write.bytes[0] == 12 && write.bytes[1] == 0x44) return true;
        return false;
    }
    std::string FailedKind() const { return failing->failed.substr(0, failing->failed.find(' ')); }

    std::unique_ptr<FailingCallHidBus> failing;
};

// The adapter runs the image's version: no single failure may send it into its boot loader.
TEST_F(AdapterFaults, VersionQueryOfACurrentAdapter) {
    std::set<std::string> failedKinds;
    for (int k = 1;; ++k) {
        Fresh("");
        failing->Arm(k);
        dlg->OnTimer(kStartupTimer);
        if (failing->failed.empty()) break;
        SCOPED_TRACE("call " + std::to_string(k) + " failed: " + failing->failed);
        failedKinds.insert(FailedKind());

        EXPECT_FALSE(SentToLoader());
        EXPECT_FALSE(adapter->InBootLoader());
        EXPECT_EQ(adapter->Version(), kImageVersion);
        EXPECT_TRUE(dlg->ScriptLoaded());
        switch (dlg->m_adapterStage) {
            case AdapterStage::kNotFound:
                EXPECT_EQ(view.status, kTextNotFound);
                break;
            case AdapterStage::kQueryFailed:
                EXPECT_EQ(view.status, kTextNoVersionAnswer);
                break;
            case AdapterStage::kCurrent:
                EXPECT_EQ(view.status, "");
                break;
            default:
                ADD_FAILURE() << "stage " << static_cast<int>(dlg->m_adapterStage);
        }
    }
    EXPECT_EQ(failedKinds, (std::set<std::string>{"PresentInterfaces", "Open", "Identity", "ReportLengths",
                                                  "WriteOutputReport", "ReadInputReport"}));
}

// An outdated adapter: it goes into its boot loader only when the version query went through and the
// program is registered to hear of the boot loader's arrival; otherwise it keeps running its application.
TEST_F(AdapterFaults, SwitchOfAnOutdatedAdapter) {
    for (int k = 1;; ++k) {
        Fresh("version=2.20");
        failing->Arm(k);
        dlg->OnTimer(kStartupTimer);
        if (failing->failed.empty()) break;
        SCOPED_TRACE("call " + std::to_string(k) + " failed: " + failing->failed);
        clock.Advance(1500);  // the adapter's time away
        const int arrivals = adapter->TakeArrivals();

        if (adapter->InBootLoader()) {
            EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kWaitingForLoader);
            EXPECT_EQ(arrivals, 1) << "in the boot loader, and the program will not hear of it";
        } else {
            EXPECT_FALSE(adapter->InBootLoader());
            EXPECT_EQ(adapter->Version(), kOldVersion);
            EXPECT_NE(dlg->m_adapterStage, AdapterStage::kCurrent);
        }
    }
}

// The second half, each of its calls failing in turn once the boot loader has arrived.
TEST_F(AdapterFaults, DownloadOfAnOutdatedAdapter) {
    const std::vector<std::uint8_t> image = SentImage(kImageVersion);
    const std::uint32_t checksum = SumOfImage(image);
    std::set<std::string> failedKinds;
    for (int k = 1;; ++k) {
        Fresh("version=2.20");
        dlg->OnTimer(kStartupTimer);
        ASSERT_EQ(dlg->m_adapterStage, AdapterStage::kWaitingForLoader);
        LetAdapterArrive();
        bus->transfers.clear();
        failing->Arm(k);
        ASSERT_TRUE(TickArrivalTimer());
        if (failing->failed.empty()) break;
        SCOPED_TRACE("call " + std::to_string(k) + " failed: " + failing->failed);
        failedKinds.insert(FailedKind());

        const bool upgraded = dlg->m_adapterStage == AdapterStage::kUpgraded;
        const RecordedBox upgradedBox{kBoxUpgraded, kCaption, platform::BoxStyle::kOk};
        EXPECT_EQ(upgraded, std::count(view.boxes.begin(), view.boxes.end(), upgradedBox) == 1);
        if (upgraded) {
            EXPECT_EQ(adapter->ReceivedImage(), image);
            EXPECT_EQ(adapter->Version(), kImageVersion);
            continue;
        }
        // Not upgraded: the adapter still holds its old firmware, and the restart went out only after the
        // adapter confirmed the whole image's checksum.
        EXPECT_EQ(adapter->Version(), kOldVersion);
        // (The restart is the report that follows the status read.)
        bool confirmed = false;
        bool statusRead = false;
        bool restartSent = false;
        for (const HidTransfer& transfer : bus->transfers) {
            if (transfer.kind == Kind::kGetFeature) {
                statusRead = true;
                confirmed = transfer.ok && transfer.bytes[1] == static_cast<std::uint8_t>(checksum >> 8) &&
                            transfer.bytes[2] == static_cast<std::uint8_t>(checksum);
            } else if (transfer.kind == Kind::kSetFeature && statusRead) {
                restartSent = true;
            }
        }
        EXPECT_TRUE(confirmed || !restartSent) << "restarted after a download that was not confirmed";
        const RecordedBox resetBox{kBoxResetRefused, kCaption, platform::BoxStyle::kOk};
        EXPECT_EQ(dlg->m_adapterStage == AdapterStage::kResetRefused,
                  std::count(view.boxes.begin(), view.boxes.end(), resetBox) == 1);
    }
    EXPECT_EQ(failedKinds,
              (std::set<std::string>{"WaitForPendingInstallation", "PresentInterfaces", "Open", "Identity",
                                     "ReportLengths", "SetFeatureReport", "GetFeatureReport"}));
}

// The firmware image (and the setup script) cannot be read, at each step in turn: at the check no upgrade
// starts, and at the download nothing is sent, so the boot loader keeps waiting with the old firmware.
TEST_F(AdapterFaults, ImageThatCannotBeRead) {
    std::set<std::string> stepsAtTheCheck;
    std::set<std::string> stepsAtTheDownload;
    for (int k = 1;; ++k) {
        FailingCallFileSystem failingFiles(*files, k, MachineErrors().ioError);
        Fresh("version=2.20", &failingFiles);
        dlg->OnTimer(kStartupTimer);
        if (failingFiles.failed.empty()) break;
        SCOPED_TRACE("check, file call " + std::to_string(k) + " failed: " + failingFiles.failed);
        if (dlg->m_adapterStage == AdapterStage::kImageUnreadable) {
            stepsAtTheCheck.insert(failingFiles.failed.substr(0, failingFiles.failed.find(' ')));
            EXPECT_FALSE(SentToLoader());
            ASSERT_FALSE(view.boxes.empty());
            EXPECT_EQ(view.boxes[0].style, platform::BoxStyle::kOkWarning);
        } else {
            EXPECT_EQ(dlg->m_adapterStage,
                      AdapterStage::kWaitingForLoader);  // a failure of the script's load
            EXPECT_TRUE(SentToLoader());
        }
    }
    for (int k = 1;; ++k) {
        FailingCallFileSystem failingFiles(*files, 0, MachineErrors().ioError);
        Fresh("version=2.20", &failingFiles);
        dlg->OnTimer(kStartupTimer);
        LetAdapterArrive();
        bus->transfers.clear();
        failingFiles.Arm(k);
        ASSERT_TRUE(TickArrivalTimer());
        if (failingFiles.failed.empty()) break;
        SCOPED_TRACE("download, file call " + std::to_string(k) + " failed: " + failingFiles.failed);
        if (dlg->m_adapterStage == AdapterStage::kUpgraded) continue;  // the script's reload afterwards
        stepsAtTheDownload.insert(failingFiles.failed.substr(0, failingFiles.failed.find(' ')));
        EXPECT_EQ(dlg->m_adapterStage, AdapterStage::kDownloadFailed);
        EXPECT_EQ(bus->Count(Kind::kSetFeature), 0u);
        EXPECT_TRUE(adapter->InBootLoader());
        EXPECT_EQ(adapter->Version(), kOldVersion);
    }
    EXPECT_EQ(stepsAtTheCheck, (std::set<std::string>{"CurrentDirectory", "Open", "Seek", "Read"}));
    EXPECT_EQ(stepsAtTheDownload, (std::set<std::string>{"CurrentDirectory", "Open", "Length", "Read"}));
}

}  // namespace
