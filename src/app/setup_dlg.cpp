#include "app/setup_dlg.h"

#include "platform/system_error.h"

CSetupDlg::CSetupDlg(const DialogServices& services)
    : m_statusBar(services.view),
      m_progress(services.view),
      m_view(services.view),
      m_files(services.files),
      m_clock(services.clock),
      m_codePage(services.codePage),
      m_programName(services.programName),
      m_hidBus(services.hidBus),
      m_adapterVendorId(services.adapterVendorId) {}

void CSetupDlg::SetStatusText(const std::string& text) {
    m_statusBar.SetPaneText(0, text);
}

int CSetupDlg::ShowMessage(const std::string& text, const std::string& caption, platform::BoxStyle style) {
    return m_view.ShowMessage(text, caption, style);
}

// Must run right after the failed call: the text is that of the thread's last system error.
int CSetupDlg::ReportSystemError() {
    const std::string text = platform::SystemErrorText(platform::LastSystemError());
    ShowMessage(text, m_caption, platform::BoxStyle::kOkWarning);
    return 0;
}
