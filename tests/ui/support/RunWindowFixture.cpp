#include "RunWindowFixture.h"

#include <fstream>
#include <sstream>
#include <vector>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/ShortCuts.h"
#include "platform/forms/TestSeams.h"
#include "platform/forms/Timer.h"
#include "platform/runtime/Clock.h"

namespace {

std::vector<std::string> ExampleSettingLines() {
    std::ifstream in(std::string(LAPWREN_TEST_DATA) + "/../../examples/Lapwren.ini", std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

} // namespace

void RunWindowTest::StartExample(const Overrides& overrides) {
    std::vector<std::string> lines = ExampleSettingLines();
    ASSERT_FALSE(lines.empty()) << "examples/Lapwren.ini is missing";
    for (const auto& [path, value] : overrides) {
        const std::string section = "[" + path.substr(0, path.find('/')) + "]";
        const std::string key = path.substr(path.find('/') + 1);
        auto at = std::find(lines.begin(), lines.end(), section);
        if (at == lines.end()) {
            lines.push_back(section);
            at = lines.end() - 1;
        }
        auto end = std::find_if(at + 1, lines.end(), [](const std::string& l) { return l.starts_with("["); });
        auto existing =
            std::find_if(at + 1, end, [&](const std::string& l) { return l.starts_with(key + "="); });
        if (existing != end)
            *existing = key + "=" + value;
        else
            lines.insert(at + 1, key + "=" + value);
    }
    WriteSettings(lines);
    StartWindow();
    Form->DisplayTimer->SetEnabled(false);
}

void RunWindowTest::OpenWithKeys(const std::string& path) {
    ScopedOpenDialogHandler dialog([path](TOpenDialog&) { return std::optional<std::string>(path); });
    Press("Ctrl+O");
}

void RunWindowTest::Press(const std::string& key) {
    const TShortCut shortCut = TextToShortCut(key);
    ASSERT_NE(shortCut, 0) << key;
    const QKeyCombination combination = ShortCutToKeySequence(shortCut)[0];
    QString text;
    if ((shortCut & (scCtrl | scAlt)) == 0) {
        const int code = shortCut & 0xFF;
        if (code == 32 || (code >= '0' && code <= '9'))
            text = QChar(code);
        else if (code >= 'A' && code <= 'Z')
            text = QChar((shortCut & scShift) != 0 ? code : code + 32);
        else if (code == 8)
            text = QChar(8);
    }
    QKeyEvent press(QEvent::KeyPress, combination.key(), combination.keyboardModifiers(), text);
    QCoreApplication::sendEvent(Form->Widget(), &press);
    QKeyEvent release(QEvent::KeyRelease, combination.key(), combination.keyboardModifiers(), text);
    QCoreApplication::sendEvent(Form->Widget(), &release);
}

void RunWindowTest::Advance(double seconds) {
    rt::AdvanceTestClocks(static_cast<int64_t>(seconds * 1'000'000 + 0.5));
}

void RunWindowTest::Tick() {
    Form->DisplayTimerTimer(Form->DisplayTimer);
}

std::string RunWindowTest::TimerText() const {
    return Form->TimerLabel->Caption();
}
TColor RunWindowTest::TimerColor() const {
    return Form->TimerLabel->Font().Color();
}
std::string RunWindowTest::StatusText() const {
    return Form->TimerDiffLabel->Caption();
}
TColor RunWindowTest::StatusColor() const {
    return Form->TimerDiffLabel->Font().Color();
}
std::string RunWindowTest::TimeText(size_t row, size_t column) const {
    return Form->SplitData->GetCellTimeLabel(row, column)->Caption();
}
std::string RunWindowTest::DiffText(size_t row, size_t column) const {
    return Form->SplitData->GetCellDiffLabel(row, column)->Caption();
}
TColor RunWindowTest::TimeColor(size_t row, size_t column) const {
    return Form->SplitData->GetCellTimeLabel(row, column)->Font().Color();
}
TColor RunWindowTest::DiffColor(size_t row, size_t column) const {
    return Form->SplitData->GetCellDiffLabel(row, column)->Font().Color();
}
TColor RunWindowTest::RowHeaderColor(size_t row) const {
    return Form->SplitData->GetRowLabel(row)->Font().Color();
}
std::string RunWindowTest::CounterCaption(int index) const {
    return Form->CountersMenu->Items(index)->Caption();
}
