#pragma once
// The display boundary of the program's byte strings. The model keeps 8-bit strings; a string
// that is valid UTF-8 is shown as UTF-8, any other as Windows-1252 (files written on the original
// platform). Text typed by the user comes back as UTF-8.

#include <string>

#include <QString>

QString ToDisplayText(const std::string& bytes);
std::string FromTypedText(const QString& text);

bool IsValidUtf8(const std::string& bytes);
