// The main dialog on the screen: the window made from dialog template 102. It shows what the dialog logic
// asks of its view and routes the window's messages to CSetupDlg's handlers.
#pragma once

#include "platform/windows_headers_win32.h"

#include <functional>
#include <map>
#include <string>

#include "platform/dialog_view.h"

namespace platform {
class HidBus;
}  // namespace platform

class CSetupDlg;

class DialogWindow : public platform::DialogView {
  public:
    DialogWindow(HINSTANCE instance, std::string programName);

    // What stands in for the shell's folder browser (given a title, the folder chosen); none: the shell's.
    using FolderBrowser = std::function<platform::BrowseResult(const std::string& title)>;
    void SetFolderBrowser(FolderBrowser browser) { folderBrowser_ = std::move(browser); }

    // The HID bus the dialog works with. A Win32 HID bus is given the dialog's window, so that the system
    // sends it a device-change message for each HID arrival; the arrivals that any other bus counts (the
    // simulated adapter's) are sent to the window as the same messages, while the dialog waits for input.
    void WatchArrivals(platform::HidBus* bus) { arrivalBus_ = bus; }

    // Runs the dialog modally for dlg; returns how it ended (IDOK after Exit, IDCANCEL after Escape or the
    // close box).
    INT_PTR RunModal(CSetupDlg& dlg);

    // The window while the dialog runs, else null.
    HWND Handle() const { return hwnd_; }
    HWND StatusBar() const { return statusBar_; }

    void SetStatusText(const std::string& text) override;
    int ShowMessage(const std::string& text, const std::string& caption, platform::BoxStyle style) override;
    std::string GetControlText(int id) override;
    void SetControlText(int id, const std::string& text) override;
    void EnableControl(int id, bool enable) override;
    bool IsControlEnabled(int id) override;
    void SetProgressRange(std::uint16_t lower, std::uint16_t upper) override;
    void SetProgressStep(int step) override;
    void SetProgressPos(int pos) override;
    void StepProgress() override;
    void ShowProgress(bool show) override;
    void SetTimer(int id, std::uint32_t milliseconds) override;
    void KillTimer(int id) override;
    platform::BrowseResult BrowseForFolder(const std::string& title) override;
    void EndDialog(int result) override;

  private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam);
    void OnInitDialog();
    void OnDestroy();
    void ForwardCountedArrivals();
    void AddAboutToSystemMenu();
    void CreateStatusBar();
    bool OnCommand(int id);  // a click on a button, or its keyboard equivalent
    bool OnSysCommand(WPARAM command);
    bool OnPaint();
    void Dispatch(const std::function<void()>& handler);
    // A button's or a timer's handler, which may wait or work for a while: the dialog takes no input until
    // it is over, and drops the input that came meanwhile.
    void RunOperation(const std::function<void()>& handler);
    HWND Control(int id) const { return hwnd_ != nullptr ? ::GetDlgItem(hwnd_, id) : nullptr; }
    void RedrawNow(HWND window) const;
    HICON Icon() const;

    HINSTANCE instance_;
    std::string programName_;
    FolderBrowser folderBrowser_;
    platform::HidBus* arrivalBus_ = nullptr;
    bool pollArrivals_ = false;
    CSetupDlg* dlg_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND statusBar_ = nullptr;
    // The text each control was last given, as bytes and as shown, so that reading it back returns the same
    // bytes whatever the code page.
    std::map<int, std::pair<std::string, std::wstring>> controlTexts_;
};
