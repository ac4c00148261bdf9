#include "platform/hidraw_device_posix.h"

#include <linux/hidraw.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <memory>
#include <vector>

#include "platform/system_error.h"

namespace platform {
namespace {

// The ioctls encode a transfer's length in 14 bits, and hidraw takes no longer report anyway.
constexpr std::size_t kMaxTransferLength = _IOC_SIZEMASK;

bool Fail(int code) {
    SetLastSystemError(static_cast<SystemErrorCode>(code));
    return false;
}

// Windows hands over the whole report; bytes the device did not send read as zero, never as what the
// buffer held before.
void ClearAfter(std::span<std::uint8_t> buffer, std::size_t filled) {
    if (filled < buffer.size())
        std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(filled), buffer.end(), 0);
}

}  // namespace

HidrawDevice::HidrawDevice(int fd) : fd_(fd) {}

HidrawDevice::~HidrawDevice() {
    ::close(fd_);
}

HidIdentity HidrawDevice::Identity() {
    hidraw_devinfo info{};
    if (::ioctl(fd_, HIDIOCGRAWINFO, &info) < 0) {
        Fail(errno);
        return {};
    }
    return {static_cast<std::uint16_t>(info.vendor), static_cast<std::uint16_t>(info.product)};
}

HidReportLengths HidrawDevice::ReportLengths() {
    const std::optional<HidReportSummary>& summary = Summary();
    return summary ? summary->lengths : HidReportLengths{};
}

const std::optional<HidReportSummary>& HidrawDevice::Summary() {
    if (summaryRead_) return summary_;
    summaryRead_ = true;
    int size = 0;
    if (::ioctl(fd_, HIDIOCGRDESCSIZE, &size) < 0) {
        Fail(errno);
        return summary_;
    }
    auto descriptor = std::make_unique<hidraw_report_descriptor>();
    // hidraw refuses to hand out more than one byte short of its own limit.
    descriptor->size = static_cast<std::uint32_t>(std::clamp(size, 0, HID_MAX_DESCRIPTOR_SIZE - 1));
    if (::ioctl(fd_, HIDIOCGRDESC, descriptor.get()) < 0) {
        Fail(errno);
        return summary_;
    }
    const std::size_t length = std::min<std::size_t>(descriptor->size, HID_MAX_DESCRIPTOR_SIZE);
    summary_ = ParseHidReportDescriptor(std::span(descriptor->value, length)).summary;
    if (!summary_) Fail(EBADMSG);
    return summary_;
}

bool HidrawDevice::CheckTransfer(std::span<const std::uint8_t> buffer) {
    const std::optional<HidReportSummary>& summary = Summary();
    if (!summary) return Fail(EIO);  // without the descriptor the report-ID slot cannot be placed
    if (buffer.empty()) return Fail(EINVAL);
    if (buffer.size() > kMaxTransferLength) return Fail(EMSGSIZE);
    // hidraw would send a nonzero byte 0 of an unnumbered device as report data, one byte too many;
    // Windows refuses a report ID the device does not have.
    if (summary->numbered != (buffer[0] != 0)) return Fail(EINVAL);
    return true;
}

bool HidrawDevice::WriteOutputReport(std::span<const std::uint8_t> report) {
    if (!CheckTransfer(report)) return false;
    // hidraw takes the report-ID slot as Windows does: it sends a 0 there as no byte at all.
    ssize_t written;
    do {
        written = ::write(fd_, report.data(), report.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) return Fail(errno);
    if (static_cast<std::size_t>(written) != report.size()) return Fail(EIO);
    return true;
}

bool HidrawDevice::ReadInputReport(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) {
    const std::optional<HidReportSummary>& summary = Summary();
    if (!summary) return Fail(EIO);
    if (buffer.empty() || buffer.size() > kMaxTransferLength) return Fail(EINVAL);

    // hidraw gives the report ID only when the device numbers its reports; Windows puts a 0 in front of
    // the others, so an unnumbered report lands after the slot.
    const std::size_t slot = summary->numbered ? 0 : 1;
    std::uint8_t discarded = 0;
    const std::span<std::uint8_t> target =
        buffer.size() > slot ? buffer.subspan(slot) : std::span<std::uint8_t>(&discarded, 1);

    using std::chrono::steady_clock;
    const steady_clock::time_point deadline = steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - steady_clock::now());
        pollfd readable{fd_, POLLIN, 0};
        const int ready =
            ::poll(&readable, 1, static_cast<int>(std::clamp<std::int64_t>(left.count(), 0, INT_MAX)));
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return Fail(errno);
        if (ready == 0) return Fail(static_cast<int>(TimeoutError()));
        if ((readable.revents & POLLIN) == 0) return Fail(ENODEV);  // unplugged

        const ssize_t got = ::read(fd_, target.data(), target.size());
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {  // taken by another reader
            if (steady_clock::now() >= deadline) return Fail(static_cast<int>(TimeoutError()));
            continue;
        }
        if (got < 0) return Fail(errno);
        if (slot == 1) buffer[0] = 0;
        ClearAfter(buffer, std::min(buffer.size(), slot + static_cast<std::size_t>(got)));
        return true;
    }
}

bool HidrawDevice::SetFeatureReport(std::span<const std::uint8_t> report) {
    if (!CheckTransfer(report)) return false;
    std::vector<std::uint8_t> copy(report.begin(), report.end());  // the ioctl's buffer is not const
    if (::ioctl(fd_, HIDIOCSFEATURE(copy.size()), copy.data()) < 0) return Fail(errno);
    return true;
}

bool HidrawDevice::GetFeatureReport(std::span<std::uint8_t> buffer) {
    if (!CheckTransfer(buffer)) return false;
    // Byte 0 names the report asked for and stays in place; the report follows it, as on Windows.
    const int got = ::ioctl(fd_, HIDIOCGFEATURE(buffer.size()), buffer.data());
    if (got < 0) return Fail(errno);
    ClearAfter(buffer, std::min(buffer.size(), static_cast<std::size_t>(got)));
    return true;
}

}  // namespace platform
