#include "tests/ui/support/MainWindowFixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QImage>
#include <QMenu>

#include "core/TimeText.h"
#include "platform/forms/Application.h"
#include "platform/forms/Menus.h"
#include "platform/runtime/Clock.h"
#include "platform/runtime/ProgramPath.h"
#include "ui/ColorSettingsUnit.h"
#include "ui/LabelFontUnit.h"
#include "ui/RadioSettingsUnit.h"
#include "ui/SplitHistoryUnit.h"
#include "ui/TextSettingsUnit.h"
#include "upload/UploadSplitsUnit.h"

namespace fs = std::filesystem;

void MainWindowTest::SetUp() {
    // A folder name with a blank: the program must look beside itself, not in the working folder.
    std::string pattern = (fs::temp_directory_path() / "lapwren ui XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    Dir = pattern + "/";
    rt::SetProgramDirectoryForTests(Dir);
    rt::SetTestMonotonicClock(1'000'000'000);
    rt::SetTestWallClock(1'700'000'000'000'000);
}

void MainWindowTest::TearDown() {
    DeleteForms();
    rt::UseSystemClocks();
    std::error_code ignored;
    fs::remove_all(Dir, ignored);
}

void MainWindowTest::DeleteForms() {
    if (Form != nullptr && !closed_)
        CloseWindow();
    delete Form;
    Form = nullptr;
    MainForm = nullptr;
    delete UploadSplitsForm;
    UploadSplitsForm = nullptr;
    delete SplitHistoryForm;
    SplitHistoryForm = nullptr;
}

void MainWindowTest::WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(Dir + name, std::ios::binary);
    out << bytes;
}

void MainWindowTest::WriteTextFile(const std::string& name, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    WriteFile(name, text);
}

std::string MainWindowTest::ReadFile(const std::string& name) const {
    std::ifstream in(Dir + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool MainWindowTest::FileExistsInDir(const std::string& name) const {
    return fs::exists(Dir + name);
}

std::string MainWindowTest::WriteSplitFile(const std::string& name, const std::string& title,
                                           const std::vector<std::string>& comparisons,
                                           const std::vector<SplitRowSpec>& rows,
                                           const std::string& titleImage) {
    std::vector<std::string> lines;
    lines.push_back("3\t0.00\t" + titleImage);
    std::string header = title + "\tBest Splits";
    for (const std::string& comparison : comparisons)
        header += "\t" + comparison;
    lines.push_back(header);
    for (const SplitRowSpec& row : rows) {
        std::string a = row.title;
        for (size_t c = 0; c <= comparisons.size(); ++c)
            a += "\t" + (c < row.times.size() ? row.times[c] : std::string("0.00"));
        lines.push_back(a);
        std::string b = (row.hideable ? "H|" : "") + row.image;
        for (size_t c = 0; c <= comparisons.size(); ++c)
            b += "\t";
        lines.push_back(b);
    }
    WriteTextFile(name, lines);
    return Dir + name;
}

std::string MainWindowTest::WriteTableFile(const std::string& name, int rows, int columns) {
    std::vector<std::string> comparisons;
    for (int c = 1; c < columns - 1; ++c)
        comparisons.push_back("Run " + std::to_string(c));
    std::vector<SplitRowSpec> specs;
    for (int r = 0; r < rows; ++r) {
        SplitRowSpec row("Split " + std::to_string(r + 1));
        row.times.push_back(FormatTime(3000, true, false, 'H'));
        for (int c = 1; c < columns - 1; ++c)
            row.times.push_back(FormatTime((r + 1) * (3000 + 10 * c), true, false, 'H'));
        specs.push_back(row);
    }
    return WriteSplitFile(name, "Table", comparisons, specs);
}

void MainWindowTest::WritePicture(const std::string& name, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    const bool jpeg = name.size() >= 3 && (name.ends_with("jpg") || name.ends_with("JPG"));
    ASSERT_TRUE(image.save(QString::fromStdString(Dir + name), jpeg ? "JPG" : "BMP"));
}

void MainWindowTest::StartWindow() {
    // Not the application's main form: closing it must not end the program (Qt's event loops
    // would all return at once for the rest of the test run).
    MainForm = new TMainForm(nullptr);
    Form = MainForm;
    SplitHistoryForm = new TSplitHistoryForm(nullptr);
    UploadSplitsForm = new TUploadSplitsForm(nullptr);
    closed_ = false;
    Form->Show();
    if (!Form->StartupDone)
        Form->FormActivate(Form);
}

void MainWindowTest::CreateSettingDialogs() {
    LabelFontForm = new TLabelFontForm(nullptr);
    TextSettingsForm = new TTextSettingsForm(nullptr);
    ColorSettingsForm = new TColorSettingsForm(nullptr);
    RadioSettingsForm = new TRadioSettingsForm(nullptr);
}

void MainWindowTest::DeleteSettingDialogs() {
    delete LabelFontForm;
    LabelFontForm = nullptr;
    delete TextSettingsForm;
    TextSettingsForm = nullptr;
    delete ColorSettingsForm;
    ColorSettingsForm = nullptr;
    delete RadioSettingsForm;
    RadioSettingsForm = nullptr;
}

void MainWindowTest::LoadTable(const std::string& path) {
    Form->DestroySplitTable();
    Form->SplitData->LoadSplitFile(path);
    Form->ShowOpenedSplits();
}

void MainWindowTest::CloseWindow() {
    closed_ = true;
    Form->Close();
}

TPopupMenu* OpenPopup(TControl* element) {
    if (element == nullptr)
        return nullptr;
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(1, 1), QPoint(10, 10));
    QCoreApplication::sendEvent(element->Widget(), &click);
    TPopupMenu* menu = element->PopupMenu();
    if (menu != nullptr && menu->OpenMenu() != nullptr)
        menu->OpenMenu()->hide();
    return menu;
}

std::vector<std::string> MainWindowTest::Captions(const TMenuItem* parent) {
    std::vector<std::string> captions;
    for (int i = 0; i < parent->Count(); ++i)
        captions.push_back(parent->Items(i)->Caption());
    return captions;
}

std::vector<std::string> MainWindowTest::Captions(const TPopupMenu* menu) {
    return Captions(menu->Items());
}

TMenuItem* MainWindowTest::FindItem(const TMenuItem* parent, const std::string& caption) {
    for (int i = 0; i < parent->Count(); ++i)
        if (parent->Items(i)->Caption() == caption)
            return parent->Items(i);
    return nullptr;
}

TMenuItem* MainWindowTest::FindItem(const TPopupMenu* menu, const std::string& caption) {
    return FindItem(menu->Items(), caption);
}
