#include "core/IniFileClass.h"

#include "core/TimeText.h"
#include "platform/runtime/TextFile.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace {

// Numbers in the file always use a decimal point, whatever locale the program runs in.
locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

const IniFileClass::Section* FindSection(const std::map<std::string, IniFileClass::Section>& sections,
                                         const std::string& section) {
    auto it = sections.find(section);
    return it == sections.end() ? nullptr : &it->second;
}

const std::string* FindValue(const std::map<std::string, IniFileClass::Section>& sections,
                             const std::string& section, const std::string& key) {
    const IniFileClass::Section* found = FindSection(sections, section);
    if (found == nullptr) {
        return nullptr;
    }
    auto it = found->find(key);
    return it == found->end() ? nullptr : &it->second;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal number at the front of a value, read as atof reads one (white space skipped, the
// longest number taken, trailing text ignored) but without atof's infinities, NaNs and hexadecimal
// forms: a hand-edited "inf" would otherwise turn a wait into one that never ends. Anything that
// is not a finite decimal number reads as 0.0, like any other text that is not a number.
double ReadDecimal(const std::string& text) {
    const size_t n = text.size();
    size_t i = 0;
    while (i < n && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    const size_t start = i;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    size_t digits = 0;
    for (; i < n && IsDigit(text[i]); ++i) {
        ++digits;
    }
    if (i < n && text[i] == '.') {
        for (++i; i < n && IsDigit(text[i]); ++i) {
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        size_t e = i + 1;
        if (e < n && (text[e] == '+' || text[e] == '-')) {
            ++e;
        }
        if (e < n && IsDigit(text[e])) {
            for (i = e; i < n && IsDigit(text[i]); ++i) {
            }
        }
    }
    const double value = strtod_l(text.substr(start, i - start).c_str(), nullptr, CLocale());
    return std::isfinite(value) ? value : 0.0;
}

// A name or value as it may stand on one line: a CR or LF inside it would start a line of its own
// (a section or an entry the reader takes as real), and a Ctrl-Z or a NUL is no text (one at the
// end would end the file for the reader), so each becomes a space.
std::string OneLine(std::string text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n' || c == '\0' || c == '\x1a') {
            c = ' ';
        }
    }
    return text;
}

} // namespace

void IniFileClass::Load(std::string name) {
    sections.clear();
    if (name.empty()) {
        return;
    }
    std::string text;
    if (!rt::ReadTextFile(name, text)) {
        return;
    }
    fileName = name;

    std::vector<std::string> lines;
    SplitIniLines(text, lines);
    std::string current = "none";
    for (const std::string& line : lines) {
        if (line.size() < 2) {
            continue;
        }
        if (line.front() == '[' && line.back() == ']') {
            current = line.substr(1, line.size() - 2);
            continue;
        }
        size_t equals = line.find('=');
        if (equals != std::string::npos) {
            sections[current][line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
}

void IniFileClass::Save() {
    if (fileName.empty()) {
        return;
    }
    // Written beside the old file and renamed over it, synced first: a crash or a power cut
    // leaves the old settings or the new ones, never a half-written file.
    rt::TextOutFile file;
    if (!file.Open(fileName, true)) {
        return;
    }
    for (const auto& [name, keys] : sections) {
        std::string header = "[";
        header += OneLine(name);
        header += "]\n";
        WriteText(file, header);
        for (const auto& [key, value] : keys) {
            WriteText(file, OneLine(key) + "=" + OneLine(value) + "\n");
        }
        WriteText(file, "\n");
    }
    file.Close();
}

std::string IniFileClass::GetString(std::string section, std::string key, std::string defaultValue) const {
    const std::string* value = FindValue(sections, section, key);
    return value == nullptr ? defaultValue : *value;
}

int IniFileClass::GetInt(std::string section, std::string key, int defaultValue) const {
    const std::string* value = FindValue(sections, section, key);
    return value == nullptr ? defaultValue : static_cast<int>(AtoL(*value));
}

double IniFileClass::GetDouble(std::string section, std::string key, double defaultValue) const {
    const std::string* value = FindValue(sections, section, key);
    return value == nullptr ? defaultValue : ReadDecimal(*value);
}

char IniFileClass::GetChar(std::string section, std::string key, char defaultValue) const {
    const std::string* value = FindValue(sections, section, key);
    return value == nullptr || value->empty() ? defaultValue : value->front();
}

IniFileClass::Section IniFileClass::GetSection(std::string section) const {
    const Section* found = FindSection(sections, section);
    return found == nullptr ? Section() : *found;
}

void IniFileClass::SetString(std::string section, std::string key, std::string value) {
    sections[section][key] = value;
}

void IniFileClass::SetInt(std::string section, std::string key, int value) {
    sections[section][key] = std::to_string(value);
}

void IniFileClass::SetDouble(std::string section, std::string key, double value) {
    // Fixed notation with six decimals, as "%lf" in the "C" locale; large magnitudes are kept
    // whole rather than cut to a buffer.
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    sections[section][key] = std::string(buffer, result.ptr);
}

void IniFileClass::SetChar(std::string section, std::string key, char value) {
    sections[section][key] = std::string(1, value);
}

void IniFileClass::SplitIniLines(const std::string& text, std::vector<std::string>& lines) {
    lines.clear();
    const size_t n = text.size();
    size_t start = 0;
    while (start < n) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines.emplace_back(text, start, n - start);
            return;
        }
        lines.emplace_back(text, start, end - start);
        start = text.find_first_not_of("\r\n", end);
        if (start == std::string::npos) {
            return;
        }
    }
}

void IniFileClass::WriteText(rt::TextOutFile& file, const std::string& text) {
    file.Puts(text);
}
