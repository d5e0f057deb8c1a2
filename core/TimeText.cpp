#include "core/TimeText.h"

namespace {

constexpr uint32_t kHour = 360000;
constexpr uint32_t kMinute = 6000;
constexpr uint32_t kSecond = 100;

// At least two digits, more as needed.
void AppendField(std::string& text, uint32_t value) {
    if (value < 10) {
        text += '0';
    }
    text += std::to_string(value);
}

bool IsCountMode(char mode) {
    return mode == 'C' || mode == 'c';
}

// The unsigned bits of a 32-bit AtoL.
uint32_t Piece(const std::string& text, size_t begin, size_t end) {
    return static_cast<uint32_t>(AtoL(text.substr(begin, end - begin)));
}

} // namespace

std::string FormatTime(int32_t value, bool compact, bool showPlus, char mode) {
    // The magnitude in unsigned arithmetic, so the most negative value has one too.
    const uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
    uint32_t hours = magnitude / kHour;
    uint32_t minutes = magnitude % kHour / kMinute;
    uint32_t seconds = magnitude % kMinute / kSecond;
    uint32_t hundredths = magnitude % kSecond;
    const bool count = IsCountMode(mode);
    if (count) {
        seconds = magnitude;
        hours = minutes = hundredths = 0;
    } else if (mode == 'M' || mode == 'm') {
        minutes += hours * 60;
        hours = 0;
    } else if (mode == 'S' || mode == 's') {
        seconds += hours * 3600 + minutes * 60;
        hours = minutes = 0;
    }

    std::string text;
    text.reserve(16);
    if (hours != 0 || !compact) {
        AppendField(text, hours);
        text += ':';
        AppendField(text, minutes);
        text += ':';
    } else if (minutes != 0) {
        AppendField(text, minutes);
        text += ':';
    }
    AppendField(text, seconds);
    text += '.';
    AppendField(text, hundredths);

    if (text[0] == '0') {
        text.erase(0, 1);
    }
    if (count) {
        text.erase(text.size() - 3);
    }
    if (value < 0) {
        text.insert(0, 1, '-');
    } else if (showPlus && compact && value != 0) {
        text.insert(0, 1, '+');
    }
    return text;
}

int32_t ParseTime(const std::string& input, char mode) {
    if (input.empty()) {
        return 0;
    }
    std::string text = input;
    bool negative = false;
    if (text[0] == '-') {
        negative = true;
        text.erase(0, 1);
    }

    uint32_t magnitude = 0;
    if (IsCountMode(mode)) {
        std::string digits;
        for (char c : text) {
            if (c >= '0' && c <= '9') {
                digits += c;
            }
        }
        magnitude = static_cast<uint32_t>(AtoL(digits));
    } else {
        const size_t c1 = text.find(':');
        const size_t c2 = c1 == std::string::npos ? std::string::npos : text.find(':', c1 + 1);
        const size_t last = c2 != std::string::npos ? c2 : c1;
        size_t dot = text.find('.', last == std::string::npos ? 0 : last + 1);
        if (dot == std::string::npos) {
            dot = text.size();
            text += ".00";
        } else if (dot + 1 == text.size()) {
            text += "00";
        } else if (dot + 2 == text.size()) {
            text += '0';
        }

        uint32_t hours = 0, minutes = 0, seconds = 0;
        if (c1 == std::string::npos) {
            seconds = Piece(text, 0, dot);
        } else if (c2 == std::string::npos) {
            minutes = Piece(text, 0, c1);
            seconds = Piece(text, c1 + 1, dot);
        } else {
            hours = Piece(text, 0, c1);
            minutes = Piece(text, c1 + 1, c2);
            seconds = Piece(text, c2 + 1, dot);
        }
        const uint32_t hundredths = Piece(text, dot + 1, text.size());
        // Wraps in 32 bits on absurd input instead of overflowing.
        magnitude = hours * kHour + minutes * kMinute + seconds * kSecond + hundredths;
    }
    if (negative) {
        magnitude = 0u - magnitude;
    }
    return static_cast<int32_t>(magnitude);
}

std::string IntToString(long value) {
    return std::to_string(value);
}

long AtoL(const std::string& text) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t value = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10u + static_cast<uint32_t>(text[i] - '0');
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<int32_t>(value);
}
