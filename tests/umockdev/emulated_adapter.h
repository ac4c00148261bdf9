// The simulated adapter's model played behind emulated hidraw devices. Its application numbers its reports
// (a command's length byte is the output report's ID, an answer's length byte the input report's), its boot
// loader does not (feature reports only); every mode switch unplugs one USB device and plugs the next, with
// udev's events, as the real adapter re-enumerates.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "adapter/simulated_adapter_model.h"
#include "platform/clock.h"
#include "umockdev/emulated_hidraw.h"

// The report descriptors of the two modes, for reports of the given lengths (report-ID byte included).
Bytes ApplicationDescriptor(std::uint16_t inputLength, std::uint16_t outputLength);
Bytes BootLoaderDescriptor(std::uint16_t featureLength);

class EmulatedAdapter {
  public:
    // As --simulate-adapter=SPEC describes it, except that it re-enumerates at once after a mode switch.
    // Plugged in unless the SPEC says it is absent; its hidraw nodes are numbered from firstNumber.
    EmulatedAdapter(Testbed& testbed, const std::string& spec, std::uint16_t vendorId, int firstNumber);
    ~EmulatedAdapter();
    EmulatedAdapter(const EmulatedAdapter&) = delete;
    EmulatedAdapter& operator=(const EmulatedAdapter&) = delete;

    FirmwareVersion Version();
    bool InBootLoader();
    Bytes ReceivedImage();
    // The hidraw nodes the adapter has had so far, the one plugged in (if any) last.
    std::vector<std::string> Nodes();
    // What went wrong on umockdev's side while the adapter switched modes; empty when nothing did.
    std::string Trouble();

  private:
    class ModeFunction;
    void Follow();
    void PlugIncarnation();

    Testbed& testbed_;
    std::mutex mutex_;  // transfers come on umockdev's worker thread
    platform::VirtualClock clock_;
    SimulatedAdapterModel model_;
    int nextNumber_;
    int incarnation_ = -1;
    std::vector<std::unique_ptr<ModeFunction>> functions_;
    std::vector<std::unique_ptr<EmulatedHidraw>> devices_;  // all kept: a handle may still reach a gone one
    std::string trouble_;
};
