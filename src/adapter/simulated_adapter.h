// A simulated ICE adapter behind the HID bus interface, for --simulate-adapter and the tests: the
// application answers the version query and goes into its boot loader on command 0x44; the boot loader takes
// a download through feature reports, reports its checksum, and restarts the application with the
// downloaded version. Its delays run off the program's clock, and its faults come from the SPEC.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "adapter/simulated_adapter_settings.h"
#include "platform/clock.h"
#include "platform/hid_bus.h"

class SimulatedAdapterModel;

class SimulatedAdapter : public platform::HidBus {
  public:
    // vendorId: the one the program looks for; the SPEC may name another.
    SimulatedAdapter(const SimulatedAdapterSettings& spec, std::uint16_t vendorId, platform::Clock& clock);
    ~SimulatedAdapter() override;

    std::vector<std::string> PresentInterfaces() override;
    std::unique_ptr<platform::HidDevice> Open(const std::string& path) override;
    std::unique_ptr<platform::HidArrivalRegistration> RegisterArrivals() override;
    int TakeArrivals() override;
    bool WaitForPendingInstallation(std::uint32_t timeoutMs) override;

    // What the adapter holds now.
    FirmwareVersion Version() const;
    bool InBootLoader() const;
    const std::vector<std::uint8_t>& ReceivedImage() const;  // as the last download delivered it

  private:
    std::shared_ptr<SimulatedAdapterModel> model_;  // shared with the open handles
};

// The adapter a --simulate-adapter SPEC describes; null for a wrong SPEC.
std::unique_ptr<SimulatedAdapter> MakeSimulatedAdapter(const std::string& specText, std::uint16_t vendorId,
                                                       platform::Clock& clock);
