// The dialog on the screen (under Wine: in the X display that the test run starts): the template's controls,
// the status bar, the system menu and the About box, the start-up tick, the ways the dialog ends, the
// device-change hook, and what the dialog logic's view operations do to the real controls.
#include "app/dialog_window_win32.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <dbt.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <map>
#include <thread>

#include "app/resource.h"
#include "platform/hid_bus_win32.h"
#include "support/dialog_harness_win32.h"
#include "support/screenshot_win32.h"
#include "support/temp_dir.h"

namespace {

const std::wstring kDialogCaption = L"Trelvor 8051 Database Installer";

void Screenshot(HWND window, const std::string& name) {
    std::filesystem::create_directories(std::filesystem::path(INSTALLER_SCREENSHOT_DIR));
    SaveWindowScreenshot(window, INSTALLER_SCREENSHOT_DIR, name);
}

class DialogWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!DialogHarness::WindowsAvailable()) GTEST_SKIP() << "no display to show windows on";
        std::filesystem::current_path(work.path());
    }
    void TearDown() override {
        for (const auto& problem : problems) ADD_FAILURE() << problem;
    }

    // Runs the dialog with scenario as the user; the dialog's result.
    INT_PTR Run(DialogHarness& harness, const std::function<void()>& scenario) {
        const INT_PTR result = harness.Run(scenario);
        problems = harness.Problems();
        return result;
    }

    WorkingDirectoryGuard guard;
    TempDir work;
    std::vector<std::string> problems;
};

struct ControlState {
    std::wstring text;
    bool enabled = false;
    bool visible = false;
    RECT placed{};    // where it is, in client pixels
    RECT expected{};  // where the template puts it, in dialog units mapped to pixels
};

// Positions and sizes of the controls in dialog units: x, y, width, height.
const std::map<int, RECT> kTemplateRects = {
    {IDC_INSTALL, {181, 15, 47, 16}}, {IDC_UNINSTALL, {181, 35, 47, 16}}, {IDC_EXIT, {181, 55, 47, 16}},
    {IDC_BROWSE, {15, 25, 47, 15}},   {IDC_KEIL_ROOT, {15, 47, 155, 15}}, {IDC_PROGRESS, {0, 82, 237, 11}},
};

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST_F(DialogWindowTest, StartsAsTheTemplateSaysAndLoadsTheScriptOnTheFirstTick) {
    work.Write("Setup.ini", "[FILE]\r\nA=1\r\n");
    // The HID devices are those of Wine's own HID stack.
    PaintPumpClock busClock;
    platform::Win32HidBus systemBus(busClock);
    DialogHarness harness("Setup", &systemBus);
    std::wstring caption;
    LONG_PTR dialogStyle = 0;
    std::map<int, LONG_PTR> styles;
    std::map<int, ControlState> controls;
    std::wstring statusClass;
    std::wstring statusText = L"(none)";
    int statusParts = 0;
    bool statusAlongTheBottom = false;
    std::wstring aboutItem;
    UINT itemBeforeAbout = 0;
    bool iconsSet = false;
    LRESULT dragIcon = 0;
    const INT_PTR result = Run(harness, [&] {
        if (!harness.WaitOnDialogThread([&] { return harness.dlg.ScriptLoaded(); }))
            return harness.Fail("the script was not loaded");
        const HWND dialog = harness.Dialog();
        caption = WindowText(dialog);
        dialogStyle = ::GetWindowLongPtrW(dialog, GWL_STYLE);
        for (const auto& [id, units] : kTemplateRects) {
            const HWND control = harness.Control(id);
            styles[id] = ::GetWindowLongPtrW(control, GWL_STYLE);
            ControlState& state = controls[id];
            state = {WindowText(control), ::IsWindowEnabled(control) != FALSE,
                     ::IsWindowVisible(control) != FALSE};
            ::GetWindowRect(control, &state.placed);
            ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&state.placed), 2);
            // The dialog manager maps the position and the size each on its own.
            RECT mapped = units;
            ::MapDialogRect(dialog, &mapped);
            state.expected = {mapped.left, mapped.top, mapped.left + mapped.right,
                              mapped.top + mapped.bottom};
        }
        const HWND statusBar = harness.Control(IDW_STATUS_BAR);
        wchar_t className[64] = {};
        ::GetClassNameW(statusBar, className, 64);
        statusClass = className;
        statusText = StatusBarText(statusBar);
        statusParts = static_cast<int>(::SendMessageW(statusBar, SB_GETPARTS, 0, 0));
        RECT client{};
        RECT bar{};
        ::GetClientRect(dialog, &client);
        ::GetWindowRect(statusBar, &bar);
        ::MapWindowPoints(HWND_DESKTOP, dialog, reinterpret_cast<POINT*>(&bar), 2);
        statusAlongTheBottom = bar.bottom == client.bottom && bar.left == 0 && bar.right == client.right;

        const HMENU systemMenu = ::GetSystemMenu(dialog, FALSE);
        const int count = ::GetMenuItemCount(systemMenu);
        wchar_t item[64] = {};
        ::GetMenuStringW(systemMenu, IDM_ABOUTBOX, item, 64, MF_BYCOMMAND);
        aboutItem = item;
        itemBeforeAbout = ::GetMenuState(systemMenu, static_cast<UINT>(count - 2), MF_BYPOSITION);
        iconsSet = ::SendMessageW(dialog, WM_GETICON, ICON_BIG, 0) != 0 &&
                   ::SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0) != 0;
        dragIcon = ::SendMessageW(dialog, WM_QUERYDRAGICON, 0, 0);
        Screenshot(dialog, "main-dialog.png");
        DialogHarness::Click(dialog, IDC_EXIT);
    });

    EXPECT_EQ(caption, kDialogCaption);
    // Modal frame, caption bar with system menu, no minimise or maximise box.
    EXPECT_EQ(dialogStyle & (DS_MODALFRAME | WS_CAPTION | WS_SYSMENU),
              DS_MODALFRAME | WS_CAPTION | WS_SYSMENU);
    EXPECT_EQ(dialogStyle & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(styles[IDC_INSTALL] & BS_TYPEMASK, BS_DEFPUSHBUTTON);
    EXPECT_EQ(styles[IDC_UNINSTALL] & BS_TYPEMASK, BS_PUSHBUTTON);
    EXPECT_EQ(styles[IDC_KEIL_ROOT] & (ES_READONLY | ES_AUTOHSCROLL), ES_READONLY | ES_AUTOHSCROLL);
    EXPECT_EQ(styles[IDC_PROGRESS] & PBS_SMOOTH, PBS_SMOOTH);
    EXPECT_EQ(controls[IDC_INSTALL].text, L"&Install");
    EXPECT_FALSE(controls[IDC_INSTALL].enabled);
    EXPECT_EQ(controls[IDC_UNINSTALL].text, L"&Uninstall");
    EXPECT_FALSE(controls[IDC_UNINSTALL].enabled);
    EXPECT_EQ(controls[IDC_EXIT].text, L"E&xit");
    EXPECT_TRUE(controls[IDC_EXIT].enabled);
    EXPECT_EQ(controls[IDC_BROWSE].text, L"&Browse");
    EXPECT_TRUE(controls[IDC_BROWSE].enabled);
    EXPECT_EQ(controls[IDC_KEIL_ROOT].text, L"");
    EXPECT_TRUE(controls[IDC_KEIL_ROOT].enabled);
    EXPECT_FALSE(controls[IDC_PROGRESS].visible);
    for (const auto& [id, state] : controls)
        EXPECT_TRUE(SameRect(state.placed, state.expected)) << "control " << id;

    EXPECT_EQ(statusClass, STATUSCLASSNAMEW);
    EXPECT_EQ(statusParts, 1);
    EXPECT_TRUE(statusAlongTheBottom);
    // Wine's HID stack has no adapter: the start-up check says so before the script loads.
    EXPECT_EQ(statusText, L"Trelvor 8051 ICE adapter is not found !");

    EXPECT_EQ(aboutItem, L"關於 Setup(&A)...");
    EXPECT_NE(itemBeforeAbout & MF_SEPARATOR, 0u);
    EXPECT_TRUE(iconsSet);
    EXPECT_EQ(dragIcon, reinterpret_cast<LRESULT>(harness.dlg.m_hIcon));

    // Exit empties the list and ends with IDOK.
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(harness.dlg.m_scriptLines.empty());
}

struct CancelCase {
    const char* name;
    std::function<void(DialogHarness&)> act;
};

void PrintTo(const CancelCase& c, std::ostream* os) {
    *os << c.name;
}

class DialogCancel : public DialogWindowTest, public ::testing::WithParamInterface<CancelCase> {};

// Escape and the close box end the dialog through Cancel, and the list stays as it was.
TEST_P(DialogCancel, EndsWithCancelAndKeepsTheList) {
    work.Write("Setup.ini", "[FILE]\r\n");
    DialogHarness harness;
    const INT_PTR result = Run(harness, [&] {
        if (!harness.WaitOnDialogThread([&] { return harness.dlg.ScriptLoaded(); }))
            return harness.Fail("the script was not loaded");
        GetParam().act(harness);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(harness.dlg.m_scriptLines, (std::vector<std::string>{"[FILE]", ""}));
}

INSTANTIATE_TEST_SUITE_P(
    Ways, DialogCancel,
    ::testing::Values(
        CancelCase{"EscapeKey",
                   [](DialogHarness& h) { ::PostMessageW(h.Control(IDC_EXIT), WM_KEYDOWN, VK_ESCAPE, 0); }},
        CancelCase{"CloseBox",
                   [](DialogHarness& h) { ::PostMessageW(h.Dialog(), WM_SYSCOMMAND, SC_CLOSE, 0); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(DialogWindowTest, AboutBoxOpensFromTheSystemMenu) {
    work.Write("Setup.ini", "[FILE]\r\n");
    DialogHarness harness;
    ShownWindow about;
    bool goneAgain = false;
    Run(harness, [&] {
        if (!harness.WaitOnDialogThread([&] { return harness.dlg.ScriptLoaded(); }))
            return harness.Fail("the script was not loaded");
        ::PostMessageW(harness.Dialog(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        if (!harness.WaitForWindow(L"關於 Setup", about)) return;
        Screenshot(about.window, "about-box.png");
        DialogHarness::Click(about.window, IDOK);
        goneAgain = harness.WaitUntilGone(L"關於 Setup");
        DialogHarness::Click(harness.Dialog(), IDC_EXIT);
    });
    EXPECT_EQ(about.texts, (std::vector<std::wstring>{L"Trelvor 8051 Database Installer", L"Version 2.21",
                                                      L"Keil μVision2 / μVision3"}));
    EXPECT_EQ(about.buttons, (std::vector<std::pair<int, std::wstring>>{{IDOK, L"確定"}}));
    EXPECT_NE(about.icon, nullptr);
    EXPECT_TRUE(goneAgain);
}

// The script is missing: the box has no icon, the dialog's caption for boxes and the full file name.
TEST_F(DialogWindowTest, MissingScriptIsReportedInABoxOnTheFirstTick) {
    DialogHarness harness;
    ShownWindow box;
    Run(harness, [&] {
        if (!harness.WaitForWindow(L"Database Installer", box)) return;
        Screenshot(box.window, "script-missing.png");
        DialogHarness::Click(box.window, IDOK);
        harness.WaitUntilGone(L"Database Installer");
        DialogHarness::Click(harness.Dialog(), IDC_EXIT);
    });
    EXPECT_EQ(box.texts,
              (std::vector<std::wstring>{L"沒有找到 " + work.path().wstring() + L"\\Setup.ini ."}));
    EXPECT_EQ(box.icon, nullptr);
    EXPECT_EQ(box.buttons.size(), 1u);
}

struct BoxStyleCase {
    platform::BoxStyle style;
    int systemIcon;  // the system icon's resource number (IDI_...), 0 for none
};

class DialogBoxStyles : public DialogWindowTest, public ::testing::WithParamInterface<BoxStyleCase> {};

TEST_P(DialogBoxStyles, ShowMessageShowsTheStylesIcon) {
    work.Write("Setup.ini", "[FILE]\r\n");
    DialogHarness harness;
    ShownWindow box;
    int answer = 0;
    Run(harness, [&] {
        if (!harness.WaitOnDialogThread([&] { return harness.dlg.ScriptLoaded(); }))
            return harness.Fail("the script was not loaded");
        harness.Post(
            [&] { answer = harness.window.ShowMessage("已完成", "Database Installer", GetParam().style); });
        if (!harness.WaitForWindow(L"Database Installer", box)) return;
        DialogHarness::Click(box.window, IDOK);
        harness.WaitUntilGone(L"Database Installer");
        DialogHarness::Click(harness.Dialog(), IDC_EXIT);
    });
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(box.texts, (std::vector<std::wstring>{L"已完成"}));
    const int icon = GetParam().systemIcon;
    const HICON expected = icon != 0 ? ::LoadIconW(nullptr, MAKEINTRESOURCEW(icon)) : nullptr;
    EXPECT_EQ(box.icon, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Styles, DialogBoxStyles,
    ::testing::Values(BoxStyleCase{platform::BoxStyle::kOk, 0},
                      BoxStyleCase{platform::BoxStyle::kOkInformation, 32516},  // IDI_ASTERISK
                      BoxStyleCase{platform::BoxStyle::kOkWarning, 32515},      // IDI_EXCLAMATION
                      BoxStyleCase{platform::BoxStyle::kOkError, 32513}));      // IDI_HAND

// What the dialog logic does through its view shows on the real controls.
TEST_F(DialogWindowTest, ViewOperationsReachTheControls) {
    work.Write("Setup.ini", "[FILE]\r\n");
    DialogHarness harness;
    std::wstring status;
    std::wstring root;
    std::string rootReadBack;
    std::wstring installCaption;
    bool installEnabled = false;
    bool progressVisible = false;
    LRESULT progressPos = 0;
    LRESULT progressUpper = 0;
    bool statusBarBeneathProgress = false;
    Run(harness, [&] {
        if (!harness.WaitOnDialogThread([&] { return harness.dlg.ScriptLoaded(); }))
            return harness.Fail("the script was not loaded");
        DialogWindow& view = harness.window;
        harness.Send([&] {
            view.SetStatusText("正在下載 Trelvor.dat");
            view.SetControlText(IDC_KEIL_ROOT, "C:\\Keil");
            view.SetControlText(IDC_INSTALL, "&Reinstall");
            view.EnableControl(IDC_INSTALL, true);
            view.SetProgressRange(0, 128);
            view.SetProgressStep(1);
            view.SetProgressPos(63);
            view.StepProgress();
            view.ShowProgress(true);
            rootReadBack = view.GetControlText(IDC_KEIL_ROOT);
        });
        status = StatusBarText(harness.Control(IDW_STATUS_BAR));
        root = WindowText(harness.Control(IDC_KEIL_ROOT));
        installCaption = WindowText(harness.Control(IDC_INSTALL));
        installEnabled = ::IsWindowEnabled(harness.Control(IDC_INSTALL)) != FALSE;
        const HWND progress = harness.Control(IDC_PROGRESS);
        progressVisible = ::IsWindowVisible(progress) != FALSE;
        progressPos = ::SendMessageW(progress, PBM_GETPOS, 0, 0);
        progressUpper = ::SendMessageW(progress, PBM_GETRANGE, FALSE, 0);
        for (HWND below = ::GetWindow(progress, GW_HWNDNEXT); below != nullptr;
             below = ::GetWindow(below, GW_HWNDNEXT))
            if (below == harness.Control(IDW_STATUS_BAR)) statusBarBeneathProgress = true;
        Screenshot(harness.Dialog(), "progress.png");
        DialogHarness::Click(harness.Dialog(), IDC_EXIT);
    });
    EXPECT_EQ(status, L"正在下載 Trelvor.dat");
    EXPECT_EQ(root, L"C:\\Keil");
    EXPECT_EQ(rootReadBack, "C:\\Keil");
    EXPECT_EQ(installCaption, L"&Reinstall");
    EXPECT_TRUE(installEnabled);
    EXPECT_TRUE(progressVisible);
    EXPECT_EQ(progressPos, 64);
    EXPECT_EQ(progressUpper, 128);
    EXPECT_TRUE(statusBarBeneathProgress);
}

// Every device-change message is answered with TRUE; an arrival starts timer 2.
TEST_F(DialogWindowTest, DeviceChangeIsAnsweredTrueAndAnArrivalStartsTimerTwo) {
    work.Write("Setup.ini", "[FILE]\r\n");
    DialogHarness harness;
    LRESULT arrivalAnswer = 0;
    LRESULT otherAnswer = 0;
    bool timerAfterArrival = false;
    bool timerAfterOther = true;
    Run(harness, [&] {
        if (!harness.WaitOnDialogThread([&] { return harness.dlg.ScriptLoaded(); }))
            return harness.Fail("the script was not loaded");
        const HWND dialog = harness.Dialog();
        // KillTimer tells whether the timer was running; it must be called on the dialog's thread.
        harness.Send([&] {
            arrivalAnswer = ::SendMessageW(dialog, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0);
            timerAfterArrival = ::KillTimer(dialog, kArrivalTimer) != FALSE;
            otherAnswer = ::SendMessageW(dialog, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
            timerAfterOther = ::KillTimer(dialog, kArrivalTimer) != FALSE;
        });
        DialogHarness::Click(dialog, IDC_EXIT);
    });
    EXPECT_EQ(arrivalAnswer, TRUE);
    EXPECT_TRUE(timerAfterArrival);
    EXPECT_EQ(otherAnswer, TRUE);
    EXPECT_FALSE(timerAfterOther);
}

// While the dialog's clock waits, the dialog repaints, but handles no other message: a command posted
// meanwhile is handled only after the wait. (Input that comes during a button's or a timer's operation is
// dropped at its end: the session tests show that.)
TEST_F(DialogWindowTest, WaitingKeepsRepaintingAndHandlesNothingElse) {
    work.Write("Setup.ini", "[FILE]\r\n");
    DialogHarness harness;
    std::atomic<bool> waiting = false;
    std::atomic<bool> waitOver = false;
    bool repaintedWhileWaiting = false;
    bool exitWaitedForTheOperation = false;
    const INT_PTR result = Run(harness, [&] {
        if (!harness.WaitOnDialogThread([&] { return harness.dlg.ScriptLoaded(); }))
            return harness.Fail("the script was not loaded");
        harness.Post([&] {
            waiting = true;
            harness.clock.Sleep(3000);
            waitOver = true;
        });
        // Not asked on the dialog's thread: while it waits, it takes no message from another thread either.
        const auto started = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!waiting && std::chrono::steady_clock::now() < started)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!waiting) return harness.Fail("the operation did not start");
        const HWND browse = harness.Control(IDC_BROWSE);
        ::InvalidateRect(browse, nullptr, TRUE);
        DialogHarness::Click(harness.Dialog(), IDC_EXIT);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (!waitOver && ::GetUpdateRect(browse, nullptr, FALSE) != FALSE &&
               std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        repaintedWhileWaiting = ::GetUpdateRect(browse, nullptr, FALSE) == FALSE && !waitOver;
        exitWaitedForTheOperation = ::IsWindowVisible(harness.Dialog()) != FALSE && !waitOver;
    });
    EXPECT_TRUE(repaintedWhileWaiting);
    EXPECT_TRUE(exitWaitedForTheOperation);
    EXPECT_TRUE(waitOver);
    EXPECT_EQ(result, IDOK);
}

}  // namespace
