// The second half of the upgrade, run on the tick of timer 2 that a device arrival starts: find the boot
// loader, download the image through feature reports, check the adapter's checksum and restart it.
#include <algorithm>
#include <vector>

#include "adapter/adapter_protocol.h"
#include "adapter/adapter_state.h"
#include "adapter/status_texts.h"
#include "app/setup_dlg.h"
#include "platform/clock.h"

namespace {

constexpr std::uint32_t kInstallationWaitMs = 30000;
constexpr int kLoaderSearches = 50;
constexpr std::uint32_t kLoaderSearchPauseMs = 1000;

// A refused report ends the download.
int Refused(platform::HidDevice& device) {
    device.CancelPendingIo();
    return 0;
}

}  // namespace

int CSetupDlg::OnDeviceChange(std::uint32_t event) {
    // Any arrival counts, whatever the device: a burst of them restarts the timer, so one tick follows.
    if (event == kDeviceArrival) m_view.SetTimer(kArrivalTimer, kArrivalTimerMs);
    return 1;
}

void CSetupDlg::OnArrivalTimer() {
    const bool settled = m_hidBus == nullptr || m_hidBus->WaitForPendingInstallation(kInstallationWaitMs);
    if (!settled) {
        // The registration stays, so the next arrival tries again.
        m_adapterStage = AdapterStage::kInstallationPending;
        SetStatusText(kTextInstallationFailed);
        ShowMessage(kBoxInstallationFailed, kBoxInstallationFailedCaption, platform::BoxStyle::kOkError);
        return;
    }
    if (UpgradeAdapter() == 1 && LoadSetupScript() == 0) m_uvVersion = 0;
}

int CSetupDlg::UpgradeAdapter() {
    m_hDevNotify.reset();

    bool found = false;
    for (int search = 0; search < kLoaderSearches && !found; ++search) {
        found = FindAdapter(m_adapterVendorId, kBootLoaderProductId) == 1;
        if (!found) m_clock.Sleep(kLoaderSearchPauseMs);
    }
    if (!found) {
        m_adapterStage = AdapterStage::kLoaderNotFound;
        return 0;
    }

    if (DownloadFirmware() != 1) {
        m_adapterStage = AdapterStage::kDownloadFailed;  // the loader's handle stays open
        return 0;
    }
    if (ICE_Reset_to_AP() != 1) {
        m_adapterStage = AdapterStage::kResetRefused;
        ShowMessage(kBoxResetRefused, m_caption, platform::BoxStyle::kOk);
        return 0;
    }
    ICE_Close_Device();
    SetStatusText("");
    m_adapterStage = AdapterStage::kUpgraded;
    ShowMessage(kBoxUpgraded, m_caption, platform::BoxStyle::kOk);
    return 1;
}

// All reports share one buffer: each step writes only its own bytes, so the bytes behind a short last data
// report and behind the end report's fields repeat earlier image bytes, as the loader expects.
int CSetupDlg::DownloadFirmware() {
    const std::size_t featureLength = g_reportLen[kFeatureLength];
    if (!g_hAdapter || featureLength < kMinFeatureReportLength) return 0;
    platform::HidDevice& device = *g_hAdapter;

    const FirmwareImage image = LoadFirmwareImage();
    if (image.kind != FirmwareImage::Kind::kLoaded) return 0;
    const std::size_t length = image.bytes.size();

    std::vector<std::uint8_t> report(featureLength, 0);
    report[1] = kFeatureDownloadStart;
    report[5] = static_cast<std::uint8_t>(length >> 16);
    report[6] = static_cast<std::uint8_t>(length >> 8);
    report[7] = static_cast<std::uint8_t>(length);
    if (!device.SetFeatureReport(report)) return Refused(device);

    const std::size_t chunk = featureLength - 1;
    m_progress.SetRange(0, static_cast<std::uint16_t>(length / chunk));
    m_progress.SetStep(1);
    m_progress.SetPos(0);
    m_progress.ShowWindow(true);
    for (std::size_t offset = 0; offset < length;) {
        const std::size_t n = std::min(chunk, length - offset);
        std::copy_n(image.bytes.begin() + static_cast<std::ptrdiff_t>(offset), n, report.begin() + 1);
        if (!device.SetFeatureReport(report)) return Refused(device);  // the progress bar stays
        m_progress.StepIt();
        offset += n;
    }
    m_progress.ShowWindow(false);

    std::fill_n(report.begin(), 9, 0);
    report[1] = kFeatureDownloadEnd;
    report[7] = 2;
    if (!device.SetFeatureReport(report)) return Refused(device);

    report[0] = 0;
    if (!device.GetFeatureReport(report)) return Refused(device);
    const bool confirmed = report[1] == static_cast<std::uint8_t>(image.checksum >> 8) &&
                           report[2] == static_cast<std::uint8_t>(image.checksum);
    return confirmed ? 1 : 0;
}
