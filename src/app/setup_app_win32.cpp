#include "app/setup_app_win32.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/dialog_window_win32.h"
#include "app/paint_pump_clock_win32.h"
#include "app/program_name.h"
#include "app/resource.h"
#include "app/setup_dlg.h"
#include "platform/codepage.h"
#include "platform/file_system_win32.h"
#include "platform/process.h"

int CSetupApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    // The shell's folder browser needs a single-threaded apartment.
    const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    platform::Win32FileSystem files;
    PaintPumpClock clock;
    const std::string programName = ProgramNameFromPath(platform::ProgramFilePath());
    DialogWindow window(instance_, programName);
    CSetupDlg dlg(DialogServices{window, files, clock, platform::SystemCodePage(), programName});
    dlg.m_hIcon = ::LoadIconW(instance_, MAKEINTRESOURCEW(IDR_MAINFRAME));
    window.RunModal(dlg);

    if (SUCCEEDED(com)) ::CoUninitialize();
    return 0;
}
