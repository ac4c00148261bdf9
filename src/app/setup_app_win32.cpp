#include "app/setup_app_win32.h"

#include <commctrl.h>
#include <objbase.h>

#include <memory>

#include "adapter/adapter_state.h"
#include "adapter/simulated_adapter.h"
#include "app/command_runner.h"
#include "app/dialog_window_win32.h"
#include "app/paint_pump_clock_win32.h"
#include "app/program_name.h"
#include "app/resource.h"
#include "app/setup_dlg.h"
#include "platform/codepage.h"
#include "platform/file_system_win32.h"
#include "platform/hid_bus_win32.h"
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
    const std::uint16_t vendorId = options_.adapterVendorId.value_or(kDefaultAdapterVendorId);
    platform::Win32HidBus systemBus(clock);
    std::unique_ptr<SimulatedAdapter> simulatedAdapter;
    if (options_.simulateAdapter)
        simulatedAdapter = MakeSimulatedAdapter(*options_.simulateAdapter, vendorId, clock);
    platform::HidBus* hidBus = &systemBus;
    if (simulatedAdapter) hidBus = simulatedAdapter.get();

    DialogWindow window(instance_, programName);
    window.WatchArrivals(hidBus);
    if (options_.keilRoot) {
        // The folder given stands in for every choice in the folder browser.
        window.SetFolderBrowser([root = KeilRootFullPath(*options_.keilRoot)](const std::string&) {
            return platform::BrowseResult{platform::BrowseResult::Kind::kPath, root};
        });
    }
    {
        CSetupDlg dlg(DialogServices{.view = window,
                                     .files = files,
                                     .clock = clock,
                                     .codePage = platform::SystemCodePage(),
                                     .programName = programName,
                                     .hidBus = hidBus,
                                     .adapterVendorId = vendorId});
        dlg.m_hIcon = ::LoadIconW(instance_, MAKEINTRESOURCEW(IDR_MAINFRAME));
        window.RunModal(dlg);
    }
    ResetAdapterState();  // the adapter's handle is closed before its bus goes

    if (SUCCEEDED(com)) ::CoUninitialize();
    return 0;
}
