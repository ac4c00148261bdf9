// The start-up half of the firmware check: find the adapter, compare its version with the image's, and
// send it into its boot loader when they differ.
#include "adapter/adapter_protocol.h"
#include "adapter/adapter_state.h"
#include "adapter/status_texts.h"
#include "app/setup_dlg.h"
#include "platform/clock.h"

namespace {
constexpr std::uint32_t kSettleMs = 500;
}  // namespace

int CSetupDlg::DetectAdapter() {
    SetStatusText(kTextDetecting);
    m_clock.Sleep(kSettleMs);
    if (FindAdapter(m_adapterVendorId, kApplicationProductId) != 1) {
        SetStatusText(kTextNotFound);
        m_adapterStage = AdapterStage::kNotFound;
        return 0;
    }

    SetStatusText(kTextChecking);
    const int check = CheckFirmwareVersion();
    if (check == kVersionQueryFailed) {
        ICE_Close_Device();
        SetStatusText(kTextNoVersionAnswer);
        return check;
    }
    if (check != 0) {
        SetStatusText("");  // the application's handle stays open
        return check;
    }

    m_clock.Sleep(kSettleMs);
    SetStatusText(kTextUpdating);
    // Without the registration the boot loader's arrival would go unheard and the adapter would stay in its
    // loader with nothing to bring it back: it keeps running its application instead.
    if (RegisterArrivalNotification() != 1) {
        ICE_Close_Device();
        SetStatusText(kTextInstallationFailed);
        m_adapterStage = AdapterStage::kNoArrivalNotice;
        return 0;
    }
    ResetToLoader();
    ICE_Close_Device();
    m_adapterStage = AdapterStage::kWaitingForLoader;
    return 0;
}

// A query that failed ends the check: taking the untouched answer buffer for the adapter's version would
// start an upgrade of an adapter that may be current.
int CSetupDlg::CheckFirmwareVersion() {
    const std::uint8_t keptCode = g_cmdCode;
    g_cmdCode = kCmdVersionQuery;
    g_cmdLen = 2;
    const bool answered = SendAdapterCommand() != 0 && ReadAdapterResponse() == 1;
    g_cmdCode = keptCode;
    if (!answered) {
        m_adapterStage = AdapterStage::kQueryFailed;
        return kVersionQueryFailed;
    }

    const ImageTrailer trailer = ReadImageTrailer();
    switch (trailer.kind) {
        case ImageTrailer::Kind::kOpenFailed:
            m_adapterStage = AdapterStage::kImageUnreadable;
            return -1;
        case ImageTrailer::Kind::kNoVersion:
            m_adapterStage = AdapterStage::kNoImageVersion;
            return 1;
        case ImageTrailer::Kind::kVersion:
            break;
    }
    if (g_cmdData[0] == trailer.version[0] && g_cmdData[1] == trailer.version[1]) {
        m_adapterStage = AdapterStage::kCurrent;
        return 1;
    }
    return 0;
}
