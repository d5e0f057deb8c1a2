#include "core/TimeText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

struct FormatCase {
    const char* name;
    int32_t value;
    bool compact;
    bool showPlus;
    char mode;
    const char* text;
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.name;
}

class FormatTimeWrites : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTimeWrites, TheTextOfTheValue) {
    const auto& c = GetParam();
    EXPECT_EQ(FormatTime(c.value, c.compact, c.showPlus, c.mode), c.text);
}

constexpr int32_t kHour = 360000;
constexpr int32_t kMinute = 6000;

INSTANTIATE_TEST_SUITE_P(
    Values, FormatTimeWrites,
    testing::Values(
        FormatCase{"ZeroCompact", 0, true, false, 'H', "0.00"},
        FormatCase{"ZeroFull", 0, false, false, 'H', "0:00:00.00"},
        FormatCase{"ZeroNeverGetsAPlus", 0, true, true, 'H', "0.00"},
        FormatCase{"PlusWhenCompact", 520, true, true, 'H', "+5.20"},
        FormatCase{"MinusAlways", -520, true, true, 'H', "-5.20"},
        FormatCase{"NoPlusInTheFullForm", 520, false, true, 'H', "0:00:05.20"},
        FormatCase{"SecondsDropALeadingZero", 520, true, false, 'H', "5.20"},
        FormatCase{"MinutesDropALeadingZero", 6520, true, false, 'H', "1:05.20"},
        FormatCase{"TenMinutesKeepTheirDigits", 60000, true, false, 'H', "10:00.00"},
        FormatCase{"HoursDropALeadingZero", kHour + 520, true, false, 'H', "1:00:05.20"},
        FormatCase{"NegativeInAFile", -300, true, false, 'H', "-3.00"},
        FormatCase{"OverNinetyNineHours", 100 * kHour, true, false, 'H', "100:00:00.00"},
        FormatCase{"AlarmTimeInTheSettings", 5 * kMinute, false, false, 'H', "0:05:00.00"},
        FormatCase{"HoursFoldedIntoMinutes", kHour + 15 * kMinute + 3000, true, false, 'M', "75:30.00"},
        FormatCase{"LowerCaseMinutesMode", kHour + 15 * kMinute + 3000, true, false, 'm', "75:30.00"},
        FormatCase{"EverythingFoldedIntoSeconds", kHour + 15 * kMinute + 3000, true, false, 'S', "4530.00"},
        FormatCase{"SecondsModeFullForm", 6520, false, false, 's', "0:00:65.20"},
        FormatCase{"UnknownModeShowsHours", kHour + 520, true, false, 'x', "1:00:05.20"},
        FormatCase{"NulModeShowsHours", 6520, true, false, '\0', "1:05.20"},
        FormatCase{"CountNegative", -42, true, false, 'C', "-42"},
        FormatCase{"CountWithPlus", 5, true, true, 'C', "+5"},
        FormatCase{"CountZero", 0, true, true, 'c', "0"},
        FormatCase{"CountIsPlain", 1234, true, false, 'C', "1234"},
        FormatCase{"CountFullFormKeepsEmptyFields", 5, false, false, 'C', "0:00:05"},
        FormatCase{"LargestValue", INT32_MAX, true, false, 'H', "5965:13:56.47"},
        // The most negative value has a magnitude too; nothing overflows.
        FormatCase{"SmallestValue", INT32_MIN, true, false, 'H', "-5965:13:56.48"},
        FormatCase{"SmallestValueCounted", INT32_MIN, true, false, 'C', "-2147483648"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ParseCase {
    const char* name;
    const char* text;
    char mode;
    int32_t value;
};

void PrintTo(const ParseCase& c, std::ostream* os) {
    *os << c.name;
}

class ParseTimeReads : public testing::TestWithParam<ParseCase> {};

TEST_P(ParseTimeReads, TheValueOfTheText) {
    EXPECT_EQ(ParseTime(GetParam().text, GetParam().mode), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseTimeReads,
    testing::Values(
        ParseCase{"EmptyIsZero", "", 'H', 0}, ParseCase{"LoneMinusIsZero", "-", 'H', 0},
        ParseCase{"OneDecimalIsTenths", "5.2", 'H', 520},
        ParseCase{"NoDecimalsAreWholeSeconds", "5", 'H', 500},
        ParseCase{"PointWithoutDigits", "5.", 'H', 500}, ParseCase{"MinutesAndSeconds", "1:05.20", 'H', 6520},
        ParseCase{"HoursMinutesSeconds", "1:00:05.20", 'H', kHour + 520},
        ParseCase{"Negative", "-3", 'H', -300}, ParseCase{"NegativeMinutes", "-0:01.00", 'H', -100},
        ParseCase{"EmptySecondsPiece", "2:", 'H', 12000}, ParseCase{"EmptyMinutesPiece", ":30", 'H', 3000},
        ParseCase{"SeparatorIsLookedForAfterTheColon", "1.5:30", 'H', 9000},
        ParseCase{"NoRangeCheck", "75:90", 'H', 75 * kMinute + 9000},
        ParseCase{"LongHundredthsTakenWhole", "5.123", 'H', 623},
        ParseCase{"ThreeFieldsWithoutHundredths", "1:2:3", 'H', kHour + 2 * kMinute + 300},
        ParseCase{"FurtherColonsEndThePiece", "1:2:3:4", 'H', kHour + 2 * kMinute + 300},
        ParseCase{"PlusSignIsNotASign", "+5", 'H', 500}, ParseCase{"PieceStopsAtALetter", "5x.5", 'H', 550},
        ParseCase{"BlanksBeforeAPiece", " 1: 05.20", 'H', 6520},
        ParseCase{"SignInsideAPiece", "1:-30", 'H', 6000 - 3000},
        ParseCase{"ModeLettersOtherThanCParseTimes", "1:05", 'M', 6500},
        ParseCase{"CountTakesTheDigits", "12abc", 'C', 12}, ParseCase{"CountNegative", "-7", 'C', -7},
        ParseCase{"CountDropsSeparators", "1,234", 'c', 1234},
        ParseCase{"CountDropsThePoint", "12.5", 'C', 125}, ParseCase{"CountOfNoDigits", "abc", 'C', 0},
        ParseCase{"CountOfAnInnerMinus", "5-3", 'C', 53},
        // Absurd input wraps in 32 bits instead of overflowing.
        ParseCase{"HugeHoursWrap", "6000:00:00.00", 'H', -2134967296},
        ParseCase{"HugeCountWraps", "4294967297", 'C', 1},
        ParseCase{"HugePieceWraps", "99999999999999999999", 'H', -1304428644}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IntegerText, IsPlainDecimal) {
    EXPECT_EQ(IntToString(-12), "-12");
    EXPECT_EQ(IntToString(0), "0");
    EXPECT_EQ(IntToString(1234567), "1234567");
}

TEST(IntegerText, AtoLReadsTheLeadingNumber) {
    EXPECT_EQ(AtoL(""), 0);
    EXPECT_EQ(AtoL("12abc"), 12);
    EXPECT_EQ(AtoL(" \t\r\n-15"), -15);
    EXPECT_EQ(AtoL("+7"), 7);
    EXPECT_EQ(AtoL("x12"), 0);
    EXPECT_EQ(AtoL("- 5"), 0);
    EXPECT_EQ(AtoL("2147483647"), 2147483647);
    EXPECT_EQ(AtoL("2147483648"), INT32_MIN);
    EXPECT_EQ(AtoL("-2147483648"), INT32_MIN);
}

// Every value except the most negative comes back from its text, compact or not, in any
// of the modes that show hours.
TEST(TimeTextRoundTrip, FormatThenParseGivesTheValueBack) {
    std::vector<int32_t> values = {0,
                                   1,
                                   -1,
                                   99,
                                   100,
                                   -100,
                                   5999,
                                   6000,
                                   6001,
                                   359999,
                                   360000,
                                   -360000,
                                   INT32_MAX,
                                   INT32_MIN + 1,
                                   100 * kHour,
                                   999 * kHour + 1,
                                   -5965 * kHour};
    std::mt19937 random(20240309);
    std::uniform_int_distribution<int32_t> any(INT32_MIN + 1, INT32_MAX);
    std::uniform_int_distribution<int32_t> small(-kHour * 3, kHour * 3);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(any(random));
        values.push_back(small(random));
    }
    for (int32_t value : values) {
        for (bool compact : {true, false}) {
            const std::string text = FormatTime(value, compact, false, 'H');
            ASSERT_EQ(ParseTime(text, 'H'), value) << text;
        }
    }
}

TEST(TimeTextRoundTrip, CountModeGivesTheValueBack) {
    for (int32_t value : {0, 5, -5, 1234, INT32_MAX, INT32_MIN + 1}) {
        EXPECT_EQ(ParseTime(FormatTime(value, true, false, 'C'), 'C'), value);
    }
}

} // namespace
