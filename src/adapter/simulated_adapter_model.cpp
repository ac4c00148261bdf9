#include "adapter/simulated_adapter_model.h"

#include <algorithm>
#include <utility>

#include "adapter/adapter_protocol.h"
#include "adapter/firmware_image.h"
#include "platform/system_error.h"

namespace {

bool Fail(platform::SystemErrorCode code) {
    platform::SetLastSystemError(code);
    return false;
}

constexpr std::uint8_t kNoiseLengthByte = 0x7F;  // an input report that answers nothing

}  // namespace

SimulatedAdapterModel::SimulatedAdapterModel(const SimulatedAdapterSettings& spec, std::uint16_t vendorId,
                                             platform::Clock& clock)
    : spec_(spec),
      vendorId_(spec.vendorId.value_or(vendorId)),
      clock_(clock),
      version_(spec.version),
      pendingWaitsLeft_(spec.pendingWaits) {
    if (spec.absent)
        mode_ = Mode::kAway;
    else if (spec.startsInLoader)
        mode_ = Mode::kBootLoader;
}

void SimulatedAdapterModel::Advance() {
    if (comingBack_ && clock_.NowMs() >= comingBackAt_) {
        const Mode next = *comingBack_;
        comingBack_.reset();
        Arrive(next);
    }
}

void SimulatedAdapterModel::LeaveFor(Mode next, std::uint32_t afterMs) {
    mode_ = Mode::kAway;
    ++incarnation_;
    input_.clear();
    comingBack_ = next;
    comingBackAt_ = clock_.NowMs() + afterMs;
}

void SimulatedAdapterModel::Arrive(Mode mode) {
    mode_ = mode;
    ++incarnation_;
    if (registrations_ > 0) ++arrivals_;
    if (mode == Mode::kBootLoader) {
        hiddenSearchesLeft_ = spec_.hiddenSearches;
        loader_ = LoaderState::kIdle;
        featureReports_ = 0;
    }
}

bool SimulatedAdapterModel::VisibleToSearch() {
    Advance();
    if (mode_ == Mode::kAway) return false;
    if (mode_ == Mode::kBootLoader && hiddenSearchesLeft_ > 0) {
        --hiddenSearchesLeft_;
        return false;
    }
    return true;
}

bool SimulatedAdapterModel::TakeOutputReport(std::span<const std::uint8_t> report) {
    if (report.size() != spec_.lengths.output || report.size() < 2)
        return Fail(platform::GenericDeviceError());
    if (report[0] != kCommandHeaderSize) return true;  // no command this application acts on
    if (report[1] == kCmdVersionQuery) {
        QueueVersionAnswer();
    } else if (report[1] == kCmdResetToLoader) {
        LeaveFor(Mode::kBootLoader, spec_.detachMs);
        if (spec_.neverReturns) comingBack_.reset();
    }
    return true;
}

void SimulatedAdapterModel::QueueVersionAnswer() {
    if (spec_.silent) return;
    const std::size_t length = spec_.lengths.input;
    for (int i = 0; i < spec_.noise; ++i) {
        std::vector<std::uint8_t> noise(length, 0);
        if (!noise.empty()) noise[0] = kNoiseLengthByte;
        input_.push_back(std::move(noise));
    }
    std::vector<std::uint8_t> answer(std::max<std::size_t>(length, 3), 0);
    answer[0] = spec_.answerLength.value_or(2);
    answer[1] = version_[0];
    answer[2] = version_[1];
    answer.resize(length);
    input_.push_back(std::move(answer));
}

bool SimulatedAdapterModel::GiveInputReport(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) {
    if (input_.empty()) {
        clock_.Sleep(timeoutMs);
        return Fail(platform::TimeoutError());
    }
    const std::vector<std::uint8_t> report = std::move(input_.front());
    input_.pop_front();
    std::copy_n(report.begin(), std::min(report.size(), buffer.size()), buffer.begin());
    return true;
}

SimulatedAdapterModel::FeatureKind SimulatedAdapterModel::KindOf(std::span<const std::uint8_t> report) const {
    if (loader_ == LoaderState::kReceiving) return FeatureKind::kData;
    switch (report[1]) {
        case kFeatureDownloadStart:
            return FeatureKind::kStart;
        case kFeatureDownloadEnd:
            return FeatureKind::kEnd;
        case kFeatureResetToApplication:
            return FeatureKind::kReset;
        default:
            return FeatureKind::kOther;
    }
}

bool SimulatedAdapterModel::Refuses(FeatureKind kind) {
    using Refusal = SimulatedAdapterSettings::Refusal;
    if (refusalSpent_) return false;
    bool refuses = false;
    switch (spec_.refusal) {
        case Refusal::kNone:
            break;
        case Refusal::kStart:
            refuses = kind == FeatureKind::kStart;
            break;
        case Refusal::kData:
            refuses = kind == FeatureKind::kData;
            break;
        case Refusal::kEnd:
            refuses = kind == FeatureKind::kEnd;
            break;
        case Refusal::kReset:
            refuses = kind == FeatureKind::kReset;
            break;
        case Refusal::kNumbered:
            refuses = featureReports_ == spec_.refusedReport;
            break;
    }
    refusalSpent_ = refuses;
    return refuses;
}

bool SimulatedAdapterModel::TakeFeatureReport(std::span<const std::uint8_t> report) {
    if (report.size() != spec_.lengths.feature || report.size() < kMinFeatureReportLength)
        return Fail(platform::GenericDeviceError());
    ++featureReports_;
    const FeatureKind kind = KindOf(report);
    if (Refuses(kind)) return Fail(platform::GenericDeviceError());

    switch (kind) {
        case FeatureKind::kStart:
            announced_ = (std::uint32_t{report[5]} << 16) | (std::uint32_t{report[6]} << 8) | report[7];
            received_.clear();
            loader_ = announced_ > 0 ? LoaderState::kReceiving : LoaderState::kAwaitingEnd;
            break;
        case FeatureKind::kData: {
            const std::size_t n = std::min<std::size_t>(report.size() - 1, announced_ - received_.size());
            received_.insert(received_.end(), report.begin() + 1,
                             report.begin() + 1 + static_cast<std::ptrdiff_t>(n));
            if (received_.size() == announced_) loader_ = LoaderState::kAwaitingEnd;
            break;
        }
        case FeatureKind::kEnd:
            loader_ = LoaderState::kEnded;
            break;
        case FeatureKind::kReset: {
            // The application that starts is the one received, when a whole image carrying a version came.
            const bool complete = loader_ == LoaderState::kEnded && received_.size() == announced_;
            if (const auto version = complete ? VersionOfImage(received_) : std::nullopt) version_ = *version;
            LeaveFor(Mode::kApplication, spec_.resetMs);
            break;
        }
        case FeatureKind::kOther:
            break;
    }
    return true;
}

bool SimulatedAdapterModel::GiveFeatureReport(std::span<std::uint8_t> buffer) {
    using ChecksumFault = SimulatedAdapterSettings::ChecksumFault;
    if (buffer.size() != spec_.lengths.feature || buffer.size() < 3 || spec_.statusReadFails)
        return Fail(platform::GenericDeviceError());
    const std::uint32_t sum = SumOfImage(received_);
    std::fill(buffer.begin(), buffer.end(), 0);
    buffer[1] = static_cast<std::uint8_t>(sum >> 8);
    buffer[2] = static_cast<std::uint8_t>(sum);
    if (spec_.checksumFault == ChecksumFault::kHigh) buffer[1] ^= 0x01;
    if (spec_.checksumFault == ChecksumFault::kLow) buffer[2] ^= 0x01;
    return true;
}

int SimulatedAdapterModel::TakeArrivals() {
    Advance();
    return std::exchange(arrivals_, 0);
}

bool SimulatedAdapterModel::WaitForPendingInstallation(std::uint32_t timeoutMs) {
    Advance();
    if (pendingWaitsLeft_ == 0) return true;
    --pendingWaitsLeft_;
    clock_.Sleep(timeoutMs);
    return false;
}
