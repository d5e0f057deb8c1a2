#pragma once
// A main-window fixture for runs driven from the keyboard: the settings of examples/Lapwren.ini
// (with a test's own keys on top), real key presses on the menu shortcuts, the test clocks moved
// between them, and readers for what the timer, the status line and the table show.

#include "MainWindowFixture.h"

#include <map>
#include <string>

#include "platform/forms/Graphics.h"
#include "platform/forms/Label.h"

class RunWindowTest : public MainWindowTest {
protected:
    // "Section/Key" -> value, laid over examples/Lapwren.ini.
    using Overrides = std::map<std::string, std::string>;

    // Writes the example settings with the overrides and starts the window. The display timer is
    // stopped: the tests tick it themselves, at the test clock's time.
    void StartExample(const Overrides& overrides = {});
    // Opens a split file with the Open Splits shortcut, the dialog answered with the path.
    void OpenWithKeys(const std::string& path);

    // A key press on the main window as the keyboard delivers it, named like the settings do:
    // "Space", "Ctrl+Shift+O", "BkSp", "D"; a single lower-case character types that character.
    void Press(const std::string& key);
    void Advance(double seconds);
    void Tick();

    std::string TimerText() const;
    TColor TimerColor() const;
    std::string StatusText() const;
    TColor StatusColor() const;
    std::string TimeText(size_t row, size_t column) const;
    std::string DiffText(size_t row, size_t column) const;
    TColor TimeColor(size_t row, size_t column) const;
    TColor DiffColor(size_t row, size_t column) const;
    TColor RowHeaderColor(size_t row) const;
    std::string CounterCaption(int index) const;

    // Windows colour values of the default colour texts (0x00BBGGRR).
    static constexpr TColor White = 0xFFFFFF;
    static constexpr TColor AheadSmall = 0x008000;   // "008000"
    static constexpr TColor BehindSmall = 0x000080;  // "800000"
    static constexpr TColor BehindLarge = 0x0000FF;  // "FF0000"
    static constexpr TColor CurrentRow = 0xFF8000;   // "0080FF"
    static constexpr TColor NewBestSplit = 0x00D7FF; // "FFD700"
};
