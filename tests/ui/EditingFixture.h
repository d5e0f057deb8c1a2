#pragma once
// The window fixture of the in-place edit tests: the main window with a split file of four rows
// and two comparison columns open, the two dialogs the edits use, a user who fills those dialogs
// through the modal seam as a person would (typing into the focused edit), and readers for the
// split file on disk.

#include <cctype>
#include <functional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/Memo.h"
#include "platform/forms/Menus.h"
#include "platform/forms/TestSeams.h"
#include "tests/ui/support/MainWindowFixture.h"
#include "ui/SetDataUnit.h"
#include "ui/TextSettingsUnit.h"

namespace editing {

// A key as the keyboard sends it: the press with its character, then the release.
inline void SendKey(QWidget* target, int qtKey, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

// Types the text key by key: letters, digits, blanks, ':', '.', '-', tab and line breaks.
inline void Type(QWidget* target, const std::string& text) {
    for (char c : text) {
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        int key = Qt::Key_unknown;
        QString typed = QString(QChar(c));
        if (upper >= 'A' && upper <= 'Z')
            key = Qt::Key_A + (upper - 'A');
        else if (c >= '0' && c <= '9')
            key = Qt::Key_0 + (c - '0');
        else if (c == ':')
            key = Qt::Key_Colon;
        else if (c == '.')
            key = Qt::Key_Period;
        else if (c == '-')
            key = Qt::Key_Minus;
        else if (c == ' ')
            key = Qt::Key_Space;
        else if (c == '\t')
            key = Qt::Key_Tab;
        else if (c == '\n') {
            key = Qt::Key_Return;
            typed = QString(QChar('\r'));
        }
        SendKey(target, key, typed);
    }
}

// Replaces the text of a one-line edit as a user does: select it all, type over it.
inline void TypeOver(TEdit* edit, const std::string& text) {
    edit->LineEdit()->setFocus();
    edit->LineEdit()->selectAll();
    if (text.empty())
        SendKey(edit->LineEdit(), Qt::Key_Delete, QString());
    else
        Type(edit->LineEdit(), text);
}

inline void TypeOver(TMemo* memo, const std::string& text) {
    memo->TextEdit()->setFocus();
    memo->TextEdit()->selectAll();
    Type(memo->TextEdit(), text);
}

// Escape, the way a user closes a small dialog.
inline void PressEscape(TForm& form) {
    QWidget* focus = form.Widget()->window()->focusWidget();
    SendKey(focus ? focus : form.Widget(), Qt::Key_Escape, QString(QChar(27)));
}

} // namespace editing

// What a dialog showed when it opened.
struct Shown {
    int count = 0;
    int left = 0;
    int top = 0;
    std::string caption;  // TimeDescLabel, or the first entry's label
    std::string text;     // TimeEdit, or the first entry's edit
    std::string notes;    // NotesMemo
    std::string caption2; // the second entry's label
    std::string text2;    // the second entry's edit
    int entryCount = 0;
};

class EditingTest : public MainWindowTest {
protected:
    void TearDown() override {
        MainWindowTest::TearDown();
        if (ownSetData_) {
            delete SetDataForm;
            SetDataForm = nullptr;
        }
        if (ownTextSettings_) {
            delete TextSettingsForm;
            TextSettingsForm = nullptr;
        }
    }

    // Starts the window with the dialogs of the edits (unless the program's forms exist).
    void Start() {
        StartWindow();
        if (SetDataForm == nullptr) {
            SetDataForm = new TSetDataForm(nullptr);
            ownSetData_ = true;
        }
        if (TextSettingsForm == nullptr) {
            TextSettingsForm = new TTextSettingsForm(nullptr);
            ownTextSettings_ = true;
        }
    }

    // The game: columns Best Splits, PB, Last, Current; rows Forest, Cave, Castle, Tower. Last
    // has no time in Cave. Best times 30, 70, 120, 140 seconds.
    std::string WriteGame() {
        return WriteSplitFile("game.txt", "Game", {"PB", "Last"},
                              {{"Forest", {"30.00", "31.00", "32.00"}},
                               {"Cave", {"40.00", "1:12.00", "0.00"}},
                               {"Castle", {"50.00", "2:03.00", "2:10.00"}},
                               {"Tower", {"20.00", "2:25.00", "2:31.00"}}});
    }
    // The game as the program writes it.
    static std::string GameBytes() {
        return "3\t0.00\t\r\n"
               "Game\tBest Splits\tPB\tLast\r\n"
               "Forest\t30.00\t31.00\t32.00\r\n\t\t\t\r\n"
               "Cave\t40.00\t1:12.00\t0.00\r\n\t\t\t\r\n"
               "Castle\t50.00\t2:03.00\t2:10.00\r\n\t\t\t\r\n"
               "Tower\t20.00\t2:25.00\t2:31.00\r\n\t\t\t\r\n";
    }
    void StartGame() {
        Start();
        LoadTable(WriteGame());
        ASSERT_TRUE(Form->SplitData->HasFile());
    }

    // The split file's lines (CR LF ends).
    std::vector<std::string> GameLines() const {
        std::vector<std::string> lines;
        const std::string bytes = ReadFile("game.txt");
        size_t start = 0;
        for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2)
            lines.push_back(bytes.substr(start, end - start));
        return lines;
    }

    // Shows whatever dialog the handler opens to a user who reads it and then acts; returns what
    // it showed (count 0 when nothing was shown).
    Shown Answer(const std::function<void()>& handler, const std::function<void(TForm&)>& user = nullptr) {
        Shown shown;
        ScopedModalHandler seam([&](TForm& form) {
            ++shown.count;
            shown.left = form.Left();
            shown.top = form.Top();
            if (&form == SetDataForm) {
                shown.caption = SetDataForm->TimeDescLabel->Caption();
                shown.text = SetDataForm->TimeEdit->Text();
                shown.notes = SetDataForm->NotesMemo->Text();
            } else if (&form == TextSettingsForm) {
                shown.entryCount = TextSettingsForm->EntryCount;
                shown.caption = TextSettingsForm->Entry1Label->Caption();
                shown.text = TextSettingsForm->Entry1Edit->Text();
                shown.caption2 = TextSettingsForm->Entry2Label->Caption();
                shown.text2 = TextSettingsForm->Entry2Edit->Text();
            }
            if (user)
                user(form);
            editing::PressEscape(form);
            return mrNone;
        });
        handler();
        return shown;
    }

    // Double-clicks a cell's time label.
    Shown EditCell(size_t row, size_t column, const std::function<void(TForm&)>& user = nullptr) {
        TLabel* label = Form->SplitData->GetCellTimeLabel(row, column);
        EXPECT_NE(label, nullptr);
        return Answer([&] { label->OnDblClick(label); }, user);
    }
    // Types a new time and closes the cell dialog.
    Shown TypeTime(size_t row, size_t column, const std::string& time) {
        return EditCell(row, column, [&](TForm&) { editing::TypeOver(SetDataForm->TimeEdit, time); });
    }

    // Clicks an item of an element's popup menu.
    static void ClickItem(TLabel* element, const std::string& caption) {
        ASSERT_NE(element, nullptr);
        TMenuItem* item = FindItem(OpenPopup(element), caption);
        ASSERT_NE(item, nullptr) << caption;
        item->Click();
    }
    TLabel* ColumnHeader(size_t c) const { return Form->SplitData->GetColumnLabel(c); }
    TLabel* RowHeader(size_t r) const { return Form->SplitData->GetRowLabel(r); }

    // Where a dialog goes over a control of the main window.
    int LeftOver(const TControl* element) const {
        return Form->Left() + (Form->Width() - Form->ClientWidth()) + element->Left() - 3;
    }
    int TopOver(const TControl* element) const {
        return Form->Top() + (Form->Height() - Form->ClientHeight()) + element->Top() - 3;
    }

    std::vector<int32_t> ColumnTimes(size_t column) const {
        std::vector<int32_t> times;
        for (size_t r = 0; r < Form->SplitData->GetRowCount(); ++r)
            times.push_back(Form->SplitData->GetCellTime(r, column));
        return times;
    }

private:
    bool ownSetData_ = false;
    bool ownTextSettings_ = false;
};
