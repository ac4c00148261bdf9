// The dialog without a window: message boxes go to standard output as "[caption] text", status-bar changes
// to standard error, and the folder browser answers with the folder given on the command line.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/dialog_view.h"

class ConsoleView : public platform::DialogView {
  public:
    ConsoleView(platform::Clock& clock, std::FILE* out, std::FILE* err);

    // What the folder browser returns; without one it reports a cancel.
    void SetBrowseAnswer(std::optional<std::string> folder) { browseAnswer_ = std::move(folder); }

    struct ShownBox {
        std::string text;
        std::string caption;
        platform::BoxStyle style;
    };
    // Every message box shown so far, in order: the command line reads its outcome from them.
    const std::vector<ShownBox>& Boxes() const { return boxes_; }

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
    void EndDialog(int result) override { endResult_ = result; }

    // The timer due first, or none; the caller waits for it and then fires it through the dialog.
    std::optional<std::pair<int, std::uint64_t>> NextTimer() const;
    std::optional<int> EndResult() const { return endResult_; }

  private:
    void DrawProgress();

    platform::Clock& clock_;
    std::FILE* out_;
    std::FILE* err_;
    std::string status_;
    std::map<int, std::string> texts_;
    std::map<int, bool> enabled_;
    std::map<int, std::uint64_t> timers_;  // id -> when it is due
    std::optional<std::string> browseAnswer_;
    std::optional<int> endResult_;
    std::vector<ShownBox> boxes_;
    std::uint16_t progressUpper_ = 100;
    int progressPos_ = 0;
    int progressStep_ = 10;
    bool progressShown_ = false;
    bool progressOnTerminal_ = false;
};
