#include "uvision/driver_scan.h"

#include <unordered_set>

namespace {

// The driver a line registers: its text between the first "=" and the first "(" (to its end when it has
// no "("), without trailing blanks, upper-cased; empty when a "(" comes before the "=".
std::string LineIdentity(const std::string& rest, std::size_t equals, const platform::CodePage& cp) {
    const std::size_t paren = cp.Find(rest, '(');
    if (paren != std::string::npos && paren < equals) return {};
    const std::size_t end = paren == std::string::npos ? rest.size() : paren;
    return cp.Upper(cp.TrimRight(rest.substr(equals + 1, end - equals - 1)));
}

}  // namespace

const char* GenerationTag(int uvVersion) {
    return uvVersion == 1 ? "UV2" : "UV3";
}

std::string EntryIdentity(const ToolEntry& entry, int uvVersion, const platform::CodePage& cp) {
    const std::string tagged = (entry.tagFlag == 1 ? GenerationTag(uvVersion) : "") + entry.value;
    const std::size_t paren = cp.Find(tagged, '(');
    return cp.Upper(cp.TrimRight(paren == std::string::npos ? tagged : tagged.substr(0, paren)));
}

// The registration is looked for on every driver line of the section, before that line's key is counted, so
// it is found also on the 40th numbered key and under a key out of sequence. The new line continues the
// sequence <prefix>0, <prefix>1, ... as the keys stand, and goes right after its last member; a number that
// another key of the section already holds (as Keil reads keys: any letter case, blanks around it) is passed
// over, so the new line never shadows or is shadowed by another driver.
DriverScan ScanDriverSection(const std::vector<std::string_view>& lines, const ToolEntry& entry,
                             const std::string& entryIdentity, const platform::CodePage& cp) {
    DriverScan scan;
    const std::string header = "[" + entry.section + "]";
    std::size_t headerIndex = 0;
    while (headerIndex < lines.size() && (lines[headerIndex].size() != header.size() ||
                                          cp.Upper(std::string(lines[headerIndex])) != header)) {
        ++headerIndex;
    }
    if (headerIndex == lines.size()) return scan;

    const std::string& prefix = entry.keyPrefix;
    int count = 0;
    std::string expectedKey = prefix + "0";
    std::size_t insertIndex = headerIndex + 1;
    std::unordered_set<std::string> keysInUse;
    for (std::size_t i = headerIndex + 1; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty()) continue;
        if (line.front() == '[') break;
        const std::string rest = cp.TrimLeft(std::string(line));
        const std::size_t equals = cp.Find(rest, '=');
        if (equals == std::string::npos || equals == 0) continue;
        if (rest.size() < prefix.size() || cp.Upper(rest.substr(0, prefix.size())) != prefix) continue;

        const std::string key = rest.substr(0, equals);
        const bool continuesSequence = key == expectedKey;
        if (continuesSequence) insertIndex = i + 1;
        if (!entryIdentity.empty() && LineIdentity(rest, equals, cp) == entryIdentity) {
            scan.outcome = DriverScan::Outcome::kFound;
            scan.foundIndex = i;
            return scan;
        }
        if (continuesSequence) {
            if (++count == kMaxDrivers) {
                scan.outcome = DriverScan::Outcome::kTableFull;
                return scan;
            }
            expectedKey = prefix + std::to_string(count);
        }
        keysInUse.insert(cp.Upper(cp.TrimRight(key)));
    }

    int number = count;
    while (number < kMaxDrivers && keysInUse.count(prefix + std::to_string(number)) != 0) ++number;
    if (number >= kMaxDrivers) {
        scan.outcome = DriverScan::Outcome::kTableFull;
        return scan;
    }
    scan.outcome = DriverScan::Outcome::kNotRegistered;
    scan.insertIndex = insertIndex;
    scan.newNumber = number;
    return scan;
}

std::string NewDriverLine(const ToolEntry& entry, int number, int uvVersion) {
    return entry.keyPrefix + std::to_string(number) + "=" +
           (entry.tagFlag == 1 ? GenerationTag(uvVersion) : "") + entry.value;
}
