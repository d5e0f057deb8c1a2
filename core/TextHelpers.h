#pragma once
// Small helpers on 8-bit strings: escaping notes into one tab-separated field, cutting file texts
// into lines and fields, ASCII case copies, colour texts and "Y"/"N" booleans.

#include <cstdint>
#include <string>
#include <vector>

using StringList = std::vector<std::string>;

std::string EscapeText(const std::string& text);
std::string UnescapeText(const std::string& text);
void SplitLines(const std::string& text, StringList& lines);
void SplitFields(const std::string& line, StringList& fields);
std::string ToUpperCase(const std::string& text);
std::string ToLowerCase(const std::string& text);
// A Windows colour value, 0x00BBGGRR.
uint32_t HexToColor(const std::string& text, bool bgr);
std::string BoolToYN(bool value);
