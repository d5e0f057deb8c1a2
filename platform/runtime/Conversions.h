#pragma once
// The number and date conversions of the class library the program was designed on, with its
// results (not the C library's): callers rely on their exact texts and defaults.

#include <stdexcept>
#include <string>

namespace rt {

// Raised by StrToFloat for a text that is not a number; callers catch it.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A date and time as days since 1899-12-30 00:00, the fraction being the time of day.
using TDateTime = double;

// The value of a hexadecimal digit of either case; -1 for any other character.
int HexDigit(char c);

// Decimal integer with an optional sign (leading and trailing blanks allowed, also "$" hex);
// anything else, or a value outside 32 bits, gives the default.
int StrToIntDef(const std::string& text, int defaultValue);

// A decimal number with optional sign, fraction and exponent (blanks around allowed);
// raises EConvertError otherwise (the empty text included). Read in extended precision.
long double StrToFloat(const std::string& text);

// Shortest general form with up to 15 significant digits: 0.25, 10, 1, 1E20.
std::string FloatToStr(long double value);

// Formats with a pattern of '0', '#', '.', ',' as the class library did ("0.0" gives 25.0).
std::string FormatFloat(const std::string& pattern, long double value);

// Formats a date with the class library's date patterns: "yyyy", "yy", "mm", "m", "dd", "d",
// "hh", "h", "nn", "n", "ss", "s", and literal text in quotes. Letters may be upper case; "m" or
// "mm" right after an hour field means minutes ("hh:mm"); other characters are copied.
std::string FormatDateTime(const std::string& pattern, TDateTime value);

// The same day of the month n months later (earlier for negative n), clamped to the month's
// last day; the time of day is kept.
TDateTime IncMonth(TDateTime value, int months);

// The local date and time now (from the wall clock, so tests can set it).
TDateTime Now();

// Builds a TDateTime from a local calendar date and time.
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second);

// Seconds held as a double to hundredths: the product formed in 80-bit extended precision and
// truncated toward zero (0.29 gives 28, 0.3 gives 29, 0.25 gives 25). Beyond the 32-bit range
// it saturates; NaN gives 0.
int SecondsToHundredths(double seconds);

} // namespace rt
