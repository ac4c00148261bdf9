#include "uvision/tools_ini_text.h"

#include <cstring>

namespace {
constexpr char kEndOfText = 0x1A;
}

ToolsIniText SplitToolsIni(const std::string& bytes) {
    ToolsIniText text;
    const std::size_t end = bytes.find(kEndOfText);
    const std::size_t textEnd = end == std::string::npos ? bytes.size() : end;
    if (end != std::string::npos) text.tail = bytes.substr(end);

    std::size_t start = 0;
    for (;;) {
        const void* found = std::memchr(bytes.data() + start, '\n', textEnd - start);
        if (found == nullptr) break;
        const std::size_t lf = static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
        std::size_t lineEnd = lf;
        if (lineEnd > start && bytes[lineEnd - 1] == '\r') --lineEnd;
        text.lines.emplace_back(bytes, start, lineEnd - start);
        start = lf + 1;
    }
    text.lines.emplace_back(bytes, start, textEnd - start);  // the read that meets the end
    return text;
}

std::string JoinToolsIni(const std::vector<std::string>& lines, const std::string& tail) {
    std::size_t size = tail.size();
    for (const std::string& line : lines) size += line.size() + 2;
    std::string bytes;
    bytes.reserve(size);
    for (const std::string& line : lines) {
        if (line.empty()) continue;
        bytes += line;
        bytes += "\r\n";
    }
    bytes += tail;
    return bytes;
}
