// The dialog's life: initialisation, timer ticks and Exit. The window that shows the dialog (Win32 or the
// console) routes its events here.
#include "app/setup_dlg.h"

void CSetupDlg::OnInitDialog() {
    SetStatusText("");
    m_uvVersion = 0;
    m_caption = "Database Installer";
    m_view.SetTimer(kStartupTimer, 100);
}

void CSetupDlg::OnTimer(int id) {
    m_view.KillTimer(id);  // each timer fires once per start
    if (id == kStartupTimer) {
        DetectAdapter();
        if (LoadSetupScript() == 0) m_uvVersion = 0;
    } else if (id == kArrivalTimer) {
        OnArrivalTimer();
    }
}

void CSetupDlg::OnExit() {
    m_scriptLines.clear();
    m_scriptLines.shrink_to_fit();
    m_view.EndDialog(platform::kIdOk);
}
