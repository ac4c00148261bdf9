// What the simulated ICE adapter (--simulate-adapter=SPEC) is like: a healthy adapter by default, with
// faults on demand.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "adapter/firmware_image.h"
#include "platform/hid_bus.h"

struct SimulatedAdapterSettings {
    // The report the boot loader refuses.
    enum class Refusal { kNone, kStart, kData, kEnd, kReset, kNumbered };
    // The byte of the status report that carries a wrong checksum.
    enum class ChecksumFault { kNone, kHigh, kLow };

    FirmwareVersion version = {0x02, 0x15};  // that of the sample Trelvor.dat
    std::optional<std::uint16_t> vendorId;   // none: the vendor ID the program looks for
    bool absent = false;
    bool startsInLoader = false;
    platform::HidReportLengths lengths = {65, 65, 65};
    std::uint32_t detachMs = 1500;             // from command 0x44 to the boot loader's arrival
    std::uint32_t resetMs = 1500;              // from the reset report to the application's arrival
    bool neverReturns = false;                 // the boot loader never arrives
    int hiddenSearches = 0;                    // searches that miss the boot loader after its arrival
    bool silent = false;                       // no answer to the version query
    std::optional<std::uint8_t> answerLength;  // none: the right one, 2
    int noise = 0;                             // unrelated input reports queued before each answer
    Refusal refusal = Refusal::kNone;
    int refusedReport = 0;  // for kNumbered: the k-th feature report the boot loader is sent, from 1
    ChecksumFault checksumFault = ChecksumFault::kNone;
    bool statusReadFails = false;
    int pendingWaits = 0;  // installation waits that time out before one settles
    int otherInterfaces = 0;
    int lockedInterfaces = 0;
    bool twin = false;
    bool registrationFails = false;
};

// Parses "key[=value],..." (empty: the defaults); false with a one-line reason on a wrong SPEC.
bool ParseSimulatedAdapterSettings(const std::string& text, SimulatedAdapterSettings& spec,
                                   std::string& error);

// The SPEC syntax, for the program's help.
const char* SimulatedAdapterSettingsHelp();
