#include "core/TextHelpers.h"

#include "platform/runtime/Conversions.h"

#include <algorithm>

namespace {

// Replaces every non-overlapping occurrence, left to right. None of the replacements used here
// can form a new occurrence, so one pass equals replacing until nothing is left.
std::string ReplaceAll(const std::string& text, const std::string& from, const std::string& to) {
    size_t at = text.find(from);
    if (at == std::string::npos) {
        return text;
    }
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    size_t start = 0;
    while (at != std::string::npos) {
        out.append(text, start, at - start);
        out += to;
        start = at + from.size();
        at = text.find(from, start);
    }
    out.append(text, start, std::string::npos);
    return out;
}

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// A character that is no hex digit counts as 0.
unsigned HexValue(char c) {
    return static_cast<unsigned>(std::max(rt::HexDigit(c), 0));
}

} // namespace

std::string EscapeText(const std::string& text) {
    // A pair of either order is one line break; the CR LF pairs are taken first.
    std::string out = ReplaceAll(text, "\t", "|t");
    out = ReplaceAll(out, "\r\n", "|r");
    out = ReplaceAll(out, "\n\r", "|r");
    out = ReplaceAll(out, "\r", "|r");
    return ReplaceAll(out, "\n", "|r");
}

std::string UnescapeText(const std::string& text) {
    return ReplaceAll(ReplaceAll(text, "|t", "\t"), "|r", "\r\n");
}

void SplitLines(const std::string& text, StringList& lines) {
    lines.clear();
    const size_t n = text.size();
    size_t start = 0;
    while (start < n) {
        size_t end = start;
        while (end < n && !IsLineEnd(text[end])) {
            ++end;
        }
        if (end == n) {
            lines.emplace_back(text, start, n - start);
            return;
        }
        lines.emplace_back(text, start, end - start);
        if (end + 1 < n && text[end + 1] == text[end]) {
            // The same separator twice: the second one ends an empty line.
            start = end + 1;
        } else {
            start = end + 1;
            while (start < n && IsLineEnd(text[start])) {
                ++start;
            }
        }
    }
}

void SplitFields(const std::string& line, StringList& fields) {
    fields.clear();
    const size_t n = line.size();
    size_t start = 0;
    while (start < n) {
        size_t tab = line.find('\t', start);
        if (tab == std::string::npos) {
            fields.emplace_back(line, start, n - start);
            return;
        }
        fields.emplace_back(line, start, tab - start);
        start = tab + 1;
    }
}

std::string ToUpperCase(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 32);
        }
    }
    return out;
}

std::string ToLowerCase(const std::string& text) {
    std::string out = text;
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c + 32);
        }
    }
    return out;
}

uint32_t HexToColor(const std::string& text, bool bgr) {
    const size_t n = text.size() < 6 ? text.size() & ~size_t{1} : 6;
    std::string digits = text.substr(0, n);
    if (bgr) {
        digits.resize(6, '0');
        std::swap(digits[0], digits[4]);
        std::swap(digits[1], digits[5]);
    }
    uint32_t channels[3] = {0, 0, 0};
    for (size_t pair = 0; pair < 3 && pair * 2 + 1 < digits.size(); ++pair) {
        channels[pair] = HexValue(digits[pair * 2]) * 16 + HexValue(digits[pair * 2 + 1]);
    }
    return channels[0] + channels[1] * 256 + channels[2] * 65536;
}

std::string BoolToYN(bool value) {
    return value ? "Y" : "N";
}
