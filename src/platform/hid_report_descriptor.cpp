#include "platform/hid_report_descriptor.h"

#include <algorithm>
#include <array>
#include <vector>

namespace platform {
namespace {

// Item types and the tags this parser acts on (USB HID class definition 1.11, section 6.2.2).
constexpr std::uint8_t kTypeMain = 0;
constexpr std::uint8_t kTypeGlobal = 1;

constexpr std::uint8_t kMainInput = 0x8;
constexpr std::uint8_t kMainOutput = 0x9;
constexpr std::uint8_t kMainCollection = 0xA;
constexpr std::uint8_t kMainFeature = 0xB;
constexpr std::uint8_t kMainEndCollection = 0xC;

constexpr std::uint8_t kGlobalReportSize = 0x7;
constexpr std::uint8_t kGlobalReportId = 0x8;
constexpr std::uint8_t kGlobalReportCount = 0x9;
constexpr std::uint8_t kGlobalPush = 0xA;
constexpr std::uint8_t kGlobalPop = 0xB;

constexpr std::uint8_t kLongItemPrefix = 0xFE;
constexpr std::size_t kLongItemHeaderSize = 3;

// Deeper than any real descriptor nests its global state.
constexpr std::size_t kMaxPushDepth = 16;
constexpr std::uint64_t kMaxReportBits = (kMaxHidReportLength - 1) * 8;

enum ReportType : std::size_t { kInput, kOutput, kFeature, kReportTypes };

struct GlobalState {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

struct ReportBits {
    bool declared = false;
    std::uint64_t bits = 0;
};

HidDescriptorParse Failure(const std::string& what, std::size_t offset) {
    return {std::nullopt, what + " (offset " + std::to_string(offset) + ")"};
}

std::uint32_t LittleEndian(std::span<const std::uint8_t> bytes) {
    std::uint32_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
    return value;
}

std::uint16_t LengthOf(const std::array<ReportBits, 256>& reports) {
    std::uint64_t longest = 0;
    bool any = false;
    for (const ReportBits& report : reports) {
        if (!report.declared) continue;
        any = true;
        longest = std::max(longest, (report.bits + 7) / 8);
    }
    return any ? static_cast<std::uint16_t>(longest + 1) : 0;
}

}  // namespace

HidDescriptorParse ParseHidReportDescriptor(std::span<const std::uint8_t> descriptor) {
    if (descriptor.empty()) return {std::nullopt, "the report descriptor is empty"};

    std::array<std::array<ReportBits, 256>, kReportTypes> reports{};
    GlobalState global;
    std::vector<GlobalState> pushed;
    std::size_t openCollections = 0;
    bool unnumberedSeen = false;
    bool numberedSeen = false;

    std::size_t offset = 0;
    while (offset < descriptor.size()) {
        const std::uint8_t prefix = descriptor[offset];
        const std::size_t remaining = descriptor.size() - offset;
        if (prefix == kLongItemPrefix) {
            // Long items carry nothing the lengths depend on; only their extent matters.
            if (remaining < kLongItemHeaderSize || remaining - kLongItemHeaderSize < descriptor[offset + 1])
                return Failure("long item cut off by the end of the descriptor", offset);
            offset += kLongItemHeaderSize + descriptor[offset + 1];
            continue;
        }

        const std::size_t dataSize = (prefix & 3) == 3 ? 4 : (prefix & 3);
        if (remaining - 1 < dataSize) return Failure("item cut off by the end of the descriptor", offset);
        const std::uint32_t value = LittleEndian(descriptor.subspan(offset + 1, dataSize));
        const std::uint8_t type = (prefix >> 2) & 3;
        const std::uint8_t tag = prefix >> 4;

        if (type == kTypeGlobal) {
            switch (tag) {
                case kGlobalReportSize:
                    global.reportSize = value;
                    break;
                case kGlobalReportCount:
                    global.reportCount = value;
                    break;
                case kGlobalReportId:
                    if (value == 0 || value > 255)
                        return Failure("report ID " + std::to_string(value) + " outside 1 to 255", offset);
                    global.reportId = value;
                    break;
                case kGlobalPush:
                    if (pushed.size() == kMaxPushDepth) return Failure("Push nested too deep", offset);
                    pushed.push_back(global);
                    break;
                case kGlobalPop:
                    if (pushed.empty()) return Failure("Pop without a Push", offset);
                    global = pushed.back();
                    pushed.pop_back();
                    break;
                default:
                    break;
            }
        } else if (type == kTypeMain) {
            std::optional<ReportType> reportType;
            if (tag == kMainInput) reportType = kInput;
            if (tag == kMainOutput) reportType = kOutput;
            if (tag == kMainFeature) reportType = kFeature;
            if (tag == kMainCollection) ++openCollections;
            if (tag == kMainEndCollection) {
                if (openCollections == 0) return Failure("End Collection without a Collection", offset);
                --openCollections;
            }
            if (reportType) {
                (global.reportId == 0 ? unnumberedSeen : numberedSeen) = true;
                if (unnumberedSeen && numberedSeen)
                    return Failure("reports both with and without a report ID", offset);
                ReportBits& report = reports[*reportType][global.reportId];
                // Each factor is below 2^32, so neither the product nor the sum can wrap.
                report.bits += std::uint64_t{global.reportSize} * global.reportCount;
                report.declared = true;
                if (report.bits > kMaxReportBits)
                    return Failure("report longer than " + std::to_string(kMaxHidReportLength - 1) + " bytes",
                                   offset);
            }
        }
        offset += 1 + dataSize;
    }
    if (openCollections != 0)
        return Failure(std::to_string(openCollections) + " collection(s) left open", descriptor.size());

    HidReportSummary summary;
    summary.lengths.input = LengthOf(reports[kInput]);
    summary.lengths.output = LengthOf(reports[kOutput]);
    summary.lengths.feature = LengthOf(reports[kFeature]);
    summary.numbered = numberedSeen;
    return {summary, ""};
}

}  // namespace platform
