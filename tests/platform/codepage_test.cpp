#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace {

using platform::CodePage;

// Big5 characters with troublesome trail bytes: 功 = A5 5C ("\"), 許 = B3 5C ("\"), 砄 = AF 5B ("["),
// 丐 = A4 61 ("a"), 丑 = A4 7A ("z").
const std::string kGong = "\xA5\x5C";
const std::string kXu = "\xB3\x5C";
const std::string kBracketTrail = "\xAF\x5B";
const std::string kTrailA = "\xA4\x61";
const std::string kTrailZ = "\xA4\x7A";

TEST(CodePageBig5, FindStepsOverTrailBytes) {
    const CodePage cp = CodePage::ForNumber(950);
    const std::string path = "C:\\" + kGong + kXu + "\\X";
    EXPECT_EQ(cp.Find(path, '\\'), 2u);
    EXPECT_EQ(cp.Find(path, '\\', 3), 7u);
    EXPECT_EQ(cp.FindLast(path, '\\'), 7u);
    EXPECT_EQ(cp.FindLast(kGong + kXu, '\\'), std::string::npos);
    EXPECT_EQ(cp.Find(kBracketTrail + "[", '['), 2u);
}

TEST(CodePageBig5, UpperLeavesTrailLettersAlone) {
    const CodePage cp = CodePage::ForNumber(950);
    EXPECT_EQ(cp.Upper("uv3" + kTrailA + "x" + kTrailZ), "UV3" + kTrailA + "X" + kTrailZ);
    // The same bytes read as single-byte text would be upper-cased.
    EXPECT_EQ(CodePage::ForNumber(1252).Upper("\xA4\x61"), "\xA4\x41");
}

TEST(CodePageBig5, TrimKeepsCharactersWhoseTrailByteLooksLikeText) {
    const CodePage cp = CodePage::ForNumber(950);
    EXPECT_EQ(cp.Trim(" \t" + kGong + " \r\n"), kGong);
    EXPECT_EQ(cp.TrimRight("x" + kTrailA + "  "), "x" + kTrailA);
    // A lead byte that ends the text stands alone and is not a blank.
    EXPECT_EQ(cp.TrimRight("x\xA4"), "x\xA4");
}

struct LeadByteCase {
    int codePage;
    unsigned char byte;
    bool lead;
};

void PrintTo(const LeadByteCase& c, std::ostream* os) {
    *os << c.codePage << "/" << int{c.byte};
}

class CodePageLeadBytes : public ::testing::TestWithParam<LeadByteCase> {};

TEST_P(CodePageLeadBytes, MatchesTheSystemTables) {
    const auto& c = GetParam();
    EXPECT_EQ(CodePage::ForNumber(c.codePage).IsLeadByte(c.byte), c.lead)
        << "code page " << c.codePage << " byte " << int{c.byte};
}

INSTANTIATE_TEST_SUITE_P(Tables, CodePageLeadBytes,
                         ::testing::Values(LeadByteCase{932, 0x80, false}, LeadByteCase{932, 0x81, true},
                                           LeadByteCase{932, 0x9F, true}, LeadByteCase{932, 0xA0, false},
                                           LeadByteCase{932, 0xDF, false}, LeadByteCase{932, 0xE0, true},
                                           LeadByteCase{932, 0xFC, true}, LeadByteCase{932, 0xFD, false},
                                           LeadByteCase{936, 0x81, true}, LeadByteCase{936, 0xFE, true},
                                           LeadByteCase{936, 0xFF, false}, LeadByteCase{949, 0x80, false},
                                           LeadByteCase{949, 0xA1, true}, LeadByteCase{950, 0x81, true},
                                           LeadByteCase{950, 0xFE, true}, LeadByteCase{950, 0x7F, false},
                                           LeadByteCase{65001, 0xE8, false},
                                           LeadByteCase{1252, 0xA4, false}));

TEST(CodePageSingleByte, BlanksAreSpaceAndNineToThirteen) {
    const CodePage cp = CodePage::ForNumber(CodePage::kUtf8);
    EXPECT_EQ(cp.Trim("\x09\x0A\x0B\x0C\x0D x \x0D\x0C\x0B\x0A\x09"), "x");
    EXPECT_EQ(cp.Trim("\x08x\x0E"), "\x08x\x0E");
    EXPECT_EQ(cp.Trim(std::string("\0x\0", 3)), std::string("\0x\0", 3));
    EXPECT_EQ(cp.Upper("[file] é"), "[FILE] é");
}

}  // namespace
