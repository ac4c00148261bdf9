// Finding a debugger driver in its section of TOOLS.INI, and where and under which number a new one goes.
// Keil reads at most 40 drivers per section, numbered keys <prefix>0 to <prefix>39.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

// One [TOOL] entry: SECTION = "PREFIX", tagFlag, reserved, "value".
struct ToolEntry {
    std::string section;    // upper-cased, without brackets
    std::string keyPrefix;  // upper-cased
    int tagFlag = 0;        // 1: the value carries the generation tag
    int reserved = 0;
    std::string value;  // letter case kept; its text before the first "(" identifies the driver
};

constexpr int kMaxDrivers = 40;

struct DriverScan {
    enum class Outcome {
        kNoSection,     // the section's header is not in the file
        kFound,         // the driver is registered at foundIndex
        kTableFull,     // 40 numbered keys, none of them the driver; or no free number below 40
        kNotRegistered  // a new line goes at insertIndex with the key number newNumber
    };
    Outcome outcome = Outcome::kNoSection;
    std::size_t foundIndex = 0;
    std::size_t insertIndex = 0;
    int newNumber = 0;
};

// "UV2" under µVision2, "UV3" otherwise.
const char* GenerationTag(int uvVersion);

// What identifies the entry's driver: the tagged value up to its first "(" (all of it when it has none),
// without trailing blanks, upper-cased.
std::string EntryIdentity(const ToolEntry& entry, int uvVersion, const platform::CodePage& cp);

DriverScan ScanDriverSection(const std::vector<std::string_view>& lines, const ToolEntry& entry,
                             const std::string& entryIdentity, const platform::CodePage& cp);

// The line that registers the driver under <prefix><number>.
std::string NewDriverLine(const ToolEntry& entry, int number, int uvVersion);
