// TOOLS.INI as lines, read in text mode and written back with CR LF line ends. The lines are views into the
// file's bytes, which the caller keeps for as long as it uses them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

struct ToolsIniText {
    // The lines as text mode reads them: split at LF, a CR directly before the LF dropped, reading stopped
    // at a byte 0x1A. A final line break gives one extra empty line; an empty text gives one empty line.
    std::vector<std::string_view> lines;
    // The bytes from the first 0x1A on, which text mode does not read; a rewrite puts them back unchanged.
    std::string_view tail;
};

ToolsIniText SplitToolsIni(std::string_view bytes);

// The bytes of a rewrite, a chunk at a time: every non-empty line followed by CR LF (empty lines are
// dropped), then the tail.
class ToolsIniEncoder {
  public:
    ToolsIniEncoder(const std::vector<std::string_view>& lines, std::string_view tail)
        : lines_(lines), tail_(tail) {}

    // The next chunk of about chunkSize bytes (more when one line is longer); empty at the end.
    std::string_view Next(std::size_t chunkSize);

  private:
    const std::vector<std::string_view>& lines_;
    std::string_view tail_;
    std::size_t next_ = 0;
    bool tailDone_ = false;
    std::string chunk_;
};

// All chunks together.
std::string JoinToolsIni(const std::vector<std::string_view>& lines, std::string_view tail);
