#include "adapter/simulated_adapter_settings.h"

#include <charconv>
#include <functional>
#include <map>

#include "platform/printable_text.h"

namespace {

// Decimal, or hexadecimal after "0x".
bool ParseUnsigned(const std::string& text, std::uint32_t limit, std::uint32_t& value) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    std::uint32_t parsed = 0;
    const auto [end, ec] = std::from_chars(first, last, parsed, hex ? 16 : 10);
    if (ec != std::errc() || end != last || first == last || parsed > limit) return false;
    value = parsed;
    return true;
}

template <typename T>
bool ParseInto(const std::string& text, std::uint32_t limit, T& out) {
    std::uint32_t value = 0;
    if (!ParseUnsigned(text, limit, value)) return false;
    out = static_cast<T>(value);
    return true;
}

bool ParseVersion(const std::string& text, FirmwareVersion& version) {
    const auto dot = text.find('.');
    if (dot == std::string::npos) return false;
    return ParseInto(text.substr(0, dot), 0xFF, version[0]) &&
           ParseInto(text.substr(dot + 1), 0xFF, version[1]);
}

bool ParseRefusal(const std::string& text, SimulatedAdapterSettings& spec) {
    using Refusal = SimulatedAdapterSettings::Refusal;
    static const std::map<std::string, Refusal> kNamed = {{"start", Refusal::kStart},
                                                          {"data", Refusal::kData},
                                                          {"end", Refusal::kEnd},
                                                          {"reset", Refusal::kReset}};
    if (const auto named = kNamed.find(text); named != kNamed.end()) {
        spec.refusal = named->second;
        return true;
    }
    if (!ParseInto(text, 1000000, spec.refusedReport) || spec.refusedReport == 0) return false;
    spec.refusal = Refusal::kNumbered;
    return true;
}

bool ParseChecksumFault(const std::string& text, SimulatedAdapterSettings& spec) {
    if (text == "high")
        spec.checksumFault = SimulatedAdapterSettings::ChecksumFault::kHigh;
    else if (text == "low")
        spec.checksumFault = SimulatedAdapterSettings::ChecksumFault::kLow;
    else
        return false;
    return true;
}

struct Key {
    bool takesValue;
    const char* expects;  // what the value should look like, for the error
    std::function<bool(const std::string&, SimulatedAdapterSettings&)> apply;
};

const std::map<std::string, Key>& Keys() {
    using Spec = SimulatedAdapterSettings;
    static const std::map<std::string, Key> keys = {
        {"version", {true, "two numbers A.B", [](auto& v, Spec& s) { return ParseVersion(v, s.version); }}},
        {"vid",
         {true, "a 16-bit number",
          [](auto& v, Spec& s) {
              std::uint16_t id = 0;
              if (!ParseInto(v, 0xFFFF, id)) return false;
              s.vendorId = id;
              return true;
          }}},
        {"absent", {false, "", [](auto&, Spec& s) { return s.absent = true; }}},
        {"loader", {false, "", [](auto&, Spec& s) { return s.startsInLoader = true; }}},
        {"feature",
         {true, "0 to 65535", [](auto& v, Spec& s) { return ParseInto(v, 0xFFFF, s.lengths.feature); }}},
        {"input",
         {true, "0 to 65535", [](auto& v, Spec& s) { return ParseInto(v, 0xFFFF, s.lengths.input); }}},
        {"output",
         {true, "0 to 65535", [](auto& v, Spec& s) { return ParseInto(v, 0xFFFF, s.lengths.output); }}},
        {"detach-ms",
         {true, "0 to 600000", [](auto& v, Spec& s) { return ParseInto(v, 600000, s.detachMs); }}},
        {"reset-ms", {true, "0 to 600000", [](auto& v, Spec& s) { return ParseInto(v, 600000, s.resetMs); }}},
        {"never-return", {false, "", [](auto&, Spec& s) { return s.neverReturns = true; }}},
        {"after", {true, "0 to 1000", [](auto& v, Spec& s) { return ParseInto(v, 1000, s.hiddenSearches); }}},
        {"silent", {false, "", [](auto&, Spec& s) { return s.silent = true; }}},
        {"answer-length",
         {true, "0 to 255",
          [](auto& v, Spec& s) {
              std::uint8_t length = 0;
              if (!ParseInto(v, 0xFF, length)) return false;
              s.answerLength = length;
              return true;
          }}},
        {"noise", {true, "0 to 1000", [](auto& v, Spec& s) { return ParseInto(v, 1000, s.noise); }}},
        {"refuse", {true, "start, data, end, reset or a report number", ParseRefusal}},
        {"checksum", {true, "high or low", ParseChecksumFault}},
        {"status-fail", {false, "", [](auto&, Spec& s) { return s.statusReadFails = true; }}},
        {"pending", {true, "0 to 100", [](auto& v, Spec& s) { return ParseInto(v, 100, s.pendingWaits); }}},
        {"others", {true, "0 to 16", [](auto& v, Spec& s) { return ParseInto(v, 16, s.otherInterfaces); }}},
        {"locked", {true, "0 to 16", [](auto& v, Spec& s) { return ParseInto(v, 16, s.lockedInterfaces); }}},
        {"twin", {false, "", [](auto&, Spec& s) { return s.twin = true; }}},
        {"no-notify", {false, "", [](auto&, Spec& s) { return s.registrationFails = true; }}},
    };
    return keys;
}

}  // namespace

bool ParseSimulatedAdapterSettings(const std::string& text, SimulatedAdapterSettings& spec,
                                   std::string& error) {
    spec = SimulatedAdapterSettings{};
    if (text.empty()) return true;
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t comma = std::min(text.find(',', begin), text.size());
        const std::string item = text.substr(begin, comma - begin);
        begin = comma + 1;

        const auto eq = item.find('=');
        const std::string name = item.substr(0, eq);
        const auto key = Keys().find(name);
        if (key == Keys().end()) {
            error = "unknown simulated-adapter setting '" + platform::PrintableText(name) + "'";
            return false;
        }
        const bool hasValue = eq != std::string::npos;
        if (hasValue != key->second.takesValue) {
            error =
                "simulated-adapter setting '" + name + (hasValue ? "' takes no value" : "' needs a value");
            return false;
        }
        const std::string value = hasValue ? item.substr(eq + 1) : std::string();
        if (!key->second.apply(value, spec)) {
            error = "simulated-adapter setting '" + name + "' needs " + key->second.expects;
            return false;
        }
    }
    return true;
}

const char* SimulatedAdapterSettingsHelp() {
    return "SPEC of --simulate-adapter: settings separated by commas; none gives a healthy adapter whose\n"
           "firmware matches the sample Trelvor.dat.\n"
           "  version=A.B              its firmware version bytes (default 2.21, i.e. 0x02 0x15)\n"
           "  vid=V                    the vendor ID it reports (default: the one looked for)\n"
           "  absent                   no adapter is attached\n"
           "  loader                   it starts in its boot loader\n"
           "  feature=N input=N output=N\n"
           "                           its report lengths in bytes (default 65 each)\n"
           "  detach-ms=N reset-ms=N   how long it is away after each mode switch (default 1500)\n"
           "  never-return             it never comes back as the boot loader\n"
           "  after=N                  the first N searches after its arrival miss the boot loader\n"
           "  silent                   it does not answer the version query\n"
           "  answer-length=N          the length byte of its version answer (right: 2)\n"
           "  noise=N                  N unrelated input reports come before each answer\n"
           "  refuse=start|data|end|reset|K\n"
           "                           the boot loader refuses that report (K: the K-th it is sent)\n"
           "  checksum=high|low        that byte of the download status is wrong\n"
           "  status-fail              the download status cannot be read\n"
           "  pending=N                device installation is still pending after the first N waits\n"
           "  others=N locked=N        N other HID interfaces, N that cannot be opened, listed first\n"
           "  twin                     a second adapter is attached after the first\n"
           "  no-notify                arrival notification cannot be registered\n"
           "Example: --simulate-adapter=version=2.20,feature=9 is upgraded with 8 image bytes a report.\n";
}
