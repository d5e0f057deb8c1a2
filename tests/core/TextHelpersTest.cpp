#include "core/TextHelpers.h"

#include <gtest/gtest.h>

namespace {

struct TextCase {
    const char* name;
    std::string in;
    std::string out;
};

void PrintTo(const TextCase& c, std::ostream* os) {
    *os << c.name;
}

auto RowName = [](const auto& info) { return std::string(info.param.name); };

class EscapeTextMakesOneField : public testing::TestWithParam<TextCase> {};

TEST_P(EscapeTextMakesOneField, WithTabsAndLineBreaksReplaced) {
    EXPECT_EQ(EscapeText(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EscapeTextMakesOneField,
    testing::Values(TextCase{"Tab", "a\tb", "a|tb"}, TextCase{"CrLfIsOneBreak", "a\r\nb", "a|rb"},
                    TextCase{"LfCrIsOneBreak", "a\n\rb", "a|rb"}, TextCase{"LoneCr", "a\rb", "a|rb"},
                    TextCase{"LoneLf", "a\nb", "a|rb"},
                    // The CR LF pair goes first and the leading LF is a break of its own.
                    TextCase{"LfThenCrLfIsTwoBreaks", "a\n\r\nb", "a|r|rb"},
                    TextCase{"CrCrLf", "\r\r\n", "|r|r"}, TextCase{"BarIsNotEscaped", "a|b|t", "a|b|t"},
                    TextCase{"Empty", "", ""}),
    RowName);

class UnescapeTextRestores : public testing::TestWithParam<TextCase> {};

TEST_P(UnescapeTextRestores, TabsAndCrLfBreaks) {
    EXPECT_EQ(UnescapeText(GetParam().in), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Texts, UnescapeTextRestores,
                         testing::Values(TextCase{"Tab", "x|ty", "x\ty"}, TextCase{"Break", "x|ry", "x\r\ny"},
                                         TextCase{"TypedEscapesAreTakenAsEscapes", "a|t|r|", "a\t\r\n|"},
                                         TextCase{"DoubledBar", "||t", "|\t"},
                                         TextCase{"OtherBarsStay", "|x|", "|x|"}),
                         RowName);

TEST(CellNoteEscaping, RoundTripKeepsTabsAndMakesEveryBreakCrLf) {
    EXPECT_EQ(UnescapeText(EscapeText("a\tb\nc\r\nd\n\re\rf")), "a\tb\r\nc\r\nd\r\ne\r\nf");
}

struct SplitCase {
    const char* name;
    std::string text;
    StringList parts;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

class SplitLinesCuts : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesCuts, AtEachLineBreak) {
    StringList lines = {"stale"};
    SplitLines(GetParam().text, lines);
    EXPECT_EQ(lines, GetParam().parts);
}

INSTANTIATE_TEST_SUITE_P(Texts, SplitLinesCuts,
                         testing::Values(SplitCase{"TwoLines", "a\nb", {"a", "b"}},
                                         SplitCase{"EmptyLineSurvives", "a\n\nb", {"a", "", "b"}},
                                         SplitCase{"TwoEmptyLinesSurvive", "a\n\n\nb", {"a", "", "", "b"}},
                                         SplitCase{"MixedSeparatorsAreSkipped", "a\r\n\r\nb", {"a", "b"}},
                                         SplitCase{"OneTrailingBreakAddsNothing", "a\n", {"a"}},
                                         SplitCase{"TwoTrailingBreaksAddAnEmptyLine", "a\n\n", {"a", ""}},
                                         SplitCase{"LeadingBreakGivesAnEmptyLine", "\na", {"", "a"}},
                                         SplitCase{"OnlyCrLfIsOneEmptyLine", "\r\n", {""}},
                                         SplitCase{"DoubledCrLikeDoubledLf", "a\r\rb", {"a", "", "b"}},
                                         SplitCase{"LoneCrEndsALine", "a\rb", {"a", "b"}},
                                         SplitCase{"Empty", "", {}}, SplitCase{"NoBreak", "abc", {"abc"}}),
                         RowName);

class SplitFieldsCuts : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitFieldsCuts, AtEachTab) {
    StringList fields = {"stale"};
    SplitFields(GetParam().text, fields);
    EXPECT_EQ(fields, GetParam().parts);
}

INSTANTIATE_TEST_SUITE_P(Lines, SplitFieldsCuts,
                         testing::Values(SplitCase{"TwoFields", "a\tb", {"a", "b"}},
                                         SplitCase{"EmptyMiddleField", "a\t\tb", {"a", "", "b"}},
                                         SplitCase{"EmptyFirstField", "\ta", {"", "a"}},
                                         SplitCase{"OneTrailingTabAddsNothing", "a\t", {"a"}},
                                         SplitCase{"TwoTrailingTabsKeepAnEmptyLastField", "a\t\t", {"a", ""}},
                                         SplitCase{"ThreeFieldsLastEmpty", "a\tb\t\t", {"a", "b", ""}},
                                         SplitCase{"OnlyATab", "\t", {""}}, SplitCase{"Empty", "", {}},
                                         SplitCase{"NoTab", "abc", {"abc"}}),
                         RowName);

TEST(CaseCopies, ChangeOnlyAsciiLetters) {
    EXPECT_EQ(ToUpperCase("abc XyZ 09 \xe9\xfc"), "ABC XYZ 09 \xe9\xfc");
    EXPECT_EQ(ToLowerCase("ABC xYz 09 \xc9\xdc"), "abc xyz 09 \xc9\xdc");
    EXPECT_EQ(ToUpperCase("y"), "Y");
}

struct ColorCase {
    const char* name;
    const char* text;
    bool bgr;
    uint32_t color;
};

void PrintTo(const ColorCase& c, std::ostream* os) {
    *os << c.name;
}

class HexToColorReads : public testing::TestWithParam<ColorCase> {};

TEST_P(HexToColorReads, RedGreenBlueIntoAWindowsColour) {
    EXPECT_EQ(HexToColor(GetParam().text, GetParam().bgr), GetParam().color);
}

INSTANTIATE_TEST_SUITE_P(Texts, HexToColorReads,
                         testing::Values(ColorCase{"Red", "FF0000", false, 0x0000FF},
                                         ColorCase{"Green", "008000", false, 0x008000},
                                         ColorCase{"BgrBlue", "FF0000", true, 0xFF0000},
                                         ColorCase{"BgrRed", "0000FF", true, 0x0000FF},
                                         ColorCase{"LowerCase", "ff", false, 0x0000FF},
                                         ColorCase{"OddCharacterIgnored", "FFF", false, 0x0000FF},
                                         ColorCase{"BgrShortIsBlue", "FF", true, 0xFF0000},
                                         ColorCase{"Empty", "", false, 0},
                                         ColorCase{"NotHexIsZero", "GG0000", false, 0},
                                         ColorCase{"MixedDigits", "1A2b3C", false, 0x3C2B1A},
                                         ColorCase{"BeyondSixIgnored", "0102030405", false, 0x030201},
                                         ColorCase{"FourDigits", "FF80", false, 0x0080FF},
                                         ColorCase{"BgrFourDigits", "FF80", true, 0xFF8000}),
                         RowName);

TEST(BooleanText, IsYOrN) {
    EXPECT_EQ(BoolToYN(true), "Y");
    EXPECT_EQ(BoolToYN(false), "N");
}

} // namespace
