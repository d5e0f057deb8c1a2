#include "platform/runtime/Conversions.h"
#include "platform/runtime/Clock.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <limits>

namespace {

struct IntCase {
    const char* name;
    const char* text;
    int expected;
};

class StrToIntDefReads : public testing::TestWithParam<IntCase> {};

TEST_P(StrToIntDefReads, DecimalAndHexOrGivesTheDefault) {
    EXPECT_EQ(rt::StrToIntDef(GetParam().text, -99), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StrToIntDefReads,
    testing::Values(
        IntCase{"Plain", "42", 42}, IntCase{"BlanksAroundAndSign", " \t-7 ", -7},
        IntCase{"PlusSign", "+3", 3}, IntCase{"Hex", "$fF", 255}, IntCase{"HexBitPattern", "$FFFFFFFF", -1},
        IntCase{"Largest", "2147483647", 2147483647}, IntCase{"Smallest", "-2147483648", INT32_MIN},
        IntCase{"JustTooLarge", "2147483648", -99}, IntCase{"JustTooSmall", "-2147483649", -99},
        IntCase{"HugeDigitRun", "99999999999999999999999", -99}, IntCase{"HexTooLarge", "$100000000", -99},
        IntCase{"Empty", "", -99}, IntCase{"OnlyBlanks", "  ", -99}, IntCase{"Letters", "x", -99},
        IntCase{"TrailingLetter", "1x", -99}, IntCase{"InnerBlank", "1 2", -99},
        IntCase{"LoneSign", "-", -99}, IntCase{"LoneDollar", "$", -99}, IntCase{"Fraction", "1.5", -99}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(StrToFloatReads, DecimalNumbersInExtendedPrecision) {
    EXPECT_EQ(rt::StrToFloat("0.25"), 0.25L);
    EXPECT_EQ(rt::StrToFloat(" -1.5e2 "), -150.0L);
    EXPECT_EQ(rt::StrToFloat("+.5"), 0.5L);
    EXPECT_EQ(rt::StrToFloat("5."), 5.0L);
    EXPECT_EQ(rt::StrToFloat("1E3"), 1000.0L);
    EXPECT_EQ(rt::StrToFloat("2e-2"), 0.02L);
    // Extended, not double: the text's value to 64 bits of mantissa.
    EXPECT_EQ(rt::StrToFloat("0.29"), 0.29L);
    EXPECT_NE(rt::StrToFloat("0.29"), static_cast<long double>(0.29));
}

TEST(StrToFloatReads, RaisesOnEverythingElse) {
    for (const char* text : {"", " ", "abc", "1,5", "1e", "e5", ".", "--1", "0x10", "1.2.3", "inf", "nan",
                             "1e99999", "5 5", "1e+"}) {
        EXPECT_THROW(rt::StrToFloat(text), rt::EConvertError) << "'" << text << "'";
    }
}

struct FloatCase {
    const char* name;
    long double value;
    const char* text;
};

class FloatToStrWrites : public testing::TestWithParam<FloatCase> {};

TEST_P(FloatToStrWrites, TheShortestGeneralForm) {
    EXPECT_EQ(rt::FloatToStr(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FloatToStrWrites,
    testing::Values(
        FloatCase{"Quarter", 25 * 0.01, "0.25"}, FloatCase{"Ten", 1000 * 0.01, "10"},
        FloatCase{"One", 100 * 0.01, "1"}, FloatCase{"Zero", 0, "0"}, FloatCase{"Negative", -1.5, "-1.5"},
        FloatCase{"DoubleTenth", 0.1, "0.1"}, FloatCase{"DoubleTwentyNineHundredths", 0.29, "0.29"},
        FloatCase{"FifteenDigitsRounded", 2.0L / 3, "0.666666666666667"},
        FloatCase{"FifteenIntegerDigits", 1e14L, "100000000000000"},
        FloatCase{"SixteenIntegerDigitsGoScientific", 1e15L, "1E15"}, FloatCase{"Large", 1e20L, "1E20"},
        FloatCase{"LargeWithDigits", 123456789012345678.0L, "1.23456789012346E17"},
        FloatCase{"RoundingCarriesIntoScientific", 999999999999999.9L, "1E15"},
        FloatCase{"SmallFixed", 0.0001L, "0.0001"}, FloatCase{"SmallScientific", 0.00001L, "1E-5"},
        FloatCase{"SmallWithDigits", -1.5e-7L, "-1.5E-7"},
        FloatCase{"Infinite", std::numeric_limits<long double>::infinity(), "INF"},
        FloatCase{"NotANumber", std::numeric_limits<long double>::quiet_NaN(), "NAN"}),
    [](const auto& info) { return std::string(info.param.name); });

struct PatternCase {
    const char* name;
    const char* pattern;
    long double value;
    const char* text;
};

class FormatFloatWrites : public testing::TestWithParam<PatternCase> {};

TEST_P(FormatFloatWrites, ThePatternsDigits) {
    EXPECT_EQ(rt::FormatFloat(GetParam().pattern, GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatFloatWrites,
    testing::Values(PatternCase{"OneDecimal", "0.0", 25, "25.0"},
                    PatternCase{"ShareOfResets", "0.0", 2 * 100.0 / 8, "25.0"},
                    PatternCase{"HalfRoundsAwayFromZero", "0.0", 0.25, "0.3"},
                    // 0.15 is a hair below in binary; at 15 significant digits it is a half.
                    PatternCase{"RoundsFromFifteenDigits", "0.0", 0.15, "0.2"},
                    PatternCase{"RoundsDown", "0.0", 33.333333, "33.3"},
                    PatternCase{"RoundingCarriesIntoANewDigit", "0.0", 99.96, "100.0"},
                    PatternCase{"WholeNumberHalf", "0", 2.5, "3"},
                    PatternCase{"NegativeHalf", "0", -2.5, "-3"}, PatternCase{"BelowHalf", "0", 0.4, "0"},
                    PatternCase{"TwoDecimalsPadded", "0.00", 1, "1.00"},
                    PatternCase{"NoMinusForAZeroResult", "0.0", -0.01, "0.0"},
                    PatternCase{"Thousands", "#,##0.0", 1234567.89, "1,234,567.9"},
                    PatternCase{"ThousandsNegative", "#,##0.0", -1234.5, "-1,234.5"},
                    PatternCase{"ThousandsZero", "#,##0.0", 0, "0.0"},
                    PatternCase{"ThousandsBelowAThousand", "#,##0.0", 999.94, "999.9"},
                    PatternCase{"OptionalDecimals", "0.##", 1.5, "1.5"},
                    PatternCase{"OptionalDecimalsDropThePoint", "0.##", 1, "1"},
                    PatternCase{"LargeValue", "0.0", 1e20L, "100000000000000000000.0"},
                    PatternCase{"LiteralSuffix", "0.0%", 12.34, "12.3%"}),
    [](const auto& info) { return std::string(info.param.name); });

struct DateCase {
    const char* name;
    const char* pattern;
    const char* text;
};

class FormatDateTimeWrites : public testing::TestWithParam<DateCase> {};

TEST_P(FormatDateTimeWrites, TheFieldsOfTheDate) {
    const rt::TDateTime value = rt::EncodeDateTime(2024, 3, 9, 18, 5, 7);
    EXPECT_EQ(rt::FormatDateTime(GetParam().pattern, value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Patterns, FormatDateTimeWrites,
                         testing::Values(DateCase{"DayKey", "yyyymmdd", "20240309"},
                                         DateCase{"FullStamp", "yyyy/mm/dd hh:nn:ss", "2024/03/09 18:05:07"},
                                         DateCase{"ShortFields", "d/m/yy h:n:s", "9/3/24 18:5:7"},
                                         DateCase{"MinutesAfterHours", "hh:mm", "18:05"},
                                         DateCase{"UpperCaseLetters", "YYYY-MM-DD", "2024-03-09"},
                                         DateCase{"QuotedLiterals", "'day' d \"at\" hh", "day 9 at 18"},
                                         DateCase{"OtherCharactersAsTheyAre", "[d]", "[9]"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DateArithmetic, DaysCountFromTheEndOf1899) {
    EXPECT_EQ(rt::EncodeDateTime(1899, 12, 30, 0, 0, 0), 0.0);
    EXPECT_EQ(rt::EncodeDateTime(2024, 3, 9, 0, 0, 0), 45360.0);
    EXPECT_EQ(rt::EncodeDateTime(2024, 3, 9, 18, 0, 0), 45360.75);
    EXPECT_EQ(rt::FormatDateTime("yyyy/mm/dd hh:nn", 0.5), "1899/12/30 12:00");
    // Before day 0 the fraction is still the time of day.
    EXPECT_EQ(rt::EncodeDateTime(1899, 12, 29, 6, 0, 0), -1.25);
    EXPECT_EQ(rt::FormatDateTime("yyyy/mm/dd hh:nn", -1.25), "1899/12/29 06:00");
    EXPECT_EQ(rt::FormatDateTime("yyyy/mm/dd", rt::EncodeDateTime(2024, 13, 1, 0, 0, 0)), "2025/01/01");
}

struct MonthCase {
    const char* name;
    int year, month, day;
    int months;
    const char* result;
};

class IncMonthMoves : public testing::TestWithParam<MonthCase> {};

TEST_P(IncMonthMoves, ToTheSameDayClampedToTheMonth) {
    const auto& c = GetParam();
    const rt::TDateTime from = rt::EncodeDateTime(c.year, c.month, c.day, 12, 30, 0);
    EXPECT_EQ(rt::FormatDateTime("yyyy/mm/dd hh:nn", rt::IncMonth(from, c.months)), c.result);
}

INSTANTIATE_TEST_SUITE_P(Dates, IncMonthMoves,
                         testing::Values(MonthCase{"IntoALeapFebruary", 2024, 1, 31, 1, "2024/02/29 12:30"},
                                         MonthCase{"IntoAPlainFebruary", 2023, 1, 31, 1, "2023/02/28 12:30"},
                                         MonthCase{"CenturyIsNotLeap", 2100, 1, 31, 1, "2100/02/28 12:30"},
                                         MonthCase{"FourHundredthYearIsLeap", 2000, 1, 31, 1,
                                                   "2000/02/29 12:30"},
                                         MonthCase{"Backwards", 2024, 3, 31, -1, "2024/02/29 12:30"},
                                         MonthCase{"AYearBack", 2024, 5, 15, -12, "2023/05/15 12:30"},
                                         MonthCase{"AcrossAYearBack", 2024, 1, 15, -13, "2022/12/15 12:30"},
                                         MonthCase{"AcrossAYearForward", 2024, 12, 31, 2, "2025/02/28 12:30"},
                                         MonthCase{"NoMonths", 2024, 3, 9, 0, "2024/03/09 12:30"}),
                         [](const auto& info) { return std::string(info.param.name); });

class LocalTimeNow : public testing::Test {
protected:
    void SetUp() override {
        const char* zone = std::getenv("TZ");
        savedZone_ = zone != nullptr ? zone : "";
        hadZone_ = zone != nullptr;
    }
    void TearDown() override {
        if (hadZone_) {
            setenv("TZ", savedZone_.c_str(), 1);
        } else {
            unsetenv("TZ");
        }
        tzset();
        rt::UseSystemClocks();
    }
    static void UseZone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }

private:
    std::string savedZone_;
    bool hadZone_ = false;
};

TEST_F(LocalTimeNow, ComesFromTheWallClockInTheLocalZone) {
    // 2024-03-09 18:05:07.250 UTC.
    rt::SetTestWallClock(1710007507LL * 1000000 + 250000);
    UseZone("UTC0");
    EXPECT_EQ(rt::FormatDateTime("yyyy/mm/dd hh:nn:ss", rt::Now()), "2024/03/09 18:05:07");
    EXPECT_NEAR(rt::Now(), rt::EncodeDateTime(2024, 3, 9, 18, 5, 7) + 0.25 / 86400, 1e-9);
    UseZone("EST5");
    EXPECT_EQ(rt::FormatDateTime("yyyy/mm/dd hh:nn:ss", rt::Now()), "2024/03/09 13:05:07");
    UseZone("XYZ-10");
    EXPECT_EQ(rt::FormatDateTime("yyyy/mm/dd hh:nn:ss", rt::Now()), "2024/03/10 04:05:07");
}

struct HundredthsCase {
    const char* name;
    double seconds;
    int hundredths;
};

class SecondsToHundredthsTruncates : public testing::TestWithParam<HundredthsCase> {};

TEST_P(SecondsToHundredthsTruncates, TheExtendedProduct) {
    EXPECT_EQ(rt::SecondsToHundredths(GetParam().seconds), GetParam().hundredths);
}

INSTANTIATE_TEST_SUITE_P(
    Seconds, SecondsToHundredthsTruncates,
    testing::Values(HundredthsCase{"TwentyNineHundredthsLoseOne", 0.29, 28},
                    HundredthsCase{"ThreeTenthsLoseOne", 0.3, 29}, HundredthsCase{"QuarterIsExact", 0.25, 25},
                    HundredthsCase{"WholeSeconds", 10, 1000},
                    HundredthsCase{"TowardZeroWhenNegative", -0.29, -28},
                    HundredthsCase{"HugeSaturates", 1e10, INT32_MAX},
                    HundredthsCase{"HugeNegativeSaturates", -1e10, INT32_MIN},
                    HundredthsCase{"InfiniteSaturates", std::numeric_limits<double>::infinity(), INT32_MAX},
                    HundredthsCase{"NotANumberIsZero", std::numeric_limits<double>::quiet_NaN(), 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The window layer takes its locale from the environment; numbers must still use a point.
TEST(ConversionsUnderALocale, KeepTheDecimalPoint) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "de_DE") == nullptr &&
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    EXPECT_EQ(rt::StrToFloat("0.25"), 0.25L);
    EXPECT_THROW(rt::StrToFloat("0,25"), rt::EConvertError);
    EXPECT_EQ(rt::FloatToStr(0.25), "0.25");
    EXPECT_EQ(rt::FormatFloat("0.0", 2.5), "2.5");
    std::setlocale(LC_NUMERIC, saved.c_str());
}

} // namespace
