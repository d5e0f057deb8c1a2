#pragma once
// A test fixture that runs the real main window in a program folder of its own: it writes
// "Lapwren.ini" and split files there, creates the forms as the program does, activates the main
// window (the one-time start-up), and tears everything down again. The clocks are test clocks,
// so nothing in a test waits for real time.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ui/MainUnit.h"

class TControl;
class TLabel;
class TPopupMenu;

// Opens the element's popup menu as a right click on it does, and closes it again: the menu then
// holds the items that element offers, and they act on it. Null for an element without a menu.
TPopupMenu* OpenPopup(TControl* element);

// One row of a split file made by WriteSplitFile.
struct SplitRowSpec {
    SplitRowSpec() = default;
    SplitRowSpec(std::string title_, std::vector<std::string> times_ = {}, bool hideable_ = false,
                 std::string image_ = "")
        : title(std::move(title_)), times(std::move(times_)), hideable(hideable_), image(std::move(image_)) {}

    std::string title;
    std::vector<std::string> times; // best segment, then each comparison's cumulative time
    bool hideable = false;
    std::string image;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The program folder, ending with '/'. A name with a blank keeps the tests honest about paths.
    std::string Dir;

    // Writes the bytes as they are.
    void WriteFile(const std::string& name, const std::string& bytes);
    // Writes the lines with CR LF line ends.
    void WriteTextFile(const std::string& name, const std::vector<std::string>& lines);
    std::string ReadFile(const std::string& name) const;
    bool FileExistsInDir(const std::string& name) const;
    // "Lapwren.ini" with the given lines.
    void WriteSettings(const std::vector<std::string>& lines) { WriteTextFile("Lapwren.ini", lines); }
    // A split file of the given rows; comparisons names the comparison columns (0 or more).
    std::string WriteSplitFile(const std::string& name, const std::string& title,
                               const std::vector<std::string>& comparisons,
                               const std::vector<SplitRowSpec>& rows, const std::string& titleImage = "");
    // A split file of rows x columns (columns counts the best and the current-run column, at
    // least 2), every row titled "Split <n>" with growing times.
    std::string WriteTableFile(const std::string& name, int rows, int columns);
    // A small picture (BMP, or JPEG when the name ends in jpg) of the given size.
    void WritePicture(const std::string& name, int width, int height);

    // Creates the forms in the program's order and activates the main window.
    void StartWindow();
    // Opens a split file the way "Open Splits" does after its dialog: loads it, then builds and
    // lays out its table through the window's own tail of the command.
    void LoadTable(const std::string& path);
    // Closes the main window as the user would.
    void CloseWindow();
    // Closes the main window unless it is closed already, then frees every form.
    void DeleteForms();
    // The setting dialogs that the look popups place and show (font, texts, colours, choices),
    // created as the program creates them, and freed again.
    static void CreateSettingDialogs();
    static void DeleteSettingDialogs();

    TMainForm* Form = nullptr;

    // Helpers to look at menus.
    static std::vector<std::string> Captions(const TMenuItem* parent);
    static std::vector<std::string> Captions(const TPopupMenu* menu);
    static TMenuItem* FindItem(const TMenuItem* parent, const std::string& caption);
    static TMenuItem* FindItem(const TPopupMenu* menu, const std::string& caption);

private:
    bool closed_ = false;
};
