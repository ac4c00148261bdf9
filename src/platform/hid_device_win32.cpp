#include "platform/hid_device_win32.h"

#include <algorithm>

#include "platform/hid_headers_win32.h"
#include "platform/paint_pump_win32.h"
#include "platform/system_error.h"

namespace platform {
namespace {

// A report that the device has not taken within this time will not be taken.
constexpr DWORD kWriteTimeoutMs = 5000;

}  // namespace

std::unique_ptr<Win32HidDevice> Win32HidDevice::Open(const std::string& path) {
    const HANDLE handle =
        ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    return std::make_unique<Win32HidDevice>(handle);
}

Win32HidDevice::Win32HidDevice(HANDLE handle)
    : handle_(handle), transferDone_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

Win32HidDevice::~Win32HidDevice() {
    ::CloseHandle(handle_);
    if (transferDone_ != nullptr) ::CloseHandle(transferDone_);
}

HidIdentity Win32HidDevice::Identity() {
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    if (!::HidD_GetAttributes(handle_, &attributes)) return {};
    return {attributes.VendorID, attributes.ProductID};
}

HidReportLengths Win32HidDevice::ReportLengths() {
    if (lengths_) return *lengths_;
    PHIDP_PREPARSED_DATA preparsed = nullptr;
    if (!::HidD_GetPreparsedData(handle_, &preparsed)) return {};
    HIDP_CAPS caps{};
    ::HidP_GetCaps(preparsed, &caps);
    ::HidD_FreePreparsedData(preparsed);
    lengths_ = HidReportLengths{caps.FeatureReportByteLength, caps.InputReportByteLength,
                                caps.OutputReportByteLength};
    return *lengths_;
}

std::optional<DWORD> Win32HidDevice::Finish(OVERLAPPED& overlapped, BOOL started, DWORD timeoutMs) {
    if (!started && ::GetLastError() != ERROR_IO_PENDING) return std::nullopt;
    DWORD moved = 0;
    if (!WaitRepainting(overlapped.hEvent, timeoutMs)) {
        ::CancelIo(handle_);
        // The transfer may have completed while it was being cancelled: then it counts.
        if (::GetOverlappedResult(handle_, &overlapped, &moved, TRUE)) return moved;
        SetLastSystemError(TimeoutError());
        return std::nullopt;
    }
    if (!::GetOverlappedResult(handle_, &overlapped, &moved, FALSE)) return std::nullopt;
    return moved;
}

bool Win32HidDevice::WriteOutputReport(std::span<const std::uint8_t> report) {
    if (transferDone_ == nullptr) return false;
    OVERLAPPED overlapped{};
    overlapped.hEvent = transferDone_;
    ::ResetEvent(transferDone_);
    const BOOL started =
        ::WriteFile(handle_, report.data(), static_cast<DWORD>(report.size()), nullptr, &overlapped);
    return Finish(overlapped, started, kWriteTimeoutMs).has_value();
}

// The driver takes reads only into a buffer of at least the input report length, so the report is read
// whole and then cut to the caller's buffer.
bool Win32HidDevice::ReadInputReport(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) {
    if (transferDone_ == nullptr) return false;
    inputReport_.assign(std::max<std::size_t>(buffer.size(), ReportLengths().input), 0);
    OVERLAPPED overlapped{};
    overlapped.hEvent = transferDone_;
    ::ResetEvent(transferDone_);
    const BOOL started = ::ReadFile(handle_, inputReport_.data(), static_cast<DWORD>(inputReport_.size()),
                                    nullptr, &overlapped);
    const std::optional<DWORD> read = Finish(overlapped, started, timeoutMs);
    if (!read) return false;
    std::copy_n(inputReport_.begin(), std::min<std::size_t>(*read, buffer.size()), buffer.begin());
    return true;
}

bool Win32HidDevice::SetFeatureReport(std::span<const std::uint8_t> report) {
    std::vector<std::uint8_t> sent(report.begin(), report.end());  // the call takes a writable buffer
    return ::HidD_SetFeature(handle_, sent.data(), static_cast<ULONG>(sent.size())) != FALSE;
}

bool Win32HidDevice::GetFeatureReport(std::span<std::uint8_t> buffer) {
    return ::HidD_GetFeature(handle_, buffer.data(), static_cast<ULONG>(buffer.size())) != FALSE;
}

void Win32HidDevice::CancelPendingIo() {
    ::CancelIo(handle_);
}

}  // namespace platform
