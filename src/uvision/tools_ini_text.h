// TOOLS.INI as lines, read in text mode and written back with CR LF line ends.
#pragma once

#include <string>
#include <vector>

struct ToolsIniText {
    // The lines as text mode reads them: split at LF, a CR directly before the LF dropped, reading stopped
    // at a byte 0x1A. A final line break gives one extra empty line; an empty text gives one empty line.
    std::vector<std::string> lines;
    // The bytes from the first 0x1A on, which text mode does not read; a rewrite puts them back unchanged.
    std::string tail;
};

ToolsIniText SplitToolsIni(const std::string& bytes);

// Every non-empty line followed by CR LF (empty lines are dropped), then the tail.
std::string JoinToolsIni(const std::vector<std::string>& lines, const std::string& tail);
