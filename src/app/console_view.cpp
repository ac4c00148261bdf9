#include "app/console_view.h"

#include "platform/process.h"

#include <algorithm>

ConsoleView::ConsoleView(platform::Clock& clock, std::FILE* out, std::FILE* err)
    : clock_(clock), out_(out), err_(err), progressOnTerminal_(platform::IsTerminal(err)) {
    for (const auto& control : platform::kControlsAtStart) {
        texts_[control.id] = control.text;
        enabled_[control.id] = control.enabled;
    }
}

void ConsoleView::SetStatusText(const std::string& text) {
    if (text == status_) return;
    status_ = text;
    std::fprintf(err_, "%s\n", text.c_str());
    std::fflush(err_);
}

int ConsoleView::ShowMessage(const std::string& text, const std::string& caption, platform::BoxStyle style) {
    boxes_.push_back({text, caption, style});
    std::fprintf(out_, "[%s] ", caption.c_str());
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
    return platform::kIdOk;
}

std::string ConsoleView::GetControlText(int id) {
    return texts_[id];
}
void ConsoleView::SetControlText(int id, const std::string& text) {
    texts_[id] = text;
}
void ConsoleView::EnableControl(int id, bool enable) {
    enabled_[id] = enable;
}
bool ConsoleView::IsControlEnabled(int id) {
    return enabled_[id];
}

void ConsoleView::SetProgressRange(std::uint16_t /*lower*/, std::uint16_t upper) {
    progressUpper_ = upper;
}
void ConsoleView::SetProgressStep(int step) {
    progressStep_ = step;
}
void ConsoleView::SetProgressPos(int pos) {
    progressPos_ = pos;
    DrawProgress();
}
void ConsoleView::StepProgress() {
    progressPos_ += progressStep_;
    // A progress control wraps to its lower bound when stepped past the top.
    if (progressPos_ > progressUpper_) progressPos_ = 0;
    DrawProgress();
}
void ConsoleView::ShowProgress(bool show) {
    if (progressShown_ && !show && progressOnTerminal_) std::fputs("\r\033[K", err_);
    progressShown_ = show;
    DrawProgress();
}

void ConsoleView::DrawProgress() {
    if (!progressShown_ || !progressOnTerminal_) return;
    constexpr int kWidth = 40;
    const int upper = std::max<int>(progressUpper_, 1);
    const int filled = std::clamp(progressPos_ * kWidth / upper, 0, kWidth);
    std::fprintf(err_, "\r[%s%s] %3d%%", std::string(static_cast<std::size_t>(filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(kWidth - filled), ' ').c_str(),
                 std::clamp(progressPos_ * 100 / upper, 0, 100));
    std::fflush(err_);
}

void ConsoleView::SetTimer(int id, std::uint32_t milliseconds) {
    timers_[id] = clock_.NowMs() + milliseconds;
}
void ConsoleView::KillTimer(int id) {
    timers_.erase(id);
}

std::optional<std::pair<int, std::uint64_t>> ConsoleView::NextTimer() const {
    if (timers_.empty()) return std::nullopt;
    const auto first = std::min_element(timers_.begin(), timers_.end(),
                                        [](const auto& a, const auto& b) { return a.second < b.second; });
    return *first;
}

platform::BrowseResult ConsoleView::BrowseForFolder(const std::string& /*title*/) {
    if (!browseAnswer_) return {platform::BrowseResult::Kind::kCancelled, {}};
    return {platform::BrowseResult::Kind::kPath, *browseAnswer_};
}
