#pragma once
// The main window with its four setting dialogs, for the tests of the setting popups: the test
// stands in for the user at each modal showing (it notes what the dialog showed and where, types
// over the rows it is given and closes the dialog with Escape), and counts the saves of
// "Lapwren.ini" by watching the program folder for the file being written or renamed into place.

#include <sys/inotify.h>
#include <unistd.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QWidget>
#include <gtest/gtest.h>

#include "core/IniFileClass.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/MediaPlayer.h"
#include "platform/forms/RadioButton.h"
#include "platform/forms/TestSeams.h"
#include "platform/forms/Timer.h"
#include "tests/ui/support/MainWindowFixture.h"
#include "ui/ColorSettingsUnit.h"
#include "ui/LabelFontUnit.h"
#include "ui/RadioSettingsUnit.h"
#include "ui/TextSettingsUnit.h"

// What a dialog showed when it opened.
struct DialogSeen {
    int shows = 0;
    std::string name;
    int left = 0;
    int top = 0;
    int clientHeight = 0;
    // The rows shown: text and colour dialogs give each row's caption and text; the font dialog
    // gives the name, the size and, with its colour row, the colour, captioned "Font Name",
    // "Font Size" and its colour caption.
    std::vector<std::string> captions;
    std::vector<std::string> texts;
    // The radio dialog: the captions of its choices and the checked one (1 to 5, 0 for none).
    int checked = 0;
};

// What the user types over the rows of a dialog, row by row; nullopt leaves a row alone.
using TypedRows = std::vector<std::optional<std::string>>;

class PopupWindowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateSettingDialogs();
    }

    void TearDown() override {
        StopWatching();
        MainWindowTest::TearDown();
        DeleteSettingDialogs();
    }

    // Writes "Lapwren.ini" (none at all when settings is null), starts the window and stops the
    // display timer, so that only the handlers and the tests tick it; then watches for saves.
    void Start(const std::vector<std::string>* settings) {
        if (settings != nullptr)
            WriteSettings(*settings);
        StartWindow();
        Form->DisplayTimer->SetEnabled(false);
        Watch();
    }
    void Start(const std::vector<std::string>& settings) { Start(&settings); }

    // The saves of "Lapwren.ini" since the last call.
    int Saves() {
        int saves = 0;
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t got = read(watch_, buffer, sizeof buffer);
            if (got <= 0)
                break;
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && std::strcmp(event->name, "Lapwren.ini") == 0)
                    ++saves;
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
        return saves;
    }

    // The settings file as the program would read it again.
    IniFileClass SavedSettings() const {
        IniFileClass ini;
        ini.Load(Dir + "Lapwren.ini");
        return ini;
    }

    // Stands in for the user at every modal showing while it lives: notes what the dialog shows,
    // types the rows over its entries or, in the radio dialog, clicks choice click (1 to 5; 0
    // clicks none), then presses Escape.
    static ModalHandler User(TypedRows rows, DialogSeen& seen, int click = 0) {
        return [rows, click, &seen](TForm& form) {
            ++seen.shows;
            seen.name = form.Name();
            seen.left = form.Left();
            seen.top = form.Top();
            seen.clientHeight = form.ClientHeight();
            seen.captions.clear();
            seen.texts.clear();
            std::vector<TEdit*> edits;
            if (auto* text = dynamic_cast<TTextSettingsForm*>(&form)) {
                TLabel* labels[] = {text->Entry1Label, text->Entry2Label, text->Entry3Label,
                                    text->Entry4Label};
                TEdit* rows[] = {text->Entry1Edit, text->Entry2Edit, text->Entry3Edit, text->Entry4Edit};
                for (int i = 0; i < text->EntryCount && i < 4; ++i) {
                    seen.captions.push_back(labels[i]->Caption());
                    edits.push_back(rows[i]);
                }
            } else if (auto* color = dynamic_cast<TColorSettingsForm*>(&form)) {
                TLabel* labels[] = {color->Entry1Label, color->Entry2Label, color->Entry3Label,
                                    color->Entry4Label, color->Entry5Label};
                TEdit* rows[] = {color->Entry1Edit, color->Entry2Edit, color->Entry3Edit, color->Entry4Edit,
                                 color->Entry5Edit};
                for (int i = 0; i < color->EntryCount && i < 5; ++i) {
                    seen.captions.push_back(labels[i]->Caption());
                    edits.push_back(rows[i]);
                }
            } else if (auto* font = dynamic_cast<TLabelFontForm*>(&form)) {
                seen.captions = {"Font Name", "Font Size"};
                edits = {font->FontNameEdit, font->FontSizeEdit};
                if (font->FontColorEdit->Visible()) {
                    seen.captions.push_back(font->FontColorLabel->Caption());
                    edits.push_back(font->FontColorEdit);
                }
            } else if (auto* radio = dynamic_cast<TRadioSettingsForm*>(&form)) {
                TRadioButton* buttons[] = {radio->RadioButton1, radio->RadioButton2, radio->RadioButton3,
                                           radio->RadioButton4, radio->RadioButton5};
                seen.checked = 0;
                for (int i = 0; i < 5; ++i) {
                    if (i < radio->EntryCount)
                        seen.captions.push_back(buttons[i]->Caption());
                    if (buttons[i]->Checked())
                        seen.checked = i + 1;
                }
                if (click > 0)
                    buttons[click - 1]->RadioButton()->click();
            }
            for (TEdit* edit : edits)
                seen.texts.push_back(edit->Text());
            for (size_t i = 0; i < rows.size() && i < edits.size(); ++i)
                if (rows[i])
                    TypeOver(edits[i], *rows[i]);
            PressEscape(form);
            return mrNone;
        };
    }

    // A key as the keyboard sends it: a press carrying its character, then the release.
    static void SendKey(QWidget* target, int qtKey, const QString& text) {
        QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text);
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text);
        QCoreApplication::sendEvent(target, &release);
    }

    // Selects the whole text and types the new one over it.
    static void TypeOver(TEdit* edit, const std::string& text) {
        QLineEdit* line = edit->LineEdit();
        line->setFocus();
        line->selectAll();
        SendKey(line, Qt::Key_Backspace, QString());
        for (char c : text)
            SendKey(line, Qt::Key_unknown, QString(QChar(c)));
    }

    static void PressEscape(TForm& form) {
        QWidget* focus = form.Widget()->window()->focusWidget();
        SendKey(focus != nullptr ? focus : form.Widget(), Qt::Key_Escape, QString(QChar(27)));
    }

    // The screen position of a dialog placed at the element: 3 pixels above and left of it.
    int ElementLeft(const TControl* element) const {
        return Form->Left() + (Form->Width() - Form->ClientWidth()) + element->Left() - 3;
    }
    int ElementTop(const TControl* element) const {
        return Form->Top() + (Form->Height() - Form->ClientHeight()) + element->Top() - 3;
    }
    // Over the top-left corner of the client area.
    int WindowLeft() const { return Form->Left(); }
    int WindowTop() const { return Form->Top() + (Form->Height() - Form->ClientHeight()) - 3; }

    // Makes the alarm sound as far as the commands can tell: the player holds a sound file.
    void SoundAlarm() { Form->SoundPlayer->SetFileName(Dir + "alarm.wav"); }

private:
    void Watch() {
        StopWatching();
        watch_ = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        ASSERT_GE(watch_, 0);
        // Written in place or renamed into place: either counts as one save.
        ASSERT_GE(inotify_add_watch(watch_, Dir.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO), 0);
    }
    void StopWatching() {
        if (watch_ >= 0)
            close(watch_);
        watch_ = -1;
    }
    int watch_ = -1;
};
