// The dialog from its start to its end as a user works it, under Wine's X display: Browse (the folder browser
// stood in for), Install and Uninstall in a copy of the sample Keil tree with every message box read and
// answered, the About box, and a firmware upgrade of a simulated adapter whose arrival reaches the window as
// a device-change message, with the progress bar caught in the middle of the download.
#include "platform/hid_headers_win32.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "adapter/adapter_ids.h"
#include "adapter/simulated_adapter.h"
#include "app/resource.h"
#include "platform/wide_text_win32.h"
#include "support/dialog_harness_win32.h"
#include "support/recording_hid_bus.h"
#include "support/screenshot_win32.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const fs::path kExamples = fs::path(INSTALLER_SOURCE_DIR) / "examples";
const std::wstring kBoxCaption = L"Database Installer";

void Screenshot(HWND window, const std::string& name) {
    fs::create_directories(fs::path(INSTALLER_SCREENSHOT_DIR));
    SaveWindowScreenshot(window, INSTALLER_SCREENSHOT_DIR, name);
}

// What the dialog shows of its state: the status text, the Keil root, the two action buttons.
struct DialogState {
    std::wstring status;
    std::wstring root;
    std::wstring install;
    bool installEnabled = false;
    std::wstring uninstall = L"&Uninstall";
    bool uninstallEnabled = false;
    bool progressVisible = false;
};

bool operator==(const DialogState& a, const DialogState& b) {
    return a.status == b.status && a.root == b.root && a.install == b.install &&
           a.installEnabled == b.installEnabled && a.uninstall == b.uninstall &&
           a.uninstallEnabled == b.uninstallEnabled && a.progressVisible == b.progressVisible;
}

void PrintTo(const DialogState& s, std::ostream* os) {
    *os << "{status \"" << Narrow(s.status) << "\", root \"" << Narrow(s.root) << "\", 1000 \""
        << Narrow(s.install) << "\" " << (s.installEnabled ? "enabled" : "disabled") << ", 1001 \""
        << Narrow(s.uninstall) << "\" " << (s.uninstallEnabled ? "enabled" : "disabled") << ", progress "
        << (s.progressVisible ? "shown" : "hidden") << "}";
}

// Read on the dialog's thread, once the event before has been handled to its end.
DialogState ReadState(DialogHarness& harness) {
    DialogState state;
    harness.Send([&] {
        state.status = StatusBarText(harness.Control(IDW_STATUS_BAR));
        state.root = WindowText(harness.Control(IDC_KEIL_ROOT));
        state.install = WindowText(harness.Control(IDC_INSTALL));
        state.installEnabled = ::IsWindowEnabled(harness.Control(IDC_INSTALL)) != FALSE;
        state.uninstall = WindowText(harness.Control(IDC_UNINSTALL));
        state.uninstallEnabled = ::IsWindowEnabled(harness.Control(IDC_UNINSTALL)) != FALSE;
        state.progressVisible = ::IsWindowVisible(harness.Control(IDC_PROGRESS)) != FALSE;
    });
    return state;
}

// Answers the message box with that caption with OK; what it showed.
ShownWindow AnswerBox(DialogHarness& harness, const std::wstring& caption = kBoxCaption, int patience = 10) {
    ShownWindow box;
    if (!harness.WaitForWindow(caption, box, patience)) return box;
    DialogHarness::Click(box.window, IDOK);
    harness.WaitUntilGone(caption);
    return box;
}

// The messages the dialog's thread sends to its windows that tell what the user saw: every text given to
// the status bar, and every device-change message that reached the dialog.
class MessageRecorder {
  public:
    struct DeviceChange {
        WPARAM event;
        DWORD deviceType;  // of the record the message carries, 0 without one
        GUID classGuid;
    };

    MessageRecorder() {
        statusTexts_.clear();
        deviceChanges_.clear();
        hook_ = ::SetWindowsHookExW(WH_CALLWNDPROC, Record, nullptr, ::GetCurrentThreadId());
    }
    ~MessageRecorder() {
        if (hook_ != nullptr) ::UnhookWindowsHookEx(hook_);
    }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const std::vector<std::wstring>& StatusTexts() const { return statusTexts_; }
    const std::vector<DeviceChange>& DeviceChanges() const { return deviceChanges_; }

  private:
    static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HC_ACTION) {
            const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
            if (call->message == SB_SETTEXTW && ::GetDlgCtrlID(call->hwnd) == IDW_STATUS_BAR) {
                statusTexts_.emplace_back(reinterpret_cast<const wchar_t*>(call->lParam));
            } else if (call->message == WM_DEVICECHANGE) {
                DeviceChange change{call->wParam, 0, {}};
                if (const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(call->lParam)) {
                    change.deviceType = header->dbch_devicetype;
                    if (header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE)
                        change.classGuid =
                            reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_A*>(header)->dbcc_classguid;
                }
                deviceChanges_.push_back(change);
            }
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    static inline std::vector<std::wstring> statusTexts_;
    static inline std::vector<DeviceChange> deviceChanges_;
    HHOOK hook_ = nullptr;
};

class DialogSession : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!DialogHarness::WindowsAvailable()) GTEST_SKIP() << "no display to show windows on";
        fs::copy(kExamples / "distribution", scratch / "dist", fs::copy_options::recursive);
        fs::copy(kExamples / "keil-uv3", scratch / "keil", fs::copy_options::recursive);
        fs::current_path(scratch / "dist");
    }

    INT_PTR Run(DialogHarness& harness, const std::function<void()>& scenario) {
        const INT_PTR result = harness.Run(scenario);
        for (const auto& problem : harness.Problems()) ADD_FAILURE() << problem;
        return result;
    }

    std::string KeilRoot() const { return (scratch / "keil").string(); }
    std::string Dist() const { return (scratch / "dist").string(); }

    WorkingDirectoryGuard guard;
    TempDir scratch;
};

const std::string kDriverLine = "TDRV3=BIN\\TRELVOROCD.DLL (\"Trelvor 8051 ICE Driver\")";

TEST_F(DialogSession, BrowseInstallUninstallAndAbout) {
    DialogHarness harness;
    std::vector<std::string> browserTitles;
    harness.window.SetFolderBrowser([&](const std::string& title) {
        browserTitles.push_back(title);
        return platform::BrowseResult{platform::BrowseResult::Kind::kPath, KeilRoot()};
    });
    DialogState started, chosen, installed, uninstalled;
    ShownWindow installedBox, uninstalledBox, about;
    bool installedFiles = false;
    std::string toolsIniInstalled;
    fs::path folderAfterInstall;
    const INT_PTR result = Run(harness, [&] {
        if (!harness.WaitOnDialogThread([&] { return harness.dlg.ScriptLoaded(); }))
            return harness.Fail("the script was not loaded");
        started = ReadState(harness);

        DialogHarness::Click(harness.Dialog(), IDC_BROWSE);
        if (!harness.WaitOnDialogThread([&] { return !harness.dlg.KeilRoot().empty(); }))
            return harness.Fail("Browse did not fill the root");
        chosen = ReadState(harness);
        Screenshot(harness.Dialog(), "session-root-chosen.png");

        DialogHarness::Click(harness.Dialog(), IDC_INSTALL);
        installedBox = AnswerBox(harness);
        installed = ReadState(harness);
        installedFiles = scratch.Exists("keil/C51/BIN/TRELVOROCD.DLL") &&
                         scratch.Exists("keil/C51/INC/TRELVOR/TRELVOR8051.H") &&
                         scratch.Exists("keil/C51/HLP/TRELVORICE.TXT") &&
                         scratch.Exists("keil/UV3/TRELVOR.CDB");
        toolsIniInstalled = scratch.Read("keil/TOOLS.INI");
        harness.Send([&] { folderAfterInstall = fs::current_path(); });
        Screenshot(harness.Dialog(), "session-installed.png");

        DialogHarness::Click(harness.Dialog(), IDC_UNINSTALL);
        uninstalledBox = AnswerBox(harness);
        uninstalled = ReadState(harness);

        ::PostMessageW(harness.Dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        about = AnswerBox(harness, L"關於 Setup");
        DialogHarness::Click(harness.Dialog(), IDC_EXIT);
    });

    const std::wstring root = platform::WideFromText(KeilRoot());
    EXPECT_EQ(started, (DialogState{L"Trelvor 8051 ICE adapter is not found !", L"", L"&Install", false,
                                    L"&Uninstall", false}));
    EXPECT_EQ(browserTitles, (std::vector<std::string>{"Choose a folder where keil C is installed"}));
    EXPECT_EQ(chosen, (DialogState{L"", root, L"&Install", true, L"&Uninstall", false}));

    EXPECT_EQ(installedBox.texts, (std::vector<std::wstring>{L"Database is installed successfully !"}));
    EXPECT_EQ(installedBox.icon, nullptr);
    ASSERT_EQ(installedBox.buttons.size(), 1u);
    EXPECT_EQ(installedBox.buttons[0].first, IDOK);
    EXPECT_EQ(installed, (DialogState{L"", root, L"&Reinstall", true, L"&Uninstall", true}));
    EXPECT_TRUE(installedFiles);
    EXPECT_NE(toolsIniInstalled.find(kDriverLine + "\r\n"), std::string::npos) << toolsIniInstalled;
    EXPECT_EQ(folderAfterInstall, fs::path(Dist()));

    EXPECT_EQ(uninstalledBox.texts, (std::vector<std::wstring>{L"Database is un-installed successfully !"}));
    EXPECT_EQ(uninstalledBox.icon, nullptr);
    EXPECT_EQ(uninstalled, (DialogState{L"", root, L"&Install", true, L"&Uninstall", false}));
    EXPECT_FALSE(scratch.Exists("keil/C51/BIN/TRELVOROCD.DLL"));
    EXPECT_EQ(scratch.Read("keil/TOOLS.INI").find(kDriverLine), std::string::npos);

    EXPECT_EQ(about.texts, (std::vector<std::wstring>{L"Trelvor 8051 Database Installer", L"Version 2.21",
                                                      L"Keil μVision2 / μVision3"}));
    EXPECT_EQ(about.buttons, (std::vector<std::pair<int, std::wstring>>{{IDOK, L"確定"}}));
    EXPECT_EQ(result, IDOK);
}

// A file error raised out of a button's handler (TOOLS.INI cannot be put in place while another program holds
// it open) is reported by the dialog's dispatch: stop icon, the program name as caption, and the rest of the
// pass does not run (no result box, the buttons as they were).
TEST_F(DialogSession, FileErrorRaisedByInstallIsReportedByTheDispatch) {
    DialogHarness harness;
    harness.window.SetFolderBrowser([&](const std::string&) {
        return platform::BrowseResult{platform::BrowseResult::Kind::kPath, KeilRoot()};
    });
    const std::string toolsIni = KeilRoot() + "\\TOOLS.INI";
    // Another program reads it and lets others read and write it, but not delete or replace it.
    const HANDLE reader = ::CreateFileA(toolsIni.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    const std::string before = scratch.Read("keil/TOOLS.INI");
    ShownWindow raised;
    DialogState after;
    bool anotherBox = true;
    Run(harness, [&] {
        if (!harness.WaitOnDialogThread([&] { return harness.dlg.ScriptLoaded(); }))
            return harness.Fail("the script was not loaded");
        DialogHarness::Click(harness.Dialog(), IDC_BROWSE);
        if (!harness.WaitOnDialogThread([&] { return !harness.dlg.KeilRoot().empty(); }))
            return harness.Fail("Browse did not fill the root");
        DialogHarness::Click(harness.Dialog(), IDC_INSTALL);
        raised = AnswerBox(harness, L"Setup");
        after = ReadState(harness);
        harness.Send([&] { anotherBox = ::FindWindowW(nullptr, kBoxCaption.c_str()) != nullptr; });
        DialogHarness::Click(harness.Dialog(), IDC_EXIT);
    });
    ::CloseHandle(reader);

    // The move that puts the new file in place is refused; the raised error carries no file name.
    EXPECT_EQ(raised.texts, (std::vector<std::wstring>{L"存取 未命名檔案 遭受拒絕."}));
    EXPECT_EQ(raised.icon, ::LoadIconW(nullptr, MAKEINTRESOURCEW(32513)));  // IDI_HAND
    EXPECT_FALSE(anotherBox);
    const std::wstring root = platform::WideFromText(KeilRoot());
    EXPECT_EQ(after, (DialogState{L"", root, L"&Install", true, L"&Uninstall", false}));
    EXPECT_EQ(scratch.Read("keil/TOOLS.INI"), before);
}

// The upgrade with a simulated adapter one version behind the sample image: the start-up check sends it into
// its boot loader, its arrival reaches the window as a device-change message for a HID interface, timer 2's
// tick searches the loader (which hides from the first two searches), downloads the image with the progress
// bar and restarts the adapter. The waits and the download keep repainting; clicks and keys that come
// meanwhile are not acted on.
TEST_F(DialogSession, AdapterUpgradeWithTheProgressBarMidDownload) {
    PaintPumpClock adapterClock;
    const std::unique_ptr<SimulatedAdapter> adapter = MakeSimulatedAdapter(
        "version=2.20,detach-ms=300,reset-ms=300,after=2", kDefaultAdapterVendorId, adapterClock);
    ASSERT_TRUE(adapter);
    RecordingHidBus bus(*adapter);
    DialogHarness harness("Setup", &bus);

    // Run on the dialog's thread, inside the upgrade.
    bool repaintedDuringSearches = false;
    bool repaintedDuringDownload = false;
    DialogState midDownload;
    LRESULT midPosition = -1;
    LRESULT progressTop = -1;
    int featureReports = 0;
    const auto control = [&](int id) { return ::GetDlgItem(harness.window.Handle(), id); };
    std::atomic<bool> waitingForLoader = false;
    std::atomic<bool> inputSent = false;
    bool inputSentDuringTheWaits = false;
    bus.beforeSearch = [&](int search) {
        // Search 1 is the start-up's; 2 and 3 miss the boot loader, each followed by a second's wait.
        if (search == 2) {
            ::InvalidateRect(control(IDC_BROWSE), nullptr, TRUE);
            waitingForLoader = true;
        }
        if (search == 4) {
            repaintedDuringSearches = ::GetUpdateRect(control(IDC_BROWSE), nullptr, FALSE) == FALSE;
            inputSentDuringTheWaits = inputSent;
        }
    };
    bus.afterTransfer = [&](const HidTransfer& transfer) {
        if (transfer.kind != HidTransfer::Kind::kSetFeature) return;
        ++featureReports;  // 1 the start report, 2 to 130 the data reports
        if (featureReports == 10) ::InvalidateRect(control(IDC_BROWSE), nullptr, TRUE);
        if (featureReports == 65) {
            repaintedDuringDownload = ::GetUpdateRect(control(IDC_BROWSE), nullptr, FALSE) == FALSE;
            const HWND progress = control(IDC_PROGRESS);
            midDownload.progressVisible = ::IsWindowVisible(progress) != FALSE;
            midDownload.status = StatusBarText(control(IDW_STATUS_BAR));
            midPosition = ::SendMessageW(progress, PBM_GETPOS, 0, 0);
            progressTop = ::SendMessageW(progress, PBM_GETRANGE, FALSE, 0);
            Screenshot(harness.window.Handle(), "download.png");
        }
    };

    const MessageRecorder recorder;
    ShownWindow upgradedBox;
    DialogState afterUpgrade;
    bool stillOpen = false;
    bool scriptReloaded = false;
    const INT_PTR result = Run(harness, [&] {
        // The user clicks Exit and presses Escape while the upgrade waits for the boot loader.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!waitingForLoader && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const HWND exit = harness.Control(IDC_EXIT);
        ::PostMessageW(exit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        ::PostMessageW(exit, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        ::PostMessageW(exit, WM_KEYDOWN, VK_ESCAPE, 0);
        inputSent = true;

        upgradedBox = AnswerBox(harness, kBoxCaption, 60);
        if (!harness.WaitOnDialogThread(
                [&] { return harness.dlg.m_adapterStage == AdapterStage::kUpgraded; }))
            return harness.Fail("the upgrade did not end");
        afterUpgrade = ReadState(harness);
        stillOpen = ::IsWindowVisible(harness.Dialog()) != FALSE;
        harness.Send([&] { scriptReloaded = harness.dlg.ScriptLoaded() && harness.dlg.m_uvVersion == 0; });
        DialogHarness::Click(harness.Dialog(), IDC_EXIT);
    });

    EXPECT_EQ(upgradedBox.texts, (std::vector<std::wstring>{L"ICE adapter is upgraded !"}));
    EXPECT_EQ(upgradedBox.icon, nullptr);
    EXPECT_EQ(adapter->Version(), (FirmwareVersion{0x02, 0x15}));
    EXPECT_FALSE(adapter->InBootLoader());

    // The boot loader's arrival came to the window as the system sends it.
    ASSERT_GE(recorder.DeviceChanges().size(), 1u);
    GUID hidClass;
    ::HidD_GetHidGuid(&hidClass);
    const auto& arrival = recorder.DeviceChanges().front();
    EXPECT_EQ(arrival.event, static_cast<WPARAM>(DBT_DEVICEARRIVAL));
    EXPECT_EQ(arrival.deviceType, static_cast<DWORD>(DBT_DEVTYP_DEVICEINTERFACE));
    EXPECT_TRUE(::IsEqualGUID(arrival.classGuid, hidClass));

    // The status bar is made empty, and emptied again by the dialog's initialisation.
    EXPECT_EQ(recorder.StatusTexts(),
              (std::vector<std::wstring>{L"", L"", L"Detect if Trelvor ICE adapter is exist...",
                                         L"Check firmware version...",
                                         L"Update firmware version, please wait for a while.", L""}));

    EXPECT_TRUE(midDownload.progressVisible);
    EXPECT_EQ(midDownload.status, L"Update firmware version, please wait for a while.");
    EXPECT_EQ(progressTop, 128);  // 8202 bytes in reports of 64
    EXPECT_GT(midPosition, 0);
    EXPECT_LT(midPosition, progressTop);
    EXPECT_TRUE(repaintedDuringSearches);
    EXPECT_TRUE(inputSentDuringTheWaits);
    EXPECT_TRUE(repaintedDuringDownload);

    EXPECT_FALSE(afterUpgrade.progressVisible);
    EXPECT_EQ(afterUpgrade.status, L"");
    EXPECT_TRUE(scriptReloaded);
    EXPECT_TRUE(stillOpen) << "a click or key during the upgrade ended the dialog";
    EXPECT_EQ(result, IDOK);
}

}  // namespace
