// Finding the adapter among the present HID interfaces, and the registration for HID arrivals.
#include "adapter/adapter_state.h"
#include "app/setup_dlg.h"
#include "platform/system_error.h"

// The first interface with both IDs wins; interfaces that refuse a read-write open are passed over.
int CSetupDlg::FindAdapter(std::uint16_t vendorId, std::uint16_t productId) {
    g_hAdapter.reset();
    g_reportLen = {};
    if (!m_hidBus) return 0;

    for (const std::string& path : m_hidBus->PresentInterfaces()) {
        std::unique_ptr<platform::HidDevice> device = m_hidBus->Open(path);
        if (!device) continue;
        const platform::HidIdentity identity = device->Identity();
        if (identity.vendorId != vendorId || identity.productId != productId) continue;

        const platform::HidReportLengths lengths = device->ReportLengths();
        g_reportLen[kFeatureLength] = lengths.feature;
        g_reportLen[kInputLength] = lengths.input;
        g_reportLen[kOutputLength] = lengths.output;
        g_hAdapter = std::move(device);
        return 1;
    }
    return 0;
}

int CSetupDlg::RegisterArrivalNotification() {
    if (m_hidBus) {
        m_hDevNotify = m_hidBus->RegisterArrivals();
    } else {
        m_hDevNotify.reset();
        platform::SetLastSystemError(platform::GenericDeviceError());
    }
    if (!m_hDevNotify) {
        ReportSystemError();
        return 0;
    }
    return 1;
}
