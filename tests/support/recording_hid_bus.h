// A HID bus that passes every call on to another one and records what went over it: the searches, the
// opens, and every transfer with its bytes, in order.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/hid_bus.h"

struct HidTransfer {
    enum class Kind { kWrite, kRead, kSetFeature, kGetFeature, kCancel };
    Kind kind;
    std::vector<std::uint8_t> bytes;  // what was sent, or what came back
    bool ok;
};

class RecordingHidBus : public platform::HidBus {
  public:
    explicit RecordingHidBus(platform::HidBus& inner) : inner_(inner) {}

    int searches = 0;
    std::vector<std::string> opened;  // every path an open was tried on
    std::vector<HidTransfer> transfers;

    // Run on the caller's thread: before each search (with its number, from 1), and after each transfer has
    // been recorded.
    std::function<void(int)> beforeSearch;
    std::function<void(const HidTransfer&)> afterTransfer;

    std::vector<HidTransfer> Transfers(HidTransfer::Kind kind) const;
    std::size_t Count(HidTransfer::Kind kind) const { return Transfers(kind).size(); }

    std::vector<std::string> PresentInterfaces() override;
    std::unique_ptr<platform::HidDevice> Open(const std::string& path) override;
    std::unique_ptr<platform::HidArrivalRegistration> RegisterArrivals() override {
        return inner_.RegisterArrivals();
    }
    int TakeArrivals() override { return inner_.TakeArrivals(); }
    bool WaitForPendingInstallation(std::uint32_t timeoutMs) override {
        return inner_.WaitForPendingInstallation(timeoutMs);
    }

    void Record(HidTransfer transfer);

  private:
    platform::HidBus& inner_;
};
