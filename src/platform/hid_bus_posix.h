// The machine's HID devices on Linux: the hidraw nodes that udev knows, opened through hidraw, with udev's
// events for arrivals and its event queue for pending installations.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/hid_bus.h"

struct udev;

namespace platform {

class UdevArrivalCounter;

class HidrawBus : public HidBus {
  public:
    // The wait for pending installations runs on clock.
    explicit HidrawBus(Clock& clock);
    ~HidrawBus() override;
    HidrawBus(const HidrawBus&) = delete;
    HidrawBus& operator=(const HidrawBus&) = delete;

    // The device nodes (/dev/hidrawN), in udev's order.
    std::vector<std::string> PresentInterfaces() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    // Counts udev's "add" events of hidraw devices; they come once udev has set the node up.
    std::unique_ptr<HidArrivalRegistration> RegisterArrivals() override;
    int TakeArrivals() override;
    // Pending means events still in udev's queue.
    bool WaitForPendingInstallation(std::uint32_t timeoutMs) override;

  private:
    Clock& clock_;
    udev* udev_;  // null when libudev could not start
    std::shared_ptr<UdevArrivalCounter> arrivals_;
};

}  // namespace platform
