// A HID bus in front of another one that numbers every call made through it once armed (searches, opens, the
// registration and the installation wait, and every call on the devices it opened but the cancel) and fails
// the one numbered failAt, as the system would: a search finds nothing, an open or a registration gives
// nothing, the wait times out, a device cannot tell its identity or report lengths, a transfer fails without
// reaching the device. Running a sequence once for every number up to its last call fails each step in turn.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/hid_bus.h"

class FailingCallHidBus : public platform::HidBus {
  public:
    explicit FailingCallHidBus(platform::HidBus& inner) : inner_(inner) {}

    // From now on, count the calls and fail the failAt-th (from 1).
    void Arm(int failAt) {
        armed_ = true;
        failAt_ = failAt;
        calls.clear();
        failed.clear();
    }

    std::vector<std::string> calls;  // since Arm, named as "Open sim:adapter:1", "SetFeatureReport", ...
    std::string failed;              // the call that was failed; empty when fewer calls were made

    // Counts the call; true when it is the one to fail (its error code is then recorded).
    bool Fails(const std::string& call);

    std::vector<std::string> PresentInterfaces() override;
    std::unique_ptr<platform::HidDevice> Open(const std::string& path) override;
    std::unique_ptr<platform::HidArrivalRegistration> RegisterArrivals() override;
    int TakeArrivals() override { return inner_.TakeArrivals(); }
    bool WaitForPendingInstallation(std::uint32_t timeoutMs) override;

  private:
    platform::HidBus& inner_;
    bool armed_ = false;
    int failAt_ = 0;
};
