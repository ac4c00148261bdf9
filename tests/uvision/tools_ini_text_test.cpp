#include "uvision/tools_ini_text.h"

#include <gtest/gtest.h>

#include "platform/text_reader.h"
#include "support/memory_file.h"

namespace {

// TOOLS.INI is split in memory; the lines must be exactly those the text-mode reader gives.
TEST(ToolsIniText, LinesAsTextModeReadsThem) {
    const std::string inputs[] = {
        "",    "\r\n",      "[A]\r\nK=1\r\n",    "[A]\r\nK=1", "a\nb\r\n\r\nc", "a\rb\r\r\n",
        "x\r", "a\r\n\x1A", "a\x1Ajunk\r\nmore", "\x1A\r\n",   "  \t\r\n",      "\r\n\r\n\r\n",
    };
    for (const std::string& input : inputs) {
        MemoryFile file(input, 3);
        const std::vector<std::string_view> lines = SplitToolsIni(input).lines;
        EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.end()), platform::ReadAllLines(file))
            << testing::PrintToString(input);
    }
}

TEST(ToolsIniText, TextAfterEndOfTextByteIsKeptAsTail) {
    const std::string bytes = "[A]\r\nK=1\x1A\r\nafter";
    const ToolsIniText text = SplitToolsIni(bytes);
    EXPECT_EQ(text.lines, (std::vector<std::string_view>{"[A]", "K=1"}));
    EXPECT_EQ(text.tail, "\x1A\r\nafter");
    EXPECT_EQ(JoinToolsIni(text.lines, text.tail), "[A]\r\nK=1\r\n\x1A\r\nafter");
    EXPECT_EQ(SplitToolsIni("[A]\r\n").tail, "");
}

// Empty lines are dropped, lines of blanks stay, every line ends with CR LF, a CR inside a line stays.
TEST(ToolsIniText, RewriteDropsOnlyEmptyLines) {
    EXPECT_EQ(JoinToolsIni({"[A]", "", "K=1", "  ", "x\ry", ""}, ""), "[A]\r\nK=1\r\n  \r\nx\ry\r\n");
    EXPECT_EQ(JoinToolsIni({""}, ""), "");
}

}  // namespace
