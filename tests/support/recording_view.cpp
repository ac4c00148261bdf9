#include "support/recording_view.h"

RecordingView::RecordingView() {
    for (const auto& control : platform::kControlsAtStart) {
        texts[control.id] = control.text;
        enabled[control.id] = control.enabled;
    }
}

void RecordingView::SetStatusText(const std::string& text) {
    status = text;
    statusHistory.push_back(text);
}

int RecordingView::ShowMessage(const std::string& text, const std::string& caption,
                               platform::BoxStyle style) {
    boxes.push_back({text, caption, style});
    if (onBox) onBox(boxes.back());
    return platform::kIdOk;
}

void RecordingView::SetProgressRange(std::uint16_t lower, std::uint16_t upper) {
    progressLower = lower;
    progressUpper = upper;
    progressCalls.push_back("range " + std::to_string(lower) + " " + std::to_string(upper));
}

void RecordingView::SetProgressStep(int step) {
    progressStep = step;
    progressCalls.push_back("step " + std::to_string(step));
}

void RecordingView::SetProgressPos(int pos) {
    progressPos = pos;
    progressCalls.push_back("pos " + std::to_string(pos));
}

void RecordingView::StepProgress() {
    progressPos += progressStep;
    if (progressPos > progressUpper) progressPos = progressLower;
    ++progressSteps;
    progressCalls.emplace_back("stepit");
}

void RecordingView::ShowProgress(bool show) {
    progressVisible = show;
    progressCalls.emplace_back(show ? "show" : "hide");
}

void RecordingView::SetTimer(int id, std::uint32_t milliseconds) {
    timers[id] = milliseconds;
    timerStarts.push_back(id);
}

platform::BrowseResult RecordingView::BrowseForFolder(const std::string& title) {
    browseTitles.push_back(title);
    if (browseAnswers.empty()) return {};
    platform::BrowseResult answer = browseAnswers.front();
    browseAnswers.pop_front();
    return answer;
}
