#include "core/IniFileClass.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ReadBytes(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::string& fileName, const std::string& bytes) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Each test gets a scratch folder of its own.
class SettingsStore : public testing::Test {
protected:
    void SetUp() override {
        std::string templ = (std::filesystem::temp_directory_path() / "lapwren-ini-XXXXXX").string();
        ASSERT_NE(mkdtemp(templ.data()), nullptr);
        folder_ = templ;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

    IniFileClass LoadText(const std::string& bytes) {
        WriteBytes(Path("Lapwren.ini"), bytes);
        IniFileClass ini;
        ini.Load(Path("Lapwren.ini"));
        return ini;
    }

    std::string folder_;
};

TEST_F(SettingsStore, AMissingFileGivesDefaultsAndIsNeverCreated) {
    IniFileClass ini;
    ini.Load(Path("Lapwren.ini"));
    EXPECT_EQ(ini.fileName, "");
    EXPECT_EQ(ini.GetString("Misc", "Key", "dflt"), "dflt");
    EXPECT_EQ(ini.GetInt("Misc", "Key", 7), 7);
    EXPECT_EQ(ini.GetDouble("Misc", "Key", 1.5), 1.5);
    EXPECT_EQ(ini.GetChar("Misc", "Key", 'H'), 'H');
    ini.SetString("Misc", "Key", "value");
    ini.Save();
    EXPECT_FALSE(std::filesystem::exists(Path("Lapwren.ini")));
    EXPECT_TRUE(std::filesystem::is_empty(folder_));
    EXPECT_EQ(ini.GetString("Misc", "Key", "dflt"), "value");
}

TEST_F(SettingsStore, AnEmptyNameLoadsNothingAndSavesNothing) {
    IniFileClass ini;
    ini.SetInt("Misc", "A", 1);
    ini.Load("");
    EXPECT_TRUE(ini.sections.empty());
    ini.SetInt("Misc", "A", 1);
    ini.Save();
    EXPECT_TRUE(std::filesystem::is_empty(folder_));
}

TEST_F(SettingsStore, AFolderIsNotASettingsFile) {
    IniFileClass ini;
    ini.Load(folder_);
    EXPECT_EQ(ini.fileName, "");
    EXPECT_TRUE(ini.sections.empty());
}

TEST_F(SettingsStore, AnEmptyFileBecomesTheOneSectionAndAnEmptyLine) {
    IniFileClass ini = LoadText("");
    EXPECT_EQ(ini.fileName, Path("Lapwren.ini"));
    ini.SetString("Misc", "UseBGRFormat", "Y");
    ini.Save();
    EXPECT_EQ(ReadBytes(Path("Lapwren.ini")), "[Misc]\r\nUseBGRFormat=Y\r\n\r\n");
}

TEST_F(SettingsStore, SavesSortedWithEntriesBeforeAnyHeaderUnderNone) {
    IniFileClass ini = LoadText("Top=5\r\n[Window]\r\nLeft=3\r\n[Misc]\r\nUseBGRFormat=Y\r\n");
    EXPECT_EQ(ini.GetInt("none", "Top", 0), 5);
    ini.Save();
    EXPECT_EQ(ReadBytes(Path("Lapwren.ini")),
              "[Misc]\r\nUseBGRFormat=Y\r\n\r\n[Window]\r\nLeft=3\r\n\r\n[none]\r\nTop=5\r\n\r\n");
}

TEST_F(SettingsStore, SavesSectionsAndKeysInByteOrder) {
    IniFileClass ini = LoadText("");
    for (const char* section : {"none", "Window", "Misc", "Layout", "Keys"}) {
        ini.SetString(section, "K", "v");
    }
    ini.SetString("Counters", "C2Desc", "Deaths");
    ini.SetString("Counters", "C1Hotkey", "Ctrl+1");
    ini.SetString("Counters", "C1Desc", "Jumps");
    ini.SetString("Counters", "C10Desc", "Falls");
    ini.SetString("Counters", "c0", "lower case after upper");
    ini.Save();
    EXPECT_EQ(ReadBytes(Path("Lapwren.ini")),
              "[Counters]\r\nC10Desc=Falls\r\nC1Desc=Jumps\r\nC1Hotkey=Ctrl+1\r\nC2Desc=Deaths\r\n"
              "c0=lower case after upper\r\n\r\n"
              "[Keys]\r\nK=v\r\n\r\n[Layout]\r\nK=v\r\n\r\n[Misc]\r\nK=v\r\n\r\n[Window]\r\nK=v\r\n\r\n"
              "[none]\r\nK=v\r\n\r\n");
}

TEST_F(SettingsStore, SaveDropsCommentsRepeatsAndOrderButKeepsEveryValue) {
    IniFileClass ini =
        LoadText("; a comment\r\n[Misc]\r\nB=1\r\nA=2\r\n\r\n[Keys]\r\nX=\r\n[Misc]\r\nB=3\r\n");
    ini.Save();
    EXPECT_EQ(ReadBytes(Path("Lapwren.ini")), "[Keys]\r\nX=\r\n\r\n[Misc]\r\nA=2\r\nB=3\r\n\r\n");
    IniFileClass again;
    again.Load(Path("Lapwren.ini"));
    EXPECT_EQ(again.sections, ini.sections);
}

// A game code from a server reply could otherwise add a section and move the entries after it.
TEST_F(SettingsStore, SaveWritesLineBreaksCtrlZAndNulInsideEntriesAsSpaces) {
    IniFileClass ini = LoadText("[Settings]\r\nPassword=pw\r\n");
    ini.SetString("Settings", "GameCode", "g1\r\n[ServerList]\r\nevil.example=x");
    ini.SetString("Settings", "Ctrl\x1aZ", std::string("a\0b", 3));
    ini.SetString("Sec\ntion", "K\rey", "v");
    ini.Save();
    EXPECT_EQ(ReadBytes(Path("Lapwren.ini")),
              "[Sec tion]\r\nK ey=v\r\n\r\n"
              "[Settings]\r\nCtrl Z=a b\r\nGameCode=g1  [ServerList]  evil.example=x\r\nPassword=pw\r\n\r\n");
}

struct EntryCase {
    const char* name;
    std::string fileText;
    std::string section;
    std::string key;
    const char* value; // nullptr: not found
};

void PrintTo(const EntryCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsSyntax : public SettingsStore, public testing::WithParamInterface<EntryCase> {};

TEST_P(SettingsSyntax, StoresEntriesExactlyAsWritten) {
    const auto& c = GetParam();
    IniFileClass ini = LoadText(c.fileText);
    const std::string got = ini.GetString(c.section, c.key, "<missing>");
    EXPECT_EQ(got, c.value == nullptr ? "<missing>" : c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, SettingsSyntax,
    testing::Values(EntryCase{"EmptyValue", "[Misc]\nkey=\n", "Misc", "key", ""},
                    EntryCase{"ValueKeepsFurtherEquals", "[Misc]\na=b=c\n", "Misc", "a", "b=c"},
                    EntryCase{"EmptyKey", "[Misc]\n=x\n", "Misc", "", "x"},
                    EntryCase{"LoneEqualsIsIgnored", "[Misc]\n=\n", "Misc", "", nullptr},
                    EntryCase{"OneCharacterLinesAreIgnored", "[Misc]\nx\n", "Misc", "x", nullptr},
                    EntryCase{"LeadingBlankIsPartOfTheKey", "[Misc]\n Left=3\n", "Misc", "Left", nullptr},
                    EntryCase{"BlankAroundEqualsKept", "[Misc]\nTop = 5\n", "Misc", "Top ", " 5"},
                    EntryCase{"KeysAreCaseSensitive", "[Window]\nleft=3\n", "Window", "Left", nullptr},
                    EntryCase{"SectionsAreCaseSensitive", "[window]\nLeft=3\n", "Window", "Left", nullptr},
                    EntryCase{"HeaderKeepsItsBlanks", "[ Misc ]\nA=1\n", " Misc ", "A", "1"},
                    EntryCase{"EmptySectionName", "[]\nA=1\n", "", "A", "1"},
                    EntryCase{"HeaderMayHoldBrackets", "[a]b]\nA=1\n", "a]b", "A", "1"},
                    EntryCase{"HeaderWithEqualsIsAHeader", "[a=b]\nA=1\n", "a=b", "A", "1"},
                    EntryCase{"UnclosedHeaderWithEqualsIsAnEntry", "[a=b\n", "none", "[a", "b"},
                    EntryCase{"SemicolonIsNotAComment", "[Misc]\n; a=b\n", "Misc", "; a", "b"},
                    EntryCase{"RepeatedHeaderContinuesTheSection", "[Misc]\nA=1\n[Keys]\nB=2\n[Misc]\nA=3\n",
                              "Misc", "A", "3"},
                    EntryCase{"LastRepeatedKeyWins", "[Misc]\nA=1\nA=2\n", "Misc", "A", "2"},
                    EntryCase{"BeforeAnyHeaderIsNone", "A=1\n[Misc]\n", "none", "A", "1"},
                    EntryCase{"CrOnlyLineEnds", "[Misc]\rA=1\rB=2\r", "Misc", "B", "2"},
                    EntryCase{"LfOnlyLineEnds", "[Misc]\nA=1\nB=2\n", "Misc", "B", "2"},
                    EntryCase{"BlankLinesVanish", "\r\n\r\n[Misc]\r\n\r\n\n\rA=1\r\n\r\n", "Misc", "A", "1"},
                    // A Ctrl-Z ends the text only where it ends the file; elsewhere it is a byte
                    // like any other, as a NUL is, and the lines after it are read.
                    EntryCase{"CtrlZAtTheEndEndsTheText", "[Misc]\r\nA=1\x1A\r\n", "Misc", "A", "1"},
                    EntryCase{"LinesAfterACtrlZAreRead", "[Misc]\r\n\x1A\r\n[Window]\r\nMaxHeight=5\r\n",
                              "Window", "MaxHeight", "5"},
                    EntryCase{"LinesAfterANulAreRead", std::string("[Misc]\r\nA=1\0junk\r\nB=2\r\n", 23),
                              "Misc", "B", "2"},
                    // Files from elsewhere: a byte order mark is no part of the first section,
                    // and NULs that a power cut left at the end are no part of the last value.
                    EntryCase{"ByteOrderMarkIsSkipped", "\xEF\xBB\xBF[Keys]\r\nStart=Space\r\n", "Keys",
                              "Start", "Space"},
                    EntryCase{"NulsAtTheEndEndTheText", std::string("[Misc]\r\nA=1\0\0\0", 14), "Misc", "A",
                              "1"},
                    EntryCase{"EightBitBytesKept", "[M\xe9]\n\xff=\x80\n", "M\xe9", "\xff", "\x80"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsStore, AHeaderAloneCreatesNoSection) {
    IniFileClass ini = LoadText("[Empty]\r\n[Misc]\r\nA=1\r\n");
    EXPECT_EQ(ini.sections.count("Empty"), 0u);
    ini.Save();
    EXPECT_EQ(ReadBytes(Path("Lapwren.ini")), "[Misc]\r\nA=1\r\n\r\n");
}

TEST_F(SettingsStore, TypedGettersReadLenientlyAndFallBackOnlyWhenMissing) {
    IniFileClass ini = LoadText("[Misc]\nEmpty=\nNum=12abc\nNeg= -15\nDbl=0.25\nWord=abc\nBig=99999999999\n");
    EXPECT_EQ(ini.GetInt("Misc", "Num", 7), 12);
    EXPECT_EQ(ini.GetInt("Misc", "Neg", 7), -15);
    EXPECT_EQ(ini.GetInt("Misc", "Empty", 7), 0);
    EXPECT_EQ(ini.GetInt("Misc", "Word", 7), 0);
    EXPECT_EQ(ini.GetInt("Misc", "Big", 7), static_cast<int>(99999999999LL & 0xFFFFFFFF));
    EXPECT_EQ(ini.GetInt("Misc", "Missing", 7), 7);
    EXPECT_EQ(ini.GetInt("Other", "Num", 7), 7);
    EXPECT_EQ(ini.GetDouble("Misc", "Dbl", 9.0), 0.25);
    EXPECT_EQ(ini.GetDouble("Misc", "Num", 9.0), 12.0);
    EXPECT_EQ(ini.GetDouble("Misc", "Word", 9.0), 0.0);
    EXPECT_EQ(ini.GetDouble("Misc", "Empty", 9.0), 0.0);
    EXPECT_EQ(ini.GetDouble("Misc", "Missing", 9.0), 9.0);
    EXPECT_EQ(ini.GetChar("Misc", "Word", 'M'), 'a');
    EXPECT_EQ(ini.GetChar("Misc", "Empty", 'M'), 'M');
    EXPECT_EQ(ini.GetString("Misc", "Empty", "dflt"), "");
}

// What atof would also read as an infinity, a NaN or a hexadecimal number is no number here: a
// hand-edited DoubleKeyWaitSec=inf would otherwise lock out every split key for good.
TEST_F(SettingsStore, DecimalsAreReadAsFiniteDecimalNumbersOnly) {
    const struct {
        const char* text;
        double value;
    } cases[] = {{"inf", 0.0},    {"-INFINITY", 0.0}, {"nan", 0.0}, {"0x10", 0.0}, {"1e999", 0.0},
                 {"-1e999", 0.0}, {" 2.5e1s", 25.0},  {".5", 0.5},  {"-3.", -3.0}, {"+1E-2", 0.01},
                 {"7e", 7.0},     {"1.5e+", 1.5},     {"-", 0.0},   {".", 0.0},    {"\t0.75", 0.75}};
    std::string text = "[Misc]\n";
    for (size_t i = 0; i < std::size(cases); ++i) {
        text += "K" + std::to_string(i) + "=" + cases[i].text + "\n";
    }
    IniFileClass ini = LoadText(text);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(ini.GetDouble("Misc", "K" + std::to_string(i), 9.0), cases[i].value) << cases[i].text;
    }
}

TEST_F(SettingsStore, GettersNeverCreateSectionsOrKeys) {
    IniFileClass ini = LoadText("[Misc]\nA=1\n");
    EXPECT_TRUE(ini.GetSection("Missing").empty());
    ini.GetString("Misc", "B", "");
    ini.GetInt("Other", "B", 0);
    EXPECT_EQ(ini.sections.size(), 1u);
    EXPECT_EQ(ini.sections["Misc"].size(), 1u);
    ini.Save();
    EXPECT_EQ(ReadBytes(Path("Lapwren.ini")), "[Misc]\r\nA=1\r\n\r\n");
    IniFileClass::Section misc = ini.GetSection("Misc");
    misc["B"] = "copy";
    EXPECT_EQ(ini.sections["Misc"].count("B"), 0u);
}

TEST_F(SettingsStore, SettersStoreTheTextsOfTheirKinds) {
    IniFileClass ini;
    ini.SetDouble("Misc", "Quarter", 0.25);
    ini.SetDouble("Misc", "Ten", 10);
    ini.SetDouble("Misc", "Negative", -1.5);
    ini.SetDouble("Misc", "TwentyNine", 0.29);
    ini.SetDouble("Misc", "Huge", 1e30);
    ini.SetInt("Misc", "Int", -7);
    ini.SetInt("Misc", "Hundred", 100);
    ini.SetChar("Misc", "Char", 'M');
    ini.SetString("Misc", "Text", " as typed ");
    const IniFileClass::Section misc = ini.GetSection("Misc");
    EXPECT_EQ(misc.at("Quarter"), "0.250000");
    EXPECT_EQ(misc.at("Ten"), "10.000000");
    EXPECT_EQ(misc.at("Negative"), "-1.500000");
    EXPECT_EQ(misc.at("TwentyNine"), "0.290000");
    EXPECT_EQ(misc.at("Huge"), "1000000000000000019884624838656.000000");
    EXPECT_EQ(misc.at("Int"), "-7");
    EXPECT_EQ(misc.at("Hundred"), "100");
    EXPECT_EQ(misc.at("Char"), "M");
    EXPECT_EQ(misc.at("Text"), " as typed ");
    ini.SetInt("Misc", "Int", 3);
    EXPECT_EQ(ini.GetInt("Misc", "Int", 0), 3);
}

TEST_F(SettingsStore, LoadReplacesEverythingHeld) {
    WriteBytes(Path("a.ini"), "[A]\nx=1\n");
    WriteBytes(Path("b.ini"), "[B]\ny=2\n");
    IniFileClass ini;
    ini.Load(Path("a.ini"));
    ini.SetInt("Extra", "z", 3);
    ini.Load(Path("b.ini"));
    EXPECT_EQ(ini.sections.size(), 1u);
    EXPECT_EQ(ini.GetInt("B", "y", 0), 2);
    EXPECT_EQ(ini.fileName, Path("b.ini"));
}

TEST_F(SettingsStore, SaveReplacesTheFileWholeAndKeepsItsPermissions) {
    IniFileClass ini = LoadText("[Misc]\r\nLongOldKey=a value longer than what follows\r\n");
    ASSERT_EQ(chmod(Path("Lapwren.ini").c_str(), 0600), 0);
    ini.sections.clear();
    ini.SetString("Misc", "A", "1");
    ini.Save();
    EXPECT_EQ(ReadBytes(Path("Lapwren.ini")), "[Misc]\r\nA=1\r\n\r\n");
    struct stat st {};
    ASSERT_EQ(stat(Path("Lapwren.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    std::size_t entries = 0;
    for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(folder_)) {
        ++entries;
    }
    EXPECT_EQ(entries, 1u) << "no temporary file is left beside the settings";
}

TEST_F(SettingsStore, SaveWritesThroughASymbolicLink) {
    WriteBytes(Path("real.ini"), "[Misc]\nA=1\n");
    ASSERT_EQ(symlink("real.ini", Path("Lapwren.ini").c_str()), 0);
    IniFileClass ini;
    ini.Load(Path("Lapwren.ini"));
    ini.SetInt("Misc", "A", 2);
    ini.Save();
    EXPECT_TRUE(std::filesystem::is_symlink(Path("Lapwren.ini")));
    EXPECT_EQ(ReadBytes(Path("real.ini")), "[Misc]\r\nA=2\r\n\r\n");
}

struct CutCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

void PrintTo(const CutCase& c, std::ostream* os) {
    *os << c.name;
}

class SettingsLineCutting : public testing::TestWithParam<CutCase> {};

TEST_P(SettingsLineCutting, DropsRunsOfLineEnds) {
    std::vector<std::string> lines = {"stale"};
    IniFileClass::SplitIniLines(GetParam().text, lines);
    EXPECT_EQ(lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Texts, SettingsLineCutting,
                         testing::Values(CutCase{"Empty", "", {}}, CutCase{"NoLineEnd", "a", {"a"}},
                                         CutCase{"FinalLineEndAddsNothing", "a\n", {"a"}},
                                         CutCase{"RunsGiveNoEmptyLines", "a\r\n\r\n\n\rb", {"a", "b"}},
                                         CutCase{"LeadingLineEndGivesOneEmptyLine", "\r\na", {"", "a"}},
                                         CutCase{"OnlyLineEnds", "\n\n", {""}},
                                         CutCase{"LoneCr", "a\rb", {"a", "b"}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
