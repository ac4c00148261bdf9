// A dialog view for tests: remembers every box, status text, control change, progress call and timer, and
// answers the folder browser from a queue.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/dialog_view.h"

struct RecordedBox {
    std::string text;
    std::string caption;
    platform::BoxStyle style;

    bool operator==(const RecordedBox&) const = default;
};

class RecordingView : public platform::DialogView {
  public:
    RecordingView();

    std::vector<RecordedBox> boxes;
    std::vector<std::string> statusHistory;  // every SetStatusText, in order
    std::string status;
    std::map<int, std::string> texts;
    std::map<int, bool> enabled;
    std::map<int, std::uint32_t> timers;  // running timers: id -> period
    std::vector<int> timerStarts;         // every SetTimer id, in order
    std::deque<platform::BrowseResult> browseAnswers;
    std::vector<std::string> browseTitles;
    std::vector<int> endResults;

    // Progress bar.
    std::uint16_t progressLower = 0;
    std::uint16_t progressUpper = 100;
    int progressStep = 10;
    int progressPos = 0;
    int progressSteps = 0;  // StepProgress calls
    bool progressVisible = false;
    std::vector<std::string> progressCalls;  // "range 0 128", "step 1", "pos 0", "stepit", "show", "hide"

    // Called inside ShowMessage, before it returns (a test can look at the state while a box is up).
    std::function<void(const RecordedBox&)> onBox;

    void SetStatusText(const std::string& text) override;
    int ShowMessage(const std::string& text, const std::string& caption, platform::BoxStyle style) override;
    std::string GetControlText(int id) override { return texts[id]; }
    void SetControlText(int id, const std::string& text) override { texts[id] = text; }
    void EnableControl(int id, bool enable) override { enabled[id] = enable; }
    bool IsControlEnabled(int id) override { return enabled[id]; }
    void SetProgressRange(std::uint16_t lower, std::uint16_t upper) override;
    void SetProgressStep(int step) override;
    void SetProgressPos(int pos) override;
    void StepProgress() override;
    void ShowProgress(bool show) override;
    void SetTimer(int id, std::uint32_t milliseconds) override;
    void KillTimer(int id) override { timers.erase(id); }
    platform::BrowseResult BrowseForFolder(const std::string& title) override;
    void EndDialog(int result) override { endResults.push_back(result); }
};
