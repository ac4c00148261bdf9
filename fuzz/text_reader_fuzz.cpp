// The text-mode line reader over any bytes, handed out in reads of any size and failing after any number of
// bytes; checked against TOOLS.INI's own splitter, which follows the same rules, and the rewrite's encoder
// checked to give back what it was given. Input: byte 0 the read size, bytes 1-2 where reads start failing
// (0xFFFF: never), byte 3 the encoder's chunk size, then the text.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/text_reader.h"
#include "support/memory_file.h"
#include "uvision/tools_ini_text.h"

namespace {

std::vector<std::string> Strings(const std::vector<std::string_view>& views) {
    return {views.begin(), views.end()};
}

// The lines and the whole text come back from the rewrite's bytes, less the empty lines, each with CR LF.
void CheckRewrite(const ToolsIniText& text, std::size_t chunkSize) {
    std::string joined;
    ToolsIniEncoder encoder(text.lines, text.tail);
    for (std::string_view chunk; !(chunk = encoder.Next(chunkSize)).empty();) joined.append(chunk);
    FuzzCheck(joined == JoinToolsIni(text.lines, text.tail), "the encoder's chunks differ from the whole");

    std::vector<std::string> kept;
    for (const auto line : text.lines)
        if (!line.empty()) kept.emplace_back(line);
    kept.emplace_back();  // the read that meets the end after the last line break
    if (kept.size() == 1) kept.assign(1, std::string());
    const ToolsIniText reread = SplitToolsIni(joined);
    FuzzCheck(Strings(reread.lines) == kept, "a rewritten TOOLS.INI reads back other lines");
    FuzzCheck(reread.tail == text.tail, "a rewritten TOOLS.INI lost the text after its end mark");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const std::size_t readSize = std::size_t{data[0]} + 1;
    const std::size_t failAfter = (std::size_t{data[1]} << 8 | data[2]) == 0xFFFF
                                      ? std::string::npos
                                      : (std::size_t{data[1]} << 8 | data[2]);
    const std::size_t chunkSize = std::size_t{data[3]} + 1;
    const std::string bytes(reinterpret_cast<const char*>(data) + 4, size - 4);

    const ToolsIniText split = SplitToolsIni(bytes);
    const std::vector<std::string> expected = Strings(split.lines);

    MemoryFile file(bytes, readSize, failAfter);
    std::vector<std::string> lines;
    const bool complete = platform::ReadAllLinesOrFail(file, lines);

    // The reader stops at the end mark without reading on; without one it must see the end of the file.
    const std::size_t endMark = bytes.find('\x1A');
    const bool failsFirst = endMark != std::string::npos
                                ? failAfter <= endMark
                                : failAfter != std::string::npos && failAfter <= size - 4;
    FuzzCheck(complete == !failsFirst, "a read failure reported wrongly");
    if (complete) {
        FuzzCheck(lines == expected, "the reader and the splitter disagree");
    } else {
        // What was read before the failure is the start of the text, line for line.
        FuzzCheck(!lines.empty() && lines.size() <= expected.size(), "lines after a failed read");
        for (std::size_t i = 0; i + 1 < lines.size(); ++i)
            FuzzCheck(lines[i] == expected[i], "a line read before the failure differs");
        // (A CR read just before the failure may be the one that goes with the line end that was not read.)
        std::string cut = lines.back();
        if (!cut.empty() && cut.back() == '\r' && expected[lines.size() - 1].size() < cut.size())
            cut.pop_back();
        FuzzCheck(expected[lines.size() - 1].compare(0, cut.size(), cut) == 0,
                  "the line cut by the failure is not the start of its line");
    }
    CheckRewrite(split, chunkSize);
    return 0;
}
