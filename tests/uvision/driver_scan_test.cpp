#include "uvision/driver_scan.h"

#include <gtest/gtest.h>

namespace {

using Outcome = DriverScan::Outcome;
using Lines = std::vector<std::string>;

constexpr char kDriver[] = "BIN\\TRELVOROCD.DLL (Trelvor ICE Driver)";

// Numbered keys first..last-1, none of them the driver.
Lines Keys(int first, int last, const std::string& prefix = "DRV") {
    Lines lines;
    for (int n = first; n < last; ++n)
        lines.push_back(prefix + std::to_string(n) + "=BIN\\D" + std::to_string(n) + ".DLL (Driver " +
                        std::to_string(n) + ")");
    return lines;
}

// [DEMO] with the body given, then another section and the empty line of a final line break.
Lines Demo(const Lines& body) {
    Lines lines{"[DEMO]"};
    lines.insert(lines.end(), body.begin(), body.end());
    lines.insert(lines.end(), {"[OTHER]", "DRV0=BIN\\TRELVOROCD.DLL (elsewhere)", ""});
    return lines;
}

Lines Join(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct ScanCase {
    const char* name;
    Lines lines;
    Outcome outcome;
    std::size_t index = 0;  // kFound: the found line; kNotRegistered: where the new line goes
    int number = 0;         // kNotRegistered: the new line's key number
    std::string value = kDriver;
    int tagFlag = 0;
    int uvVersion = 2;
};

void PrintTo(const ScanCase& c, std::ostream* os) {
    *os << c.name;
}

const ScanCase kCases[] = {
    {"WorkedExample",
     {"[DEMO]", "DRV0=BIN\\ALPHA.DLL (Alpha Monitor Driver)", "DRV1=BIN\\BETA.DLL (Beta Simulator Driver)",
      "", "[OTHER]", "ITEM=1", ""},
     Outcome::kNotRegistered,
     3,
     2},
    {"WorkedExampleInstalled", Demo(Join(Keys(0, 2), {"DRV2=" + std::string(kDriver)})), Outcome::kFound, 3},
    {"FullTableWithoutTheDriver", Demo(Keys(0, 40)), Outcome::kTableFull},
    {"RegisteredOnNumber39", Demo(Join(Keys(0, 39), {"DRV39=" + std::string(kDriver)})), Outcome::kFound, 40},
    {"FortiethKeyIsNumber39", Demo(Keys(0, 39)), Outcome::kNotRegistered, 40, 39},
    {"AfterTheFullTableNothingIsExamined", Demo(Join(Keys(0, 40), {"DRV40=" + std::string(kDriver)})),
     Outcome::kTableFull},
    {"RegisteredOutOfSequence", Demo(Join(Keys(0, 4), {"DRV7=" + std::string(kDriver)})), Outcome::kFound, 5},
    {"GapIsFilled", Demo({"DRV0=BIN\\A.DLL (a)", "DRV2=BIN\\C.DLL (c)"}), Outcome::kNotRegistered, 2, 1},
    {"LowerCaseKeyIsStillCompared", Demo({"drv0=bin\\trelvorocd.dll (x)"}), Outcome::kFound, 1},
    {"BlankBeforeEqualsIsStillCompared", Demo({"DRV0 =BIN\\TRELVOROCD.DLL (x)"}), Outcome::kFound, 1},
    {"BlankAfterEqualsIsAnotherDriver", Demo({"DRV0= BIN\\TRELVOROCD.DLL (x)"}), Outcome::kNotRegistered, 2,
     1},
    {"IdentityIgnoresCaseAndDescription", Demo({"DRV0=bin\\TrelvorOCD.dll   (another text)"}),
     Outcome::kFound, 1},
    {"IndentedKeyContinuesTheSequence", Demo({"\t DRV0=BIN\\A.DLL (a)"}), Outcome::kNotRegistered, 2, 1},
    {"OtherLinesArePassedOver",
     Demo({"; DRV comment", "DRV", "=DRV0", "BOOK0=HLP\\X.TXT(\"Guide\",GEN)", "DRV0=BIN\\A.DLL (a)", "  "}),
     Outcome::kNotRegistered, 6, 1},
    {"SecondRegistrationIsNotReached", Demo({"DRV0=" + std::string(kDriver), "DRV1=" + std::string(kDriver)}),
     Outcome::kFound, 1},
    {"AnyBracketEndsTheSection", Demo({"DRV0=BIN\\A.DLL (a)", "[x", "DRV1=" + std::string(kDriver)}),
     Outcome::kNotRegistered, 2, 1},
    {"HeaderInSmallLetters", {"[demo]", "DRV0=BIN\\A.DLL (a)"}, Outcome::kNotRegistered, 2, 1},
    {"HeaderWithBlankAfter", {"[DEMO] ", "DRV0=BIN\\A.DLL (a)"}, Outcome::kNoSection},
    {"HeaderWithBlankBefore", {" [DEMO]", "DRV0=BIN\\A.DLL (a)"}, Outcome::kNoSection},
    {"HeaderIsTheLastLine", {"[OTHER]", "A=1", "[DEMO]"}, Outcome::kNotRegistered, 3, 0},
    {"HeaderThenFinalLineBreak", {"[OTHER]", "[DEMO]", ""}, Outcome::kNotRegistered, 2, 0},
    {"EmptySection", {"[DEMO]", "[OTHER]"}, Outcome::kNotRegistered, 1, 0},
    {"LastSectionWithoutFinalLineBreak", {"[DEMO]", "DRV0=BIN\\A.DLL (a)"}, Outcome::kNotRegistered, 2, 1},
    {"MissingSection", {"[OTHER]", "DRV0=BIN\\A.DLL (a)", ""}, Outcome::kNoSection},
    {"EmptyFile", {""}, Outcome::kNoSection},
    {"TaggedForTheDetectedGeneration", Demo({"DRV0=UV3BIN\\TRELVOROCD.DLL (x)"}), Outcome::kFound, 1, 0,
     kDriver, 1, 2},
    {"TaggedForTheOtherGeneration", Demo({"DRV0=UV3BIN\\TRELVOROCD.DLL (x)"}), Outcome::kNotRegistered, 2, 1,
     kDriver, 1, 1},
    // A number that a key out of sequence already holds is passed over: Keil would see only one of the two.
    {"KeyOutOfOrderHoldsTheNextNumber", Demo({"DRV1=BIN\\B.DLL (b)", "DRV0=BIN\\A.DLL (a)"}),
     Outcome::kNotRegistered, 3, 2},
    {"LowerCaseKeyHoldsItsNumber", Demo({"drv0=BIN\\A.DLL (a)"}), Outcome::kNotRegistered, 1, 1},
    {"BlankBeforeEqualsHoldsItsNumber", Demo({"DRV0 =BIN\\A.DLL (a)", "DRV1 = X (x)"}),
     Outcome::kNotRegistered, 1, 2},
    {"NoFreeNumberLeft", Demo(Join(Keys(0, 39), {"drv39=BIN\\Z.DLL (z)"})), Outcome::kTableFull},
    // Identities without a description: the whole value; an empty identity never matches.
    {"ValueWithoutDescription", Demo({"DRV0=bin\\trelvorocd.dll"}), Outcome::kFound, 1, 0,
     "BIN\\TRELVOROCD.DLL"},
    {"LineWithoutDescription", Demo({"DRV0=BIN\\TRELVOROCD.DLL  "}), Outcome::kFound, 1},
    {"EmptyIdentityMatchesNothing", Demo({"DRV0= (Something)", "DRV1=(x"}), Outcome::kNotRegistered, 3, 2,
     "(Trelvor)"},
    {"ParenthesisBeforeEquals", Demo({"DRV0(x)=BIN\\TRELVOROCD.DLL (y)"}), Outcome::kNotRegistered, 1, 0},
};

class DriverScanTable : public ::testing::TestWithParam<ScanCase> {};

TEST_P(DriverScanTable, FindsTheDriverOrWhereItGoes) {
    const ScanCase& c = GetParam();
    const auto cp = platform::CodePage::ForNumber(platform::CodePage::kUtf8);
    const ToolEntry entry{"DEMO", "DRV", c.tagFlag, 0, c.value};
    const std::vector<std::string_view> lines(c.lines.begin(), c.lines.end());
    const DriverScan scan = ScanDriverSection(lines, entry, EntryIdentity(entry, c.uvVersion, cp), cp);
    ASSERT_EQ(scan.outcome, c.outcome);
    if (c.outcome == Outcome::kFound) {
        EXPECT_EQ(scan.foundIndex, c.index);
    }
    if (c.outcome == Outcome::kNotRegistered) {
        EXPECT_EQ(scan.insertIndex, c.index);
        EXPECT_EQ(scan.newNumber, c.number);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DriverScanTable, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DriverScan, IdentityAndNewLineCarryTheGenerationTag) {
    const auto cp = platform::CodePage::ForNumber(platform::CodePage::kUtf8);
    ToolEntry entry{"DEMO", "DRV", 0, 0, "BIN\\TrelvorOCD.dll  (Trelvor ICE Driver)"};
    EXPECT_EQ(EntryIdentity(entry, 2, cp), "BIN\\TRELVOROCD.DLL");
    EXPECT_EQ(NewDriverLine(entry, 2, 1), "DRV2=BIN\\TrelvorOCD.dll  (Trelvor ICE Driver)");
    entry.tagFlag = 1;
    EXPECT_EQ(EntryIdentity(entry, 2, cp), "UV3BIN\\TRELVOROCD.DLL");
    EXPECT_EQ(EntryIdentity(entry, 0, cp), "UV3BIN\\TRELVOROCD.DLL");
    EXPECT_EQ(NewDriverLine(entry, 7, 1), "DRV7=UV2BIN\\TrelvorOCD.dll  (Trelvor ICE Driver)");
    entry.tagFlag = 2;  // only 1 is on
    EXPECT_EQ(NewDriverLine(entry, 0, 1), "DRV0=BIN\\TrelvorOCD.dll  (Trelvor ICE Driver)");
}

// Big5: the second byte of 功 (0xA5 0x5C) is a backslash and of 許 (0xB3 0x5C) too; a "(" never hides in one.
TEST(DriverScan, DoubleByteCharactersStayWhole) {
    const auto big5 = platform::CodePage::ForNumber(950);
    const std::string value = "BIN\\\xA5\x5C.DLL (\xB3\x5C)";
    const ToolEntry entry{"DEMO", "DRV", 0, 0, value};
    EXPECT_EQ(EntryIdentity(entry, 2, big5), "BIN\\\xA5\x5C.DLL");
    const Lines lines = Demo({"drv0=bin\\\xA5\x5C.dll (other)"});
    const DriverScan scan = ScanDriverSection(std::vector<std::string_view>(lines.begin(), lines.end()),
                                              entry, EntryIdentity(entry, 2, big5), big5);
    EXPECT_EQ(scan.outcome, Outcome::kFound);
}

}  // namespace
