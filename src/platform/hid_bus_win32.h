// The machine's HID devices on Windows: the present HID interfaces as SetupAPI lists them, opened through the
// HID class driver; arrivals told by the system's device notifications; pending installations as the
// configuration manager knows them.
#pragma once

#include "platform/windows_headers_win32.h"

#include <memory>
#include <string>
#include <vector>

#include "platform/arrival_counter_window_win32.h"
#include "platform/clock.h"
#include "platform/hid_bus.h"

namespace platform {

class Win32HidBus : public HidBus {
  public:
    // The wait for pending installations runs on clock.
    explicit Win32HidBus(Clock& clock) : clock_(clock) {}

    // The window the system tells of HID arrivals from now on (the dialog's): it gets a device-arrival
    // message for each. Null: a message-only window of the bus's own, whose arrivals TakeArrivals counts.
    void SetNotificationWindow(HWND window) { notificationWindow_ = window; }

    // The device paths, in SetupAPI's order.
    std::vector<std::string> PresentInterfaces() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    std::unique_ptr<HidArrivalRegistration> RegisterArrivals() override;
    int TakeArrivals() override;
    // Asks the configuration manager every few moments, so that a waiting dialog goes on repainting.
    bool WaitForPendingInstallation(std::uint32_t timeoutMs) override;

  private:
    Clock& clock_;
    HWND notificationWindow_ = nullptr;
    std::unique_ptr<ArrivalCounterWindow> counter_;  // made at the first registration without a window
};

}  // namespace platform
