// Menus: what popup items show, how clicks reach handlers, popups opened by a right click and
// main-menu shortcuts chosen by real key events.
#include <string>
#include <vector>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

#include "platform/forms/Edit.h"
#include "platform/forms/Form.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/ShortCuts.h"

namespace {

TMenuItem* AddItem(TMenuItem* parent, TComponent* owner, const std::string& caption,
                   TNotifyEvent onClick = {}) {
    auto* item = new TMenuItem(owner);
    item->SetCaption(caption);
    item->OnClick = std::move(onClick);
    parent->Add(item);
    return item;
}

void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers, const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &release);
}

// The text a menu shows for an action: accelerator marks removed, "&&" shown as "&".
QString Shown(const QAction* action) {
    return action->iconText();
}

} // namespace

TEST(PopupMenuItems, show_captions_separators_and_check_marks_as_the_program_sets_them) {
    TForm form(nullptr);
    auto* popup = new TPopupMenu(&form);
    TMenuItem* root = popup->Items();
    TMenuItem* zero = AddItem(root, &form, "Change Zero Diff && Small Diff");
    TMenuItem* line = AddItem(root, &form, "-");
    TMenuItem* elapsed = AddItem(root, &form, "Show &Elapsed");
    elapsed->SetChecked(true);
    TMenuItem* plain = AddItem(root, &form, "Move Row Up");

    EXPECT_EQ(Shown(zero->Action()), QStringLiteral("Change Zero Diff & Small Diff"));
    EXPECT_TRUE(line->Action()->isSeparator());
    EXPECT_TRUE(line->IsLine());
    // Qt's styles draw a separator's text on its line: a bare line has none.
    EXPECT_TRUE(line->Action()->text().isEmpty());
    EXPECT_EQ(Shown(elapsed->Action()), QStringLiteral("Show Elapsed"));
    EXPECT_TRUE(elapsed->Action()->isChecked());
    EXPECT_FALSE(plain->Action()->isCheckable()); // no check box drawn beside plain items
    elapsed->SetChecked(false);
    EXPECT_FALSE(elapsed->Action()->isChecked());
    plain->SetVisible(false);
    EXPECT_FALSE(plain->Action()->isVisible());
}

TEST(PopupMenuItems, keep_the_order_of_add_and_insert_in_the_menu_on_screen) {
    TPopupMenu popup(nullptr);
    TMenuItem* root = popup.Items();
    AddItem(root, &popup, "A");
    AddItem(root, &popup, "C");
    auto* b = new TMenuItem(&popup);
    b->SetCaption("B");
    root->Insert(1, b);
    popup.Popup(10, 10);
    QMenu* menu = popup.OpenMenu();
    ASSERT_NE(menu, nullptr);
    QStringList shown;
    for (QAction* action : menu->actions())
        shown << action->text();
    EXPECT_EQ(shown, (QStringList{"A", "B", "C"}));
    menu->hide();
}

TEST(PopupMenuItems, a_click_runs_the_handler_once_with_the_item_as_sender_and_keeps_the_check_mark) {
    TPopupMenu popup(nullptr);
    std::vector<TObject*> senders;
    TMenuItem* item =
        AddItem(popup.Items(), &popup, "Hide Best Splits", [&](TObject* s) { senders.push_back(s); });
    item->SetChecked(true);
    item->Action()->trigger();    // as a click on screen
    EXPECT_TRUE(senders.empty()); // the handler runs once the menu has closed
    QApplication::processEvents();
    ASSERT_EQ(senders.size(), 1u);
    EXPECT_EQ(senders[0], item);
    EXPECT_TRUE(item->Checked());
    EXPECT_TRUE(item->Action()->isChecked());
    item->Click();
    EXPECT_EQ(senders.size(), 2u);
}

TEST(PopupMenuItems, a_handler_may_delete_the_menu_its_item_came_from) {
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    auto* popup = new TPopupMenu(label);
    label->SetPopupMenu(popup);
    bool ran = false;
    TMenuItem* item = AddItem(popup->Items(), label, "Delete Row", [&](TObject* sender) {
        ran = true;
        EXPECT_EQ(static_cast<TMenuItem*>(sender)->Owner(), label);
        delete label; // the table is rebuilt: label, menu and item go
    });
    item->Action()->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(ran);
    EXPECT_EQ(form.ComponentCount(), 0);
}

TEST(PopupMenuOpening, a_right_click_opens_the_controls_menu_at_the_click_position) {
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetCaption("Split 1");
    auto* popup = new TPopupMenu(&form);
    AddItem(popup->Items(), &form, "Change Font/Color");
    label->SetPopupMenu(popup);
    // A menu shared by many controls makes the items of the one clicked as it opens.
    popup->OnPopup = [&](TObject*) {
        AddItem(popup->Items(), popup, popup->PopupComponent() == label ? "Change Title" : "wrong");
    };
    form.Show();
    const QPoint at(130, 140);
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(3, 4), at);
    QCoreApplication::sendEvent(label->Widget(), &click);
    QMenu* menu = popup->OpenMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->pos(), at);
    EXPECT_EQ(popup->PopupComponent(), label);
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_EQ(menu->actions()[1]->text(), "Change Title");
    menu->hide();
    // The menu does not keep a control that has gone.
    delete label;
    EXPECT_EQ(popup->PopupComponent(), nullptr);
}

TEST(PopupMenuOpening, a_control_without_a_menu_passes_the_right_click_to_the_form) {
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    auto* popup = new TPopupMenu(&form);
    AddItem(popup->Items(), &form, "Change Background Color");
    form.SetPopupMenu(popup);
    form.Show();
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(1, 1), QPoint(50, 60));
    QCoreApplication::sendEvent(label->Widget(), &click);
    ASSERT_NE(popup->OpenMenu(), nullptr);
    EXPECT_EQ(popup->PopupComponent(), &form);
    popup->OpenMenu()->hide();
}

class MainMenuShortCuts : public ::testing::Test {
protected:
    MainMenuShortCuts() {
        menu = new TMainMenu(&form);
        form.SetMenu(menu);
        file = AddItem(menu->Items(), menu, "&File");
        splits = AddItem(menu->Items(), menu, "&Splits");
        counters = AddItem(menu->Items(), menu, "&Counters");
        open = AddItem(file, &form, "Open Splits", Count("open"));
        split = AddItem(splits, &form, "Make Split", Count("split"));
        pad = AddItem(splits, &form, "Skip Split", Count("pad"));
        none = AddItem(splits, &form, "Undo Split", Count("none"));
        counter = AddItem(counters, &form, "Deaths", Count("counter"));
        open->SetShortCut(TextToShortCut("Ctrl+O"));
        split->SetShortCut(TextToShortCut("Space"));
        pad->SetShortCut(96 + 5); // the keypad's 5
        counter->SetShortCut(TextToShortCut("Shift+F5"));
        form.SetKeyPreview(true);
        form.OnKeyPress = [this](TObject*, char& key) { typed += key; };
        form.Show();
    }
    TNotifyEvent Count(const std::string& name) {
        return [this, name](TObject*) { ran.push_back(name); };
    }

    TForm form{nullptr};
    TMainMenu* menu;
    TMenuItem *file, *splits, *counters, *open, *split, *pad, *none, *counter;
    std::vector<std::string> ran;
    std::string typed;
};

TEST_F(MainMenuShortCuts, a_matching_key_runs_its_item_once_and_types_nothing) {
    Press(form.Widget(), Qt::Key_O, Qt::ControlModifier, QStringLiteral("\x0f"));
    Press(form.Widget(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    Press(form.Widget(), Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_EQ(ran, (std::vector<std::string>{"open", "split", "counter"}));
    EXPECT_EQ(typed, "");
}

TEST_F(MainMenuShortCuts, other_keys_run_nothing_and_reach_the_key_press_handler) {
    Press(form.Widget(), Qt::Key_O, Qt::NoModifier, QStringLiteral("o"));
    Press(form.Widget(), Qt::Key_F5, Qt::NoModifier);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(typed, "o");
}

TEST_F(MainMenuShortCuts, the_keypad_and_the_main_keyboard_are_different_keys) {
    Press(form.Widget(), Qt::Key_5, Qt::NoModifier, QStringLiteral("5"));
    EXPECT_TRUE(ran.empty());
    Press(form.Widget(), Qt::Key_5, Qt::KeypadModifier, QStringLiteral("5"));
    EXPECT_EQ(ran, (std::vector<std::string>{"pad"}));
}

TEST_F(MainMenuShortCuts, a_hidden_item_or_an_item_under_a_hidden_menu_does_not_answer) {
    split->SetVisible(false);
    counters->SetVisible(false);
    Press(form.Widget(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    Press(form.Widget(), Qt::Key_F5, Qt::ShiftModifier);
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(typed, " ");
    EXPECT_FALSE(counters->Action()->isVisible()); // the menu bar hides it too
    split->SetVisible(true);
    Press(form.Widget(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    EXPECT_EQ(ran, (std::vector<std::string>{"split"}));
}

TEST_F(MainMenuShortCuts, an_item_without_a_shortcut_is_never_chosen_by_a_key) {
    // "Undo Split" has none: no key, not even one that converts to nothing, reaches it.
    Press(form.Widget(), Qt::Key_F25, Qt::NoModifier);
    Press(form.Widget(), Qt::Key_unknown, Qt::NoModifier);
    EXPECT_TRUE(ran.empty());
    split->SetShortCut(0);
    Press(form.Widget(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    EXPECT_TRUE(ran.empty());
}

TEST_F(MainMenuShortCuts, a_key_typed_into_an_edit_of_the_form_still_chooses_the_item) {
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetFocus();
    Press(edit->LineEdit(), Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
    EXPECT_EQ(ran, (std::vector<std::string>{"split"}));
    EXPECT_EQ(edit->Text(), "");
}

TEST_F(MainMenuShortCuts, the_menu_bar_shows_captions_with_their_shortcut_text) {
    const QList<QAction*> bar = menu->MenuBar()->actions();
    ASSERT_EQ(bar.size(), 3);
    EXPECT_EQ(Shown(bar[0]), QStringLiteral("File"));
    EXPECT_EQ(open->Action()->text(),
              QStringLiteral("Open Splits\t") +
                  QKeySequence(Qt::CTRL | Qt::Key_O).toString(QKeySequence::NativeText));
}
