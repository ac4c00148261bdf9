#include "platform/text_reader.h"

#include <algorithm>

namespace platform {
namespace {
constexpr char kEndOfText = 0x1A;
}

bool TextReader::Refill() {
    std::size_t got = 0;
    if (!file_.Read(buffer_.data(), buffer_.size(), got)) {
        failed_ = true;
        return false;
    }
    if (got == 0) return false;
    pos_ = 0;
    size_ = got;
    return true;
}

std::string TextReader::ReadLine() {
    std::string line;
    while (!atEnd_) {
        if (pos_ == size_ && !Refill()) {
            atEnd_ = true;
            break;
        }
        const char* begin = buffer_.data() + pos_;
        const char* end = buffer_.data() + size_;
        const char* stop = std::find_if(begin, end, [](char c) { return c == '\n' || c == kEndOfText; });
        line.append(begin, stop);
        pos_ += static_cast<std::size_t>(stop - begin);
        if (stop == end) continue;
        ++pos_;
        if (*stop == kEndOfText) {
            atEnd_ = true;
            break;
        }
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return line;
    }
    return line;
}

bool ReadAllLinesOrFail(RawFile& file, std::vector<std::string>& lines) {
    TextReader reader(file);
    lines.clear();
    while (!reader.AtEnd()) lines.push_back(reader.ReadLine());
    return !reader.Failed();
}

std::vector<std::string> ReadAllLines(RawFile& file) {
    std::vector<std::string> lines;
    ReadAllLinesOrFail(file, lines);
    return lines;
}

}  // namespace platform
