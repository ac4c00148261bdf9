// One HID device opened through its hidraw node, behaving towards the caller exactly as a Windows HID
// handle does: byte 0 of every buffer is the report-ID slot, 0 for a device that does not number its
// reports, and the report lengths are those the Windows HID parser gives.
#pragma once

#include <optional>
#include <span>

#include "platform/hid_bus.h"
#include "platform/hid_report_descriptor.h"

namespace platform {

class HidrawDevice : public HidDevice {
  public:
    // Takes over fd, an open hidraw node (read-write, non-blocking).
    explicit HidrawDevice(int fd);
    ~HidrawDevice() override;
    HidrawDevice(const HidrawDevice&) = delete;
    HidrawDevice& operator=(const HidrawDevice&) = delete;

    HidIdentity Identity() override;
    HidReportLengths ReportLengths() override;

    bool WriteOutputReport(std::span<const std::uint8_t> report) override;
    bool ReadInputReport(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) override;
    bool SetFeatureReport(std::span<const std::uint8_t> report) override;
    bool GetFeatureReport(std::span<std::uint8_t> buffer) override;
    // Every transfer here completes before its call returns, so nothing is ever left pending.
    void CancelPendingIo() override {}

  private:
    // The descriptor's summary, read once; empty when it cannot be read or parsed.
    const std::optional<HidReportSummary>& Summary();
    // Whether byte 0 of a buffer of this size names a report the device can have: 0 when it does not
    // number its reports, 1 to 255 when it does. Records the failure when not.
    bool CheckTransfer(std::span<const std::uint8_t> buffer);
    bool WaitUntilReadable(std::uint32_t timeoutMs);

    int fd_;
    bool summaryRead_ = false;
    std::optional<HidReportSummary> summary_;
};

}  // namespace platform
