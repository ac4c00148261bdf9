// The real dialog on the screen for tests: a DialogWindow over a real CSetupDlg, run modally on the test's
// thread while a scenario plays the user on a second thread. The scenario finds windows, reads them, clicks,
// and can run code on the dialog's own thread; it records what it saw, and the test checks that after the
// dialog has ended (GoogleTest's assertions are for the test's thread only).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/dialog_window_win32.h"
#include "app/paint_pump_clock_win32.h"
#include "app/setup_dlg.h"
#include "platform/codepage.h"
#include "platform/file_system_win32.h"
#include "platform/windows_headers_win32.h"

// What a message box or the About box shows.
struct ShownWindow {
    HWND window = nullptr;
    std::wstring caption;
    std::vector<std::wstring> texts;                    // static texts, in child order
    std::vector<std::pair<int, std::wstring>> buttons;  // ID and caption
    HICON icon = nullptr;                               // the icon it shows, if any
};

class DialogHarness {
  public:
    // hidBus: the HID devices the dialog reaches (its arrivals are watched as the program watches them); none
    // without one.
    explicit DialogHarness(const std::string& programName = "Setup", platform::HidBus* hidBus = nullptr);
    ~DialogHarness();
    DialogHarness(const DialogHarness&) = delete;
    DialogHarness& operator=(const DialogHarness&) = delete;

    // Whether windows can be made here at all (an X display under Wine).
    static bool WindowsAvailable();

    // Runs the dialog until it ends and the scenario until it returns; the dialog's result. A scenario that
    // gives up (see Fail) closes the dialog.
    INT_PTR Run(const std::function<void()>& scenario);

    // --- for the scenario thread ---
    HWND Dialog() const { return dialogWindow_; }
    HWND Control(int id) const { return ::GetDlgItem(dialogWindow_, id); }
    // Runs work on the dialog's thread, inside its message loop, and waits for it (not for work that shows a
    // modal window: Post that).
    void Send(const std::function<void()>& work);
    void Post(std::function<void()> work);
    // Waits until condition (evaluated on the dialog's thread) holds; false after a few seconds.
    bool WaitOnDialogThread(const std::function<bool()>& condition);
    // The visible top-level window of this process with that caption, other than the dialog; waits for it,
    // at most patienceSeconds.
    bool WaitForWindow(const std::wstring& caption, ShownWindow& shown, int patienceSeconds = 10);
    // Waits until no window with that caption is shown.
    bool WaitUntilGone(const std::wstring& caption);
    static void Click(HWND owner, int buttonId);
    // Records a problem; the test fails with it.
    void Fail(const std::string& problem);
    const std::vector<std::string>& Problems() const { return problems_; }

    platform::Win32FileSystem files;
    PaintPumpClock clock;
    DialogWindow window;
    CSetupDlg dlg;

  private:
    static LRESULT CALLBACK RelayProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND relay_ = nullptr;  // a message-only window of the dialog's thread that runs work sent to it
    HWND dialogWindow_ = nullptr;
    std::vector<std::string> problems_;
};

std::string Narrow(const std::wstring& text);

// What a window of this process shows as its text, and the text of a status bar's first pane.
std::wstring WindowText(HWND window);
std::wstring StatusBarText(HWND statusBar);
