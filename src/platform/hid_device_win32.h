// One HID interface opened through the HID class driver. The handle is opened for overlapped I/O so that an
// answer read can end at its time-out instead of blocking until the device sends something; every transfer
// still completes (or is cancelled) before its call returns, and the window program keeps repainting while
// one waits.
#pragma once

#include "platform/windows_headers_win32.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/hid_bus.h"

namespace platform {

class Win32HidDevice : public HidDevice {
  public:
    // Opens path for reading and writing, shared for reading and writing; null when it cannot be opened so
    // (the system's error recorded).
    static std::unique_ptr<Win32HidDevice> Open(const std::string& path);

    // Takes over handle, which must have been opened for overlapped I/O.
    explicit Win32HidDevice(HANDLE handle);
    ~Win32HidDevice() override;
    Win32HidDevice(const Win32HidDevice&) = delete;
    Win32HidDevice& operator=(const Win32HidDevice&) = delete;

    HidIdentity Identity() override;
    HidReportLengths ReportLengths() override;

    bool WriteOutputReport(std::span<const std::uint8_t> report) override;
    bool ReadInputReport(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) override;
    bool SetFeatureReport(std::span<const std::uint8_t> report) override;
    bool GetFeatureReport(std::span<std::uint8_t> buffer) override;
    void CancelPendingIo() override;

  private:
    // Waits for the overlapped transfer to end, at most timeoutMs; on a time-out cancels it and waits for the
    // cancellation, so that the buffer is no longer the device's when this returns. The bytes moved, or none
    // (the system's error recorded, TimeoutError after a time-out).
    std::optional<DWORD> Finish(OVERLAPPED& overlapped, BOOL started, DWORD timeoutMs);

    HANDLE handle_;
    HANDLE transferDone_;  // the event of the transfer under way
    std::optional<HidReportLengths> lengths_;
    std::vector<std::uint8_t> inputReport_;  // an input report as the driver delivers it, at least its length
};

}  // namespace platform
