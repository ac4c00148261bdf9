#include "platform/text_reader.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/memory_file.h"

namespace {

using Lines = std::vector<std::string>;

struct ReaderCase {
    const char* name;
    std::string bytes;
    Lines lines;
};

void PrintTo(const ReaderCase& c, std::ostream* os) {
    *os << c.name;
}

const ReaderCase kCases[] = {
    {"EmptyFileGivesOneEmptyLine", "", {""}},
    {"ThreeLinesCrLf", "a\r\nb\r\nc\r\n", {"a", "b", "c", ""}},
    {"ThreeLinesNoFinalBreak", "a\r\nb\r\nc", {"a", "b", "c"}},
    {"LfAlone", "a\nb\n", {"a", "b", ""}},
    {"MixedEndings", "a\r\nb\nc", {"a", "b", "c"}},
    {"LoneCrStays", "a\rb\r\n", {"a\rb", ""}},
    {"CrAtEndOfTextStays", "a\r", {"a\r"}},
    {"OnlyTheCrBeforeLfGoes", "a\r\r\n", {"a\r", ""}},
    {"EmptyLinesKept", "\r\n\r\nx", {"", "", "x"}},
    {"BlanksAndCommentsKept", "  ; c \t\r\n [FILE] \r\n", {"  ; c \t", " [FILE] ", ""}},
    {"CtrlZEndsText",
     "a\r\nb\x1A"
     "c\r\nd\r\n",
     {"a", "b"}},
    {"CtrlZAtLineStart",
     "a\r\n\x1A"
     "b",
     {"a", ""}},
    {"CtrlZFirst",
     "\x1A"
     "abc",
     {""}},
    {"CrBeforeCtrlZStays", "a\r\x1A\n", {"a\r"}},
    {"NulBytesKept", std::string("a\0b\r\n", 5), {std::string("a\0b", 3), ""}},
    {"HighBytesKept", "\xFF\xA4\r\n\xA4", {"\xFF\xA4", "\xA4"}},
};

class TextReaderTest : public ::testing::TestWithParam<ReaderCase> {};

// Every case read with every buffer size from 1 to 4, and whole: line ends falling across reads change
// nothing.
TEST_P(TextReaderTest, ReadsLinesWithTheEndTestBeforeEachRead) {
    const ReaderCase& c = GetParam();
    for (std::size_t chunk :
         {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{4}, std::size_t{1} << 20}) {
        MemoryFile file(c.bytes, chunk);
        EXPECT_EQ(platform::ReadAllLines(file), c.lines) << "read " << chunk << " bytes at a time";
    }
}

INSTANTIATE_TEST_SUITE_P(Table, TextReaderTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TextReaderLongLines, LineOfAnyLengthStaysWhole) {
    const std::string longLine(300000, 'x');
    MemoryFile file("a\r\n" + longLine + "\r\nb");
    EXPECT_EQ(platform::ReadAllLines(file), (Lines{"a", longLine, "b"}));
}

TEST(TextReaderFailures, ReadFailureEndsTheTextAndIsReported) {
    MemoryFile file("one\r\ntwo\r\nthree\r\n", 4, 7);  // fails after "one\r\ntw"
    Lines lines;
    EXPECT_FALSE(platform::ReadAllLinesOrFail(file, lines));
    EXPECT_EQ(lines, (Lines{"one", "tw"}));
    MemoryFile whole("one\r\n", 4);
    EXPECT_TRUE(platform::ReadAllLinesOrFail(whole, lines));
    EXPECT_EQ(lines, (Lines{"one", ""}));
}

}  // namespace
