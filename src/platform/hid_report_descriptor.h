// What a HID report descriptor says about the reports a device exchanges: their lengths as the Windows HID
// parser gives them (HidP_GetCaps), and whether the reports are numbered. Backends without such a parser
// (hidraw hands out the raw descriptor) work the lengths out here, so every platform sees the same numbers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "platform/hid_bus.h"

namespace platform {

struct HidReportSummary {
    // For each report type the longest report in bytes (its bits rounded up) plus one for the report-ID
    // byte, whether or not the device numbers its reports; 0 for a type the device has no report of.
    HidReportLengths lengths;
    // Whether the reports carry a report ID; the byte is then part of every report on the wire.
    bool numbered = false;
};

struct HidDescriptorParse {
    std::optional<HidReportSummary> summary;  // empty for a descriptor that cannot be taken as it stands
    std::string error;                        // why not, naming the offset of the offending item
};

// The longest report the parser accepts, report-ID byte included: what a 16-bit length can hold.
constexpr std::size_t kMaxHidReportLength = 0xFFFF;

// Reads the descriptor item by item and never past its end.
HidDescriptorParse ParseHidReportDescriptor(std::span<const std::uint8_t> descriptor);

}  // namespace platform
