// The HID report descriptor parser over any bytes, as a device (or hidraw) may hand them out: it reads
// nothing past the end, and either gives report lengths or says why not, naming an offset inside the
// descriptor. Appending a long item, which carries nothing the lengths depend on, changes nothing.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/hid_report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so that AddressSanitizer sees any read past the end.
    const std::vector<std::uint8_t> descriptor(data, data + size);
    const platform::HidDescriptorParse parse = platform::ParseHidReportDescriptor(descriptor);
    FuzzCheck(parse.summary.has_value() == parse.error.empty(), "lengths and an error, or neither");
    if (!parse.summary) {
        if (size == 0) return 0;  // nothing to point at
        const std::size_t at = parse.error.rfind("(offset ");
        FuzzCheck(at != std::string::npos, "an error without its offset: " + parse.error);
        FuzzCheck(std::stoul(parse.error.substr(at + 8)) <= size, "an error offset past the end");
        return 0;
    }
    const platform::HidReportLengths lengths = parse.summary->lengths;

    std::vector<std::uint8_t> longer = descriptor;
    longer.insert(longer.end(), {0xFE, 0x02, 0x00, 0xAA, 0xBB});  // a long item with two data bytes
    const platform::HidDescriptorParse again = platform::ParseHidReportDescriptor(longer);
    FuzzCheck(again.summary && again.summary->lengths.input == lengths.input &&
                  again.summary->lengths.output == lengths.output &&
                  again.summary->lengths.feature == lengths.feature &&
                  again.summary->numbered == parse.summary->numbered,
              "a long item changed the lengths");
    return 0;
}
