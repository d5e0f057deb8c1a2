#pragma once
// IniFileClass: one settings file held in memory as sections of key/value texts, with typed
// lookups that fall back to the caller's default and typed stores. Save rewrites the whole file,
// sorted, and only a file that existed when it was loaded: the program never creates one.

#include <map>
#include <string>
#include <vector>

namespace rt {
class TextOutFile;
}

class IniFileClass {
public:
    using Section = std::map<std::string, std::string>;

    void Load(std::string fileName);
    void Save();

    std::string GetString(std::string section, std::string key, std::string defaultValue) const;
    int GetInt(std::string section, std::string key, int defaultValue) const;
    double GetDouble(std::string section, std::string key, double defaultValue) const;
    char GetChar(std::string section, std::string key, char defaultValue) const;
    Section GetSection(std::string section) const;

    void SetString(std::string section, std::string key, std::string value);
    void SetInt(std::string section, std::string key, int value);
    void SetDouble(std::string section, std::string key, double value);
    void SetChar(std::string section, std::string key, char value);

    static void SplitIniLines(const std::string& text, std::vector<std::string>& lines);
    static void WriteText(rt::TextOutFile& file, const std::string& text);

    std::map<std::string, Section> sections;
    std::string fileName;
};
