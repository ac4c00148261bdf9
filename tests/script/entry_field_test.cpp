#include <gtest/gtest.h>

#include "support/dialog_fixture.h"

namespace {

struct FieldCase {
    const char* name;
    std::string line;
    int wantKey;
    int fieldIndex;
    char quote;
    int result;
    std::string out;  // expected out; kUnchanged when the call must leave it alone
};

void PrintTo(const FieldCase& c, std::ostream* os) {
    *os << c.name;
}

const std::string kUnchanged = "<unchanged>";
const std::string kWorked = "A.DLL = 1, 0 ,,\"\\BIN\\A.DLL\",";

const FieldCase kCases[] = {
    // The worked example, request by request.
    {"WorkedKey", kWorked, 1, 0, 0, 0, "A.DLL"},
    {"WorkedField1", kWorked, 0, 1, 0, 0, "1"},
    {"WorkedField2", kWorked, 0, 2, 0, 0, "0"},
    {"WorkedField3", kWorked, 0, 3, 0, 0, ""},
    {"WorkedField3Quoted", kWorked, 0, 3, '"', -1, ""},
    {"WorkedField4Quoted", kWorked, 0, 4, '"', 0, "\\BIN\\A.DLL"},
    {"WorkedField4Plain", kWorked, 0, 4, 0, 0, "\"\\BIN\\A.DLL\""},
    {"WorkedField0", kWorked, 0, 0, 0, -1, kUnchanged},
    {"NegativeField", "A=B", 0, -3, 0, -1, kUnchanged},

    // One final comma is dropped, a second one is not.
    {"PlainSingleField", "A=B", 0, 1, 0, 0, "B"},
    {"FinalCommaDropped", "A=B,", 0, 1, 0, 0, "B"},
    {"FinalCommaMakesNoField", "A=B,", 0, 2, 0, -1, kUnchanged},
    {"TwoFinalCommasField1", "A=B,,", 0, 1, 0, 0, "B"},
    {"TwoFinalCommasField2Empty", "A=B,,", 0, 2, 0, 0, ""},
    {"CommaThenBlankStays", "A=B, ", 0, 2, 0, 0, ""},

    // Empty fields.
    {"EmptyFirstField", "A=,B", 0, 1, 0, 0, ""},
    {"EmptyFirstFieldQuoted", "A=,B", 0, 1, '"', -1, ""},
    {"SecondAfterEmpty", "A=,B", 0, 2, 0, 0, "B"},

    // "=" first, missing, or last.
    {"EqualsFirstKey", "=B", 1, 0, 0, -1, kUnchanged},
    {"EqualsFirstField", "=B", 0, 1, 0, -1, kUnchanged},
    {"NoEqualsKey", "ABC", 1, 0, 0, -1, kUnchanged},
    {"NoEqualsField", "ABC", 0, 1, 0, -1, kUnchanged},
    {"NothingAfterEqualsKey", "A=", 1, 0, 0, 0, "A"},
    {"NothingAfterEqualsField", "A=", 0, 1, 0, -1, kUnchanged},
    {"BlanksAfterEqualsTrimmedAway", "A=   ", 0, 1, 0, -1, kUnchanged},

    // Empty lines.
    {"BlanksOnly", " \t \r ", 1, 0, 0, -1, kUnchanged},
    {"LoneComma", ",", 0, 1, 0, -1, kUnchanged},
    {"EmptyLine", "", 1, 0, 0, -1, kUnchanged},

    // Blanks around the key.
    {"KeyBlanksBeforeEquals", "  KEY \t= X", 1, 0, 0, 0, "KEY"},
    {"BlanksAfterEqualsNotInKey", "KEY=  X", 1, 0, 0, 0, "KEY"},
    {"FieldBlanksTrimmed", "K= \tX Y \t,Z", 0, 1, 0, 0, "X Y"},

    // A second "=" is text of the fields.
    {"SecondEqualsInField", "A=B=C", 0, 1, 0, 0, "B=C"},
    {"SecondEqualsKey", "A=B=C", 1, 0, 0, 0, "A"},

    // Quote characters.
    {"QuotedFieldCutAtComma", "K=\"abc,def\"", 0, 1, '"', 0, "\"abc"},
    {"QuotedFieldSecondPiece", "K=\"abc,def\"", 0, 2, '"', 0, "def\""},
    {"QuotedShortPiece", "K=\"a,b\"", 0, 1, '"', -1, "\"a"},
    {"OpeningQuoteOnlyKept", "K=\"abc", 0, 1, '"', 0, "\"abc"},
    {"TwoLettersQuotedRefused", "K=ab", 0, 1, '"', -1, "ab"},
    {"ThreeLettersQuoted", "K=abc", 0, 1, '"', 0, "abc"},
    {"EmptyQuotes", "K=\"\"", 0, 1, '"', -1, "\"\""},
    {"BlanksInsideQuotes", "K=\" x \"", 0, 1, '"', 0, "x"},
    {"QuotedKey", "\"KEY\"=1", 1, 0, '"', 0, "KEY"},
    {"QuoteAloneKey", "\"=1", 1, 0, '"', 0, ""},
    {"HalfQuotedKey", "\"KEY=1", 1, 0, '"', 0, "\"KEY"},
    {"KeyQuotesKeptWithoutQuoteChar", "\"KEY\"=1", 1, 0, 0, 0, "\"KEY\""},
    {"QuotesInsideKept", "K=a\"b\"c", 0, 1, '"', 0, "a\"b\"c"},

    // A field index beyond the last field is no field.
    {"BeyondLastField", "A=x,y", 0, 3, 0, -1, kUnchanged},
    {"BeyondLastFieldQuoted", "A=x,y", 0, 3, '"', -1, kUnchanged},
    {"LastField", "A=x,y", 0, 2, 0, 0, "y"},
};

class GetEntryFieldTest : public ::testing::TestWithParam<FieldCase> {};

TEST_P(GetEntryFieldTest, DeliversTheItem) {
    const FieldCase& c = GetParam();
    DialogFixture f;
    std::string out = kUnchanged;
    EXPECT_EQ(f.dlg.GetEntryField(c.line, out, c.wantKey, c.fieldIndex, c.quote), c.result);
    EXPECT_EQ(out, c.out);
}

INSTANTIATE_TEST_SUITE_P(Table, GetEntryFieldTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Big5 trail bytes that equal "\" (0x5C) or a small letter are common; such characters come through whole.
TEST(GetEntryFieldCodePage, DoubleByteCharactersComeThroughWhole) {
    DialogFixture f(950);
    const std::string key = "\xA5\x5C\xAA\x61";              // 功 and a character with trail byte 'a'
    const std::string value = "\"\\\xB8\xEA\x5C\xB3\x5C\"";  // "\資\許": 許 ends in 0x5C
    const std::string line = key + " = " + value + " ,";
    std::string out;
    ASSERT_EQ(f.dlg.GetEntryField(line, out, 1, 0, 0), 0);
    EXPECT_EQ(out, key);
    ASSERT_EQ(f.dlg.GetEntryField(line, out, 0, 1, '"'), 0);
    EXPECT_EQ(out, "\\\xB8\xEA\x5C\xB3\x5C");
}

// A quote character that is the trail byte of a double-byte character (as when text of another code page is
// read as Big5, where 0xA7 takes the next byte whatever it is) does not close the quotes: the value keeps its
// last character whole.
TEST(GetEntryFieldCodePage, QuoteThatIsATrailByteIsPartOfItsCharacter) {
    DialogFixture f(950);
    std::string out;
    ASSERT_EQ(f.dlg.GetEntryField("T=\"O\xA3\xD3\xA7\"", out, 0, 1, '"'), 0);
    EXPECT_EQ(out, "\"O\xA3\xD3\xA7\"");
    ASSERT_EQ(f.dlg.GetEntryField("\"K\xA7\"=1", out, 1, 0, '"'), 0);
    EXPECT_EQ(out, "\"K\xA7\"");
    ASSERT_EQ(f.dlg.GetEntryField("T=\"O\xA3\xD3\"", out, 0, 1, '"'), 0);  // a whole character before it
    EXPECT_EQ(out, "O\xA3\xD3");
}

// A lead byte whose trail byte is a blank value (0x20 is no Big5 trail byte, but a truncated line can end in
// a lead byte) must neither be trimmed as a blank nor read past the end.
TEST(GetEntryFieldCodePage, LeadByteAtTheEndOfTheLine) {
    DialogFixture f(950);
    std::string out;
    ASSERT_EQ(f.dlg.GetEntryField("K=ab\xA4", out, 0, 1, 0), 0);
    EXPECT_EQ(out, "ab\xA4");
}

// Under UTF-8 every byte of a multi-byte character is 0x80 or above, so no stepping is needed.
TEST(GetEntryFieldCodePage, Utf8TextIsPlainBytes) {
    DialogFixture f(platform::CodePage::kUtf8);
    std::string out;
    ASSERT_EQ(f.dlg.GetEntryField("資料=\"\\UV3\\資料.CDB\"", out, 0, 1, '"'), 0);
    EXPECT_EQ(out, "\\UV3\\資料.CDB");
}

}  // namespace
