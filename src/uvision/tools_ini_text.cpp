#include "uvision/tools_ini_text.h"

namespace {
constexpr char kEndOfText = 0x1A;
}

ToolsIniText SplitToolsIni(std::string_view bytes) {
    ToolsIniText text;
    const std::size_t end = bytes.find(kEndOfText);
    const std::string_view body = bytes.substr(0, end);
    if (end != std::string_view::npos) text.tail = bytes.substr(end);

    text.lines.reserve(body.size() / 32 + 1);  // about one line per 32 bytes in a TOOLS.INI
    std::size_t start = 0;
    for (std::size_t lf; (lf = body.find('\n', start)) != std::string_view::npos; start = lf + 1) {
        std::size_t lineEnd = lf;
        if (lineEnd > start && body[lineEnd - 1] == '\r') --lineEnd;
        text.lines.push_back(body.substr(start, lineEnd - start));
    }
    text.lines.push_back(body.substr(start));  // the read that meets the end
    return text;
}

std::string_view ToolsIniEncoder::Next(std::size_t chunkSize) {
    chunk_.clear();
    while (next_ < lines_.size() && chunk_.size() < chunkSize) {
        const std::string_view line = lines_[next_++];
        if (line.empty()) continue;
        chunk_.append(line);
        chunk_.append("\r\n");
    }
    if (next_ == lines_.size() && !tailDone_ && chunk_.size() < chunkSize) {
        chunk_.append(tail_);
        tailDone_ = true;
    }
    return chunk_;
}

std::string JoinToolsIni(const std::vector<std::string_view>& lines, std::string_view tail) {
    ToolsIniEncoder encoder(lines, tail);
    std::string bytes;
    for (std::string_view chunk; !(chunk = encoder.Next(64 * 1024)).empty();) bytes.append(chunk);
    return bytes;
}
