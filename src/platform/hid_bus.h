// The HID devices of the machine, as the HID class driver, SetupAPI and the device notifications offer them
// on Windows (hidraw and udev on Linux; a simulated adapter anywhere). Byte 0 of every report buffer is the
// report-ID slot and goes to the device as it stands, as the Windows HID calls pass it. Every call that fails
// records the system's error code (LastSystemError) before it returns.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform {

struct HidIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
};

// Report lengths as the HID parser reports them, each counting the report-ID byte.
struct HidReportLengths {
    std::uint16_t feature = 0;
    std::uint16_t input = 0;
    std::uint16_t output = 0;
};

// One open HID interface, opened for reading and writing; destroying it closes it.
class HidDevice {
  public:
    virtual ~HidDevice() = default;

    // Zeros when the device cannot tell.
    virtual HidIdentity Identity() = 0;
    virtual HidReportLengths ReportLengths() = 0;

    // One output report (an interrupt or control transfer to the device).
    virtual bool WriteOutputReport(std::span<const std::uint8_t> report) = 0;
    // Waits at most timeoutMs for one input report and places it, report-ID byte first, in buffer. A report
    // longer than the buffer is cut to fit. False on a failure or when nothing came in time (TimeoutError).
    virtual bool ReadInputReport(std::span<std::uint8_t> buffer, std::uint32_t timeoutMs) = 0;
    // Feature reports (control transfers); false when the device refused the report.
    virtual bool SetFeatureReport(std::span<const std::uint8_t> report) = 0;
    virtual bool GetFeatureReport(std::span<std::uint8_t> buffer) = 0;
    // Abandons whatever may still be pending on the handle.
    virtual void CancelPendingIo() = 0;
};

// A registration for arrivals of HID interfaces; destroying it ends the registration.
class HidArrivalRegistration {
  public:
    virtual ~HidArrivalRegistration() = default;
};

class HidBus {
  public:
    virtual ~HidBus() = default;

    // The paths of the HID interfaces present now, in the system's enumeration order.
    virtual std::vector<std::string> PresentInterfaces() = 0;
    // Opens one for reading and writing, shared for reading and writing; null when it cannot be opened so.
    virtual std::unique_ptr<HidDevice> Open(const std::string& path) = 0;

    // Asks to be told of every HID interface that arrives from now on, while the registration lasts; null on
    // failure. Where the dialog has a window (Win32), the backend is given it and the system sends it a
    // device-arrival message; without one, the backend counts the arrivals for TakeArrivals.
    virtual std::unique_ptr<HidArrivalRegistration> RegisterArrivals() = 0;
    // The arrivals counted since the last call, for an event loop without a window (the command line hands
    // each one to the dialog as a device-arrival message). Arrivals sent to a window are not counted.
    virtual int TakeArrivals() = 0;

    // Waits until no device installation is pending, at most timeoutMs; false when one is still pending then.
    virtual bool WaitForPendingInstallation(std::uint32_t timeoutMs) = 0;
};

}  // namespace platform
