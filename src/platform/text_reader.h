// Text-mode line reading as the C runtime does it: a line ends at LF, a CR directly before the LF goes with
// the line end, a CR anywhere else stays, and a byte 0x1A ends the text.
#pragma once

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace platform {

class TextReader {
  public:
    explicit TextReader(RawFile& file) : file_(file) {}

    // True once a read has met the end of the text (end of file, 0x1A or a read failure), as feof is.
    bool AtEnd() const { return atEnd_; }
    // True when the end was a read failure; LastSystemError then holds its code.
    bool Failed() const { return failed_; }

    // The bytes up to the next LF, or up to the end of the text, without the line end. Any length.
    std::string ReadLine();

  private:
    bool Refill();

    RawFile& file_;
    std::vector<char> buffer_ = std::vector<char>(64 * 1024);
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
    bool atEnd_ = false;
    bool failed_ = false;
};

// Reads every line, testing for the end before each read: a final line break gives one extra empty
// element, and an empty file gives one empty element. A read failure ends the text early; readers that must
// not act on part of a file use ReadAllLinesOrFail.
std::vector<std::string> ReadAllLines(RawFile& file);

// The same, but false (and LastSystemError set) when a read failed, so that a half-read file is never taken
// for the whole one.
bool ReadAllLinesOrFail(RawFile& file, std::vector<std::string>& lines);

}  // namespace platform
