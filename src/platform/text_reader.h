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

    // The bytes up to the next LF, or up to the end of the text, without the line end. Any length.
    std::string ReadLine();

  private:
    bool Refill();

    RawFile& file_;
    std::vector<char> buffer_ = std::vector<char>(64 * 1024);
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
    bool atEnd_ = false;
};

// Reads every line, testing for the end before each read: a final line break gives one extra empty
// element, and an empty file gives one empty element.
std::vector<std::string> ReadAllLines(RawFile& file);

}  // namespace platform
