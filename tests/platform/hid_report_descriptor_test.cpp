// Report lengths and numbering from report descriptors shaped like real devices', and descriptors that
// cannot be taken as they stand.
#include "platform/hid_report_descriptor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using platform::HidDescriptorParse;
using platform::ParseHidReportDescriptor;

// A vendor-defined application collection around the given items.
Bytes VendorCollection(const Bytes& items) {
    Bytes d = {0x06, 0x00, 0xFF,  // Usage Page (vendor 0xFF00)
               0x09, 0x01,        // Usage (1)
               0xA1, 0x01,        // Collection (Application)
               0x15, 0x00,        // Logical Minimum (0)
               0x26, 0xFF, 0x00,  // Logical Maximum (255)
               0x75, 0x08};       // Report Size (8)
    d.insert(d.end(), items.begin(), items.end());
    d.push_back(0xC0);  // End Collection
    return d;
}

// Report Count (n, in two bytes) and one main item of the given prefix (0x81 Input, 0x91 Output, 0xB1
// Feature), with its usage.
Bytes Fields(std::uint16_t count, std::uint8_t mainItem) {
    return {
        0x96, static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8), 0x09, 0x01, mainItem,
        0x02};
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes ReportId(std::uint8_t id) {
    return {0x85, id};
}

constexpr std::uint8_t kInput = 0x81;
constexpr std::uint8_t kOutput = 0x91;
constexpr std::uint8_t kFeature = 0xB1;

void ExpectLengths(const HidDescriptorParse& parsed, std::uint16_t feature, std::uint16_t input,
                   std::uint16_t output, bool numbered) {
    ASSERT_TRUE(parsed.summary) << parsed.error;
    EXPECT_EQ(parsed.summary->lengths.feature, feature);
    EXPECT_EQ(parsed.summary->lengths.input, input);
    EXPECT_EQ(parsed.summary->lengths.output, output);
    EXPECT_EQ(parsed.summary->numbered, numbered);
}

TEST(HidReportDescriptor, VendorReportsOf64BytesWithoutReportIds) {
    const Bytes d = VendorCollection(Concat({Fields(64, kInput), Fields(64, kOutput), Fields(64, kFeature)}));
    ExpectLengths(ParseHidReportDescriptor(d), 65, 65, 65, false);
}

TEST(HidReportDescriptor, WithSeveralReportIdsTheLongestOfEachTypeCounts) {
    const Bytes d = VendorCollection(Concat({ReportId(1), Fields(8, kInput),    // input 1: 8 bytes
                                             ReportId(2), Fields(63, kInput),   // input 2: 63
                                             ReportId(2), Fields(32, kOutput),  // output 2: 32
                                             ReportId(3), Fields(4, kFeature),  // feature 3: 4
                                             ReportId(4), Fields(2, kFeature)}));
    ExpectLengths(ParseHidReportDescriptor(d), 5, 64, 33, true);
}

TEST(HidReportDescriptor, FieldsOfOneReportAddUpAndBitsRoundUpToBytes) {
    // A boot keyboard: 8 modifier bits, a reserved byte, six key codes; five LED bits and three of padding.
    const Bytes keyboard = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,  // Generic Desktop, Keyboard, Application
                            0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,  //
                            0x75, 0x01, 0x95, 0x08, 0x81, 0x02,                          // modifiers
                            0x95, 0x01, 0x75, 0x08, 0x81, 0x01,                          // reserved
                            0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05,  //
                            0x91, 0x02,                                                  // LEDs
                            0x95, 0x01, 0x75, 0x03, 0x91, 0x01,                          // padding
                            0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07,  //
                            0x19, 0x00, 0x29, 0x65, 0x81, 0x00,                          // keys
                            0xC0};
    ExpectLengths(ParseHidReportDescriptor(keyboard), 0, 9, 2, false);

    // 12 bits of input take two bytes.
    const Bytes twelveBits = {0xA1, 0x01, 0x75, 0x0C, 0x95, 0x01, 0x81, 0x02, 0xC0};
    ExpectLengths(ParseHidReportDescriptor(twelveBits), 0, 3, 0, false);
}

TEST(HidReportDescriptor, AFeatureReportOf300BytesKeepsItsWholeLength) {
    const Bytes d =
        VendorCollection(Concat({Fields(64, kInput), Fields(64, kOutput), Fields(300, kFeature)}));
    ExpectLengths(ParseHidReportDescriptor(d), 301, 65, 65, false);
}

TEST(HidReportDescriptor, PushAndPopRestoreTheReportSizeAndLongItemsAreSkipped) {
    const Bytes d = VendorCollection(Concat({{0xA4, 0x75, 0x01},              // Push, Report Size (1)
                                             Fields(4, kInput),               // 4 bits
                                             {0xB4},                          // Pop: Report Size 8 again
                                             {0xFE, 0x02, 0x10, 0xAA, 0xBB},  // a long item of two bytes
                                             Fields(2, kInput)}));            // 2 bytes
    ExpectLengths(ParseHidReportDescriptor(d), 0, 4, 0, false);  // 4 bits + 16 bits = 3 bytes, + 1
}

TEST(HidReportDescriptor, RefusesMalformedDescriptorsWithAReason) {
    struct Case {
        const char* name;
        Bytes descriptor;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", {}, "empty"},
        {"one-byte item without its byte", {0xA1, 0x01, 0x75}, "cut off"},
        {"four-byte item with two", {0xA1, 0x01, 0x27, 0xFF, 0xFF}, "cut off"},
        {"long item longer than the rest", {0xFE, 0x05, 0x10, 0x01}, "long item cut off"},
        {"long item header cut", {0xFE, 0x01}, "long item cut off"},
        {"report ID 0", {0xA1, 0x01, 0x85, 0x00, 0xC0}, "report ID 0 "},
        {"report ID 256", {0xA1, 0x01, 0x86, 0x00, 0x01, 0xC0}, "report ID 256 "},
        {"Pop without Push", {0xB4}, "Pop without a Push"},
        {"End Collection without Collection", {0xC0}, "End Collection without"},
        {"collection left open", {0xA1, 0x01, 0xA1, 0x02, 0xC0}, "1 collection(s) left open"},
        {"numbered and unnumbered reports",
         {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02, 0xC0},
         "both with and without"},
        {"report of 2^64 bits",
         {0xA1, 0x01, 0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0xB1, 0x02, 0xC0},
         "longer than 65534 bytes"},
        {"report one byte too long", VendorCollection(Concat({Fields(0xFFFF, kFeature)})), "longer than"},
        {"fields that add up to too long",
         VendorCollection(Concat({Fields(0x8000, kOutput), Fields(0x8000, kOutput)})), "longer than"},
        {"Push nested 17 deep", Bytes(17, 0xA4), "nested too deep"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const HidDescriptorParse parsed = ParseHidReportDescriptor(c.descriptor);
        EXPECT_FALSE(parsed.summary);
        EXPECT_NE(parsed.error.find(c.reason), std::string::npos) << parsed.error;
    }
}

TEST(HidReportDescriptor, TheLongestReportThatFitsIsTaken) {
    const Bytes d = VendorCollection(Concat({Fields(0xFFFE, kFeature)}));
    ExpectLengths(ParseHidReportDescriptor(d), 0xFFFF, 0, 0, false);
}

TEST(HidReportDescriptor, NamesTheOffsetOfTheOffendingItem) {
    const HidDescriptorParse parsed = ParseHidReportDescriptor(Bytes{0xA1, 0x01, 0x85, 0x00, 0xC0});
    EXPECT_NE(parsed.error.find("(offset 2)"), std::string::npos) << parsed.error;
}

// The descriptor opens its collection first and closes it last, so every cut ends inside an item or inside
// the collection and none may pass; the copies are exactly as long as the cut, so a read past the end shows
// under AddressSanitizer.
TEST(HidReportDescriptor, EveryTruncationIsRefusedWithoutReadingPastTheEnd) {
    const Bytes whole = Concat({{0xA1, 0x01, 0x75, 0x08},
                                ReportId(1),
                                Fields(64, kInput),
                                {0x27, 0xFF, 0xFF, 0x00, 0x00},
                                {0xFE, 0x01, 0x10, 0xAA},
                                ReportId(2),
                                Fields(64, kFeature),
                                {0xC0}});
    ASSERT_TRUE(ParseHidReportDescriptor(whole).summary);
    for (std::size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
        const HidDescriptorParse parsed = ParseHidReportDescriptor(cut);
        EXPECT_FALSE(parsed.summary);
        EXPECT_FALSE(parsed.error.empty());
    }
}

}  // namespace
