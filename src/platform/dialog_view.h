// What the dialog logic needs of a window: the status bar, message boxes, its controls by ID, the progress
// bar, timers and the folder browser. The Win32 dialog, the console and the tests' recorder implement it.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// Controls of the main dialog.
constexpr int kIdInstall = 1000;
constexpr int kIdUninstall = 1001;
constexpr int kIdExit = 1002;
constexpr int kIdBrowse = 1003;
constexpr int kIdKeilRoot = 1004;
constexpr int kIdProgress = 1005;

// The controls that have a text or a state, as the dialog template starts them.
struct ControlAtStart {
    int id;
    const char* text;
    bool enabled;
};
inline constexpr ControlAtStart kControlsAtStart[] = {
    {kIdInstall, "&Install", false}, {kIdUninstall, "&Uninstall", false},
    {kIdExit, "E&xit", true},        {kIdBrowse, "&Browse", true},
    {kIdKeilRoot, "", true},
};

enum class BoxStyle {
    kOk,             // OK, no icon
    kOkInformation,  // OK, information icon
    kOkWarning,      // OK, warning icon
    kOkError,        // OK, error (stop) icon
};

constexpr int kIdOk = 1;

struct BrowseResult {
    enum class Kind { kCancelled, kNoPath, kPath };
    Kind kind = Kind::kCancelled;
    std::string path;  // for kPath
};

class DialogView {
  public:
    virtual ~DialogView() = default;

    virtual void SetStatusText(const std::string& text) = 0;
    virtual int ShowMessage(const std::string& text, const std::string& caption, BoxStyle style) = 0;

    virtual std::string GetControlText(int id) = 0;
    virtual void SetControlText(int id, const std::string& text) = 0;
    virtual void EnableControl(int id, bool enable) = 0;
    virtual bool IsControlEnabled(int id) = 0;

    virtual void SetProgressRange(std::uint16_t lower, std::uint16_t upper) = 0;
    virtual void SetProgressStep(int step) = 0;
    virtual void SetProgressPos(int pos) = 0;
    virtual void StepProgress() = 0;
    virtual void ShowProgress(bool show) = 0;

    virtual void SetTimer(int id, std::uint32_t milliseconds) = 0;  // restarts a running timer of that ID
    virtual void KillTimer(int id) = 0;

    // The shell's folder browser, modal to the dialog.
    virtual BrowseResult BrowseForFolder(const std::string& title) = 0;

    // Ends the modal dialog with this result (kIdOk for Exit).
    virtual void EndDialog(int result) = 0;
};

}  // namespace platform
