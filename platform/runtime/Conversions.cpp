#include "platform/runtime/Conversions.h"

#include "platform/runtime/Clock.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <locale.h>

namespace rt {

namespace {

// Days from 1899-12-30 (day 0 of a TDateTime) to 1970-01-01.
constexpr int64_t kUnixEpochDays = 25569;
constexpr int64_t kMillisecondsPerDay = 86400000;
// The date range the class library accepted: 0001-01-01 to 9999-12-31.
constexpr double kFirstDay = -693593;
constexpr double kLastDay = 2958465;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The "C" locale for the C library's number readers: the program's locale (which the window
// layer takes from the environment) must not turn the decimal point into a comma.
locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

bool IsLeapYear(int64_t year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int64_t year, int month) {
    static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

struct DecodedDateTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

// The date is the whole part (truncated toward zero); the time of day is the fraction's
// magnitude, so dates before 1899-12-30 still have their time after midnight.
DecodedDateTime Decode(TDateTime value) {
    DecodedDateTime out;
    if (std::isnan(value)) {
        return out;
    }
    value = std::fmin(std::fmax(value, kFirstDay - 1), kLastDay + 1);
    double whole = std::trunc(value);
    int64_t days = static_cast<int64_t>(whole);
    int64_t ms = std::llround(std::fabs(value - whole) * kMillisecondsPerDay);
    if (ms >= kMillisecondsPerDay) {
        ms -= kMillisecondsPerDay;
        days += value >= 0 ? 1 : -1;
    }
    CivilFromDays(days - kUnixEpochDays, out.year, out.month, out.day);
    out.hour = static_cast<int>(ms / 3600000);
    out.minute = static_cast<int>(ms / 60000 % 60);
    out.second = static_cast<int>(ms / 1000 % 60);
    out.millisecond = static_cast<int>(ms % 1000);
    return out;
}

TDateTime Compose(int64_t days, double timeOfDay) {
    return days >= 0 ? static_cast<double>(days) + timeOfDay : static_cast<double>(days) - timeOfDay;
}

// A finite value as its first 15 significant digits, rounded, with the position of the decimal
// point: value = 0.digits x 10^point.
void SignificantDigits(long double magnitude, std::string& digits, int& point) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude, std::chars_format::scientific, 14);
    std::string text(buffer, result.ptr);
    size_t e = text.find('e');
    digits.clear();
    for (size_t i = 0; i < e; ++i) {
        if (IsDigit(text[i])) {
            digits += text[i];
        }
    }
    point = std::atoi(text.c_str() + e + 1) + 1;
}

std::string TwoDigits(int value) {
    std::string text = std::to_string(value);
    return text.size() < 2 ? "0" + text : text;
}

std::string Padded(int value, size_t width) {
    std::string text = std::to_string(value);
    return text.size() < width ? std::string(width - text.size(), '0') + text : text;
}

} // namespace

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

int StrToIntDef(const std::string& text, int defaultValue) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint64_t value = 0;
    size_t first = i;
    if (i < n && text[i] == '$') {
        first = ++i;
        for (int d; i < n && (d = HexDigit(text[i])) >= 0; ++i) {
            value = value * 16 + static_cast<uint64_t>(d);
            if (value > 0xFFFFFFFFu) {
                return defaultValue;
            }
        }
    } else {
        for (; i < n && IsDigit(text[i]); ++i) {
            value = value * 10 + static_cast<uint64_t>(text[i] - '0');
            if (value > 0x80000000u) {
                return defaultValue;
            }
        }
        if (value == 0x80000000u && !negative) {
            return defaultValue;
        }
    }
    if (i == first) {
        return defaultValue;
    }
    while (i < n && IsBlank(text[i])) {
        ++i;
    }
    if (i != n) {
        return defaultValue;
    }
    // Hexadecimal texts up to $FFFFFFFF are bit patterns and wrap into the sign.
    uint32_t bits = static_cast<uint32_t>(value);
    if (negative) {
        bits = 0u - bits;
    }
    return static_cast<int32_t>(bits);
}

long double StrToFloat(const std::string& text) {
    const size_t n = text.size();
    size_t begin = 0;
    while (begin < n && IsBlank(text[begin])) {
        ++begin;
    }
    size_t end = n;
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    size_t i = begin;
    if (i < end && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    size_t mantissaDigits = 0;
    while (i < end && IsDigit(text[i])) {
        ++i;
        ++mantissaDigits;
    }
    if (i < end && text[i] == '.') {
        ++i;
        while (i < end && IsDigit(text[i])) {
            ++i;
            ++mantissaDigits;
        }
    }
    bool ok = mantissaDigits > 0;
    if (ok && i < end && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < end && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        size_t exponentDigits = 0;
        while (i < end && IsDigit(text[i])) {
            ++i;
            ++exponentDigits;
        }
        ok = exponentDigits > 0;
    }
    if (!ok || i != end) {
        throw EConvertError("'" + text + "' is not a valid floating point value");
    }
    const std::string number = text.substr(begin, end - begin);
    long double value = strtold_l(number.c_str(), nullptr, CLocale());
    if (std::isinf(value)) {
        throw EConvertError("'" + text + "' is not a valid floating point value");
    }
    return value;
}

std::string FloatToStr(long double value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    if (value == 0) {
        return "0";
    }
    std::string sign = value < 0 ? "-" : "";
    std::string digits;
    int point = 0;
    SignificantDigits(std::fabs(value), digits, point);
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
    }
    const int precision = 15;
    if (point > precision || point < -3) {
        std::string text = sign + digits.substr(0, 1);
        if (digits.size() > 1) {
            text += "." + digits.substr(1);
        }
        int exponent = point - 1;
        return text + "E" + std::to_string(exponent);
    }
    std::string text = sign;
    if (point <= 0) {
        text += "0." + std::string(static_cast<size_t>(-point), '0') + digits;
    } else if (static_cast<size_t>(point) >= digits.size()) {
        text += digits + std::string(static_cast<size_t>(point) - digits.size(), '0');
    } else {
        text +=
            digits.substr(0, static_cast<size_t>(point)) + "." + digits.substr(static_cast<size_t>(point));
    }
    return text;
}

std::string FormatFloat(const std::string& pattern, long double value) {
    if (std::isnan(value)) {
        return "NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-INF" : "INF";
    }
    // The pattern is literal text around one run of placeholders; quotes enclose literal text.
    auto isPlaceholder = [](char c) { return c == '0' || c == '#' || c == '.' || c == ','; };
    std::string prefix, suffix, core;
    {
        std::string* target = &prefix;
        for (size_t i = 0; i < pattern.size(); ++i) {
            char c = pattern[i];
            if (c == '"' || c == '\'') {
                size_t close = pattern.find(c, i + 1);
                if (close == std::string::npos) {
                    close = pattern.size();
                }
                (target == &core ? suffix : *target) += pattern.substr(i + 1, close - i - 1);
                if (target == &core) {
                    target = &suffix;
                }
                i = close;
            } else if (isPlaceholder(c) && target != &suffix) {
                target = &core;
                core += c;
            } else {
                if (target == &core) {
                    target = &suffix;
                }
                *target += c;
            }
        }
    }
    size_t dot = core.find('.');
    std::string intPattern = core.substr(0, dot);
    std::string decPattern = dot == std::string::npos ? std::string() : core.substr(dot + 1);
    const bool thousands = intPattern.find(',') != std::string::npos;
    size_t minInt = 0;
    {
        size_t firstZero = intPattern.find('0');
        if (firstZero != std::string::npos) {
            for (size_t i = firstZero; i < intPattern.size(); ++i) {
                minInt += intPattern[i] == '0' || intPattern[i] == '#';
            }
        }
    }
    size_t maxDec = 0, minDec = 0;
    for (char c : decPattern) {
        if (c == '0' || c == '#') {
            ++maxDec;
            if (c == '0') {
                minDec = maxDec;
            }
        }
    }

    // Round the 15 significant digits to maxDec decimals, half away from zero.
    std::string digits;
    int point = 0;
    if (value != 0) {
        SignificantDigits(std::fabs(value), digits, point);
    }
    long keep = static_cast<long>(point) + static_cast<long>(maxDec);
    if (keep < 0) {
        digits.clear();
    } else if (static_cast<size_t>(keep) < digits.size()) {
        bool up = digits[static_cast<size_t>(keep)] >= '5';
        digits.resize(static_cast<size_t>(keep));
        if (up) {
            long i = keep - 1;
            for (; i >= 0 && digits[static_cast<size_t>(i)] == '9'; --i) {
                digits[static_cast<size_t>(i)] = '0';
            }
            if (i >= 0) {
                ++digits[static_cast<size_t>(i)];
            } else {
                digits.insert(digits.begin(), '1');
                ++point;
            }
        }
    }
    const bool zero = digits.find_first_not_of('0') == std::string::npos;

    std::string intDigits;
    std::string decDigits;
    for (long i = 0; i < point; ++i) {
        intDigits += static_cast<size_t>(i) < digits.size() ? digits[static_cast<size_t>(i)] : '0';
    }
    for (long i = 0; i < static_cast<long>(maxDec); ++i) {
        long at = point + i;
        decDigits +=
            at >= 0 && static_cast<size_t>(at) < digits.size() ? digits[static_cast<size_t>(at)] : '0';
    }
    size_t nonZero = intDigits.find_first_not_of('0');
    intDigits = nonZero == std::string::npos ? std::string() : intDigits.substr(nonZero);
    if (intDigits.size() < minInt) {
        intDigits.insert(0, minInt - intDigits.size(), '0');
    }
    while (decDigits.size() > minDec && decDigits.back() == '0') {
        decDigits.pop_back();
    }
    if (thousands) {
        std::string grouped;
        for (size_t i = 0; i < intDigits.size(); ++i) {
            if (i > 0 && (intDigits.size() - i) % 3 == 0) {
                grouped += ',';
            }
            grouped += intDigits[i];
        }
        intDigits = grouped;
    }
    std::string text = prefix;
    if (value < 0 && !zero) {
        text += '-';
    }
    text += intDigits;
    if (!decDigits.empty()) {
        text += "." + decDigits;
    }
    return text + suffix;
}

std::string FormatDateTime(const std::string& pattern, TDateTime value) {
    const DecodedDateTime t = Decode(value);
    std::string out;
    char lastToken = 0;
    const size_t n = pattern.size();
    for (size_t i = 0; i < n;) {
        char c = pattern[i];
        if (c == '"' || c == '\'') {
            size_t close = pattern.find(c, i + 1);
            if (close == std::string::npos) {
                close = n;
            }
            out += pattern.substr(i + 1, close - i - 1);
            i = close + 1;
            continue;
        }
        char token = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
        size_t count = 1;
        while (i + count < n &&
               (pattern[i + count] == c || pattern[i + count] == static_cast<char>(token + 32) ||
                pattern[i + count] == token)) {
            ++count;
        }
        // "m" right after an hour means minutes, as in "hh:mm".
        if (token == 'M' && lastToken == 'H') {
            token = 'N';
        }
        if (token >= 'A' && token <= 'Z') {
            lastToken = token;
        }
        switch (token) {
        case 'Y':
            out += count <= 2 ? TwoDigits(((t.year % 100) + 100) % 100) : Padded(t.year, 4);
            i += count;
            continue;
        case 'M':
        case 'D':
        case 'H':
        case 'N':
        case 'S': {
            count = count >= 2 ? 2 : 1;
            int field = token == 'M'   ? t.month
                        : token == 'D' ? t.day
                        : token == 'H' ? t.hour
                        : token == 'N' ? t.minute
                                       : t.second;
            out += count == 2 ? TwoDigits(field) : std::to_string(field);
            i += count;
            continue;
        }
        default:
            out += c;
            ++i;
            continue;
        }
    }
    return out;
}

TDateTime IncMonth(TDateTime value, int months) {
    if (std::isnan(value)) {
        return value;
    }
    const DecodedDateTime t = Decode(std::trunc(value));
    const double timeOfDay = std::fabs(value - std::trunc(value));
    const int64_t total = static_cast<int64_t>(t.year) * 12 + (t.month - 1) + months;
    const int64_t year = total >= 0 ? total / 12 : (total - 11) / 12;
    const int month = static_cast<int>(total - year * 12) + 1;
    const int day = std::min(t.day, DaysInMonth(year, month));
    return Compose(DaysFromCivil(year, month, day) + kUnixEpochDays, timeOfDay);
}

TDateTime Now() {
    const int64_t micro = WallClockMicroseconds();
    int64_t seconds = micro / 1000000;
    int64_t rest = micro % 1000000;
    if (rest < 0) {
        rest += 1000000;
        --seconds;
    }
    const time_t stamp = static_cast<time_t>(seconds);
    tm local{};
    localtime_r(&stamp, &local);
    const int64_t days =
        DaysFromCivil(static_cast<int64_t>(local.tm_year) + 1900, local.tm_mon + 1, local.tm_mday) +
        kUnixEpochDays;
    const double timeOfDay =
        static_cast<double>((local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec) * 1000 + rest / 1000) /
        kMillisecondsPerDay;
    return Compose(days, timeOfDay);
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second) {
    // Months outside 1..12 carry into the year; days and times carry forward.
    int64_t total = static_cast<int64_t>(year) * 12 + (month - 1);
    int64_t y = total >= 0 ? total / 12 : (total - 11) / 12;
    int64_t m = total - y * 12 + 1;
    int64_t days = DaysFromCivil(y, m, 1) + (static_cast<int64_t>(day) - 1) + kUnixEpochDays;
    const double timeOfDay = (static_cast<double>(hour) * 3600 + minute * 60.0 + second) / 86400.0;
    return Compose(days, timeOfDay);
}

int SecondsToHundredths(double seconds) {
    const long double product = static_cast<long double>(seconds) * 100.0L;
    // Out-of-range seconds saturate instead of overflowing the integer.
    if (std::isnan(product)) {
        return 0;
    }
    if (product >= 2147483647.0L) {
        return INT32_MAX;
    }
    if (product <= -2147483648.0L) {
        return INT32_MIN;
    }
    return static_cast<int>(product);
}

} // namespace rt
