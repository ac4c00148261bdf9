// The --simulate-adapter SPEC parser over any text: a SPEC is taken whole or refused with a one-line reason,
// and a SPEC taken gives an adapter that can be searched for and opened.
#include <cstddef>
#include <cstdint>
#include <string>

#include "adapter/simulated_adapter.h"
#include "fuzz_check.h"
#include "platform/clock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    SimulatedAdapterSettings spec;
    std::string error;
    const bool taken = ParseSimulatedAdapterSettings(text, spec, error);
    FuzzCheck(taken == error.empty(), "a SPEC taken with an error, or refused without one");
    FuzzCheck(error.find('\n') == std::string::npos, "a reason of more than one line");
    if (!taken) return 0;

    FuzzCheck(spec.refusal != SimulatedAdapterSettings::Refusal::kNumbered || spec.refusedReport > 0,
              "a refused report numbered 0");
    platform::VirtualClock clock;
    const auto adapter = MakeSimulatedAdapter(text, 0x2E1A, clock);
    FuzzCheck(adapter != nullptr, "a SPEC taken by the parser but not by the adapter");
    for (const std::string& path : adapter->PresentInterfaces()) {
        if (auto device = adapter->Open(path)) {
            device->Identity();
            device->ReportLengths();
        }
    }
    return 0;
}
