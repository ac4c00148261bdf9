// A HID bus in front of another one (the simulated adapter) whose every call the fuzzer may spoil: a search
// that finds nothing, an open refused, an identity or report lengths the device never had, an answer of any
// bytes and length, a transfer that fails (and never reaches the device), installation that stays pending,
// arrivals that come from nowhere. Once the input is used up every call goes through unspoilt.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/hid_bus.h"

class TamperingHidBus : public platform::HidBus {
  public:
    TamperingHidBus(platform::HidBus& inner, FuzzedDataProvider& input) : inner_(inner), input_(input) {}

    std::vector<std::string> PresentInterfaces() override;
    std::unique_ptr<platform::HidDevice> Open(const std::string& path) override;
    std::unique_ptr<platform::HidArrivalRegistration> RegisterArrivals() override;
    int TakeArrivals() override;
    bool WaitForPendingInstallation(std::uint32_t timeoutMs) override;

  private:
    platform::HidBus& inner_;
    FuzzedDataProvider& input_;
};

// What the fuzzer does to the next call: most values leave it alone.
enum class Tamper { kNone, kFail, kReplace };
Tamper NextTamper(FuzzedDataProvider& input);
