// Edits, memos, combo boxes, check boxes, radio buttons, string lists and pictures: what they keep and give
// back.
#include <cstdio>
#include <string>
#include <vector>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/forms/Button.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Form.h"
#include "platform/forms/Image.h"
#include "platform/forms/Memo.h"
#include "platform/forms/Panel.h"
#include "platform/forms/RadioButton.h"
#include "platform/forms/Strings.h"

TEST(EditText, untouched_text_comes_back_as_the_bytes_that_were_set) {
    TForm form(nullptr);
    TEdit edit(&form);
    edit.SetText("Pr\xEAt"); // Windows-1252 from an old settings file
    EXPECT_EQ(edit.LineEdit()->text(), QString::fromUtf8("Pr\xC3\xAAt"));
    EXPECT_EQ(edit.Text(), "Pr\xEAt");
}

TEST(EditText, typed_text_comes_back_as_utf8) {
    TForm form(nullptr);
    TEdit edit(&form);
    edit.SetText("Pr\xEAt");
    edit.LineEdit()->setText(QString::fromUtf8("Pr\xC3\xAAte"));
    EXPECT_EQ(edit.Text(), "Pr\xC3\xAAte");
}

TEST(EditText, on_change_runs_for_typed_and_set_text) {
    TForm form(nullptr);
    TEdit edit(&form);
    int changes = 0;
    edit.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &edit);
        ++changes;
    };
    edit.SetText("00FF00");
    edit.LineEdit()->insert(QStringLiteral("1"));
    EXPECT_EQ(changes, 2);
}

TEST(EditText, a_password_character_hides_the_text_but_not_its_value) {
    TForm form(nullptr);
    TEdit edit(&form);
    edit.SetPasswordChar('*');
    edit.SetText("secret");
    EXPECT_EQ(edit.LineEdit()->echoMode(), QLineEdit::Password);
    EXPECT_EQ(edit.Text(), "secret");
    // What is drawn is the character that was set, as an entry holding that text draws it.
    edit.SetParent(&form);
    for (char mask : {'*', '#'}) {
        edit.SetPasswordChar(mask);
        TEdit plain(&form);
        plain.SetParent(&form);
        plain.SetBounds(edit.Left(), edit.Top() + 30, edit.Width(), edit.Height());
        plain.SetText(std::string(6, mask));
        EXPECT_TRUE(edit.LineEdit()->grab().toImage() == plain.LineEdit()->grab().toImage()) << mask;
    }
    EXPECT_EQ(edit.Text(), "secret");
}

namespace {

void SendKey(QWidget* target, int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
             const QString& text = QString()) {
    QKeyEvent press(QEvent::KeyPress, qtKey, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, qtKey, modifiers, text);
    QApplication::sendEvent(target, &release);
}

QWidget* Keyboard() {
    return QApplication::focusWidget();
}

void ShowAndSettle(TForm& form) {
    form.Show();
    QApplication::processEvents();
}

} // namespace

// Whoever puts the keyboard on an entry (the program, the form that opens, Tab) selects its
// text, so that typing replaces the old value; the mouse places the caret where it clicks.
TEST(EditFocus, entering_an_edit_selects_its_text_and_a_click_places_the_caret) {
    TForm form(nullptr);
    form.SetBounds(100, 100, 300, 120);
    auto* first = new TEdit(&form);
    first->SetParent(&form);
    first->SetBounds(0, 0, 100, 21);
    first->SetTabOrder(0);
    first->SetText("1:49.60");
    auto* second = new TEdit(&form);
    second->SetParent(&form);
    second->SetBounds(0, 30, 100, 21);
    second->SetTabOrder(1);
    second->SetText("0080FF");

    ShowAndSettle(form);
    ASSERT_TRUE(first->Focused()) << "the form's first focus";
    EXPECT_EQ(first->LineEdit()->selectedText(), "1:49.60");
    SendKey(Keyboard(), Qt::Key_Tab);
    ASSERT_TRUE(second->Focused());
    EXPECT_EQ(second->LineEdit()->selectedText(), "0080FF");
    SendKey(Keyboard(), Qt::Key_Backtab, Qt::ShiftModifier);
    ASSERT_TRUE(first->Focused());
    EXPECT_EQ(first->LineEdit()->selectedText(), "1:49.60");

    QMouseEvent press(QEvent::MouseButtonPress, QPointF(3, 10),
                      first->LineEdit()->mapToGlobal(QPointF(3, 10)), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(first->LineEdit(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(3, 10),
                        first->LineEdit()->mapToGlobal(QPointF(3, 10)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(first->LineEdit(), &release);
    EXPECT_FALSE(first->LineEdit()->hasSelectedText());
    EXPECT_EQ(first->LineEdit()->cursorPosition(), 0);

    second->SetFocus();
    EXPECT_EQ(second->LineEdit()->selectedText(), "0080FF");
    SendKey(Keyboard(), Qt::Key_F, Qt::NoModifier, "F");
    EXPECT_EQ(second->Text(), "F");
}

TEST(EditFocus, coming_back_to_a_window_keeps_the_caret_where_the_user_left_it) {
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    edit->SetText("Harbour");
    ShowAndSettle(form);
    ASSERT_TRUE(edit->Focused());
    edit->LineEdit()->setCursorPosition(3);

    TForm other(nullptr);
    ShowAndSettle(other);
    form.Show();
    QApplication::processEvents();
    ASSERT_TRUE(edit->Focused());
    EXPECT_FALSE(edit->LineEdit()->hasSelectedText());
    EXPECT_EQ(edit->LineEdit()->cursorPosition(), 3);
}

TEST(MemoText, lines_are_joined_with_cr_lf_whatever_line_ends_were_set) {
    TForm form(nullptr);
    TMemo memo(&form);
    memo.SetText("a\nb");
    memo.TextEdit()->appendPlainText(QStringLiteral("c")); // the user adds a line
    EXPECT_EQ(memo.Text(), "a\r\nb\r\nc");
    EXPECT_EQ(memo.Lines()->Count(), 3);
    EXPECT_EQ(memo.Lines()->Strings(2), "c");
    memo.SetText("x\r\ny\rz");
    EXPECT_EQ(memo.TextEdit()->toPlainText(), QStringLiteral("x\ny\nz"));
}

TEST(MemoText, untouched_notes_come_back_unchanged) {
    // Counter notes are built with bare line feeds; an untouched dialog must not rewrite them.
    TForm form(nullptr);
    TMemo memo(&form);
    memo.SetText("(2) Deaths\n");
    EXPECT_EQ(memo.Text(), "(2) Deaths\n");
}

TEST(MemoText, want_tabs_lets_tab_type_a_tab) {
    TForm form(nullptr);
    TMemo memo(&form);
    EXPECT_TRUE(memo.TextEdit()->tabChangesFocus());
    memo.SetWantTabs(true);
    EXPECT_FALSE(memo.TextEdit()->tabChangesFocus());
}

TEST(ComboBoxItems, a_sorted_box_places_items_by_text_and_keeps_each_items_object) {
    TForm form(nullptr);
    TComboBox box(&form);
    box.SetStyle(csDropDownList);
    box.SetSorted(true);
    int zed = 1, alpha = 2, mid = 3;
    box.Items()->AddObject("Zed", &zed);
    box.Items()->AddObject("alpha", &alpha);
    const int index = box.Items()->AddObject("Mid", &mid);
    EXPECT_EQ(index, 1);
    ASSERT_EQ(box.Items()->Count(), 3);
    EXPECT_EQ(box.Items()->Strings(0), "alpha");
    EXPECT_EQ(box.Items()->Strings(2), "Zed");
    EXPECT_EQ(box.Items()->Objects(0), &alpha);
    EXPECT_EQ(box.Items()->Objects(1), &mid);
    EXPECT_EQ(box.Items()->Objects(2), &zed);
}

TEST(ComboBoxItems, adding_items_selects_nothing_and_deleting_the_selected_item_clears_the_choice) {
    TForm form(nullptr);
    TComboBox box(&form);
    box.SetStyle(csDropDownList);
    box.Items()->Add("(none)");
    box.Items()->Add("Server");
    EXPECT_EQ(box.ItemIndex(), -1);
    box.SetItemIndex(1);
    EXPECT_EQ(box.Text(), "Server");
    box.Items()->Insert(0, "First");
    EXPECT_EQ(box.ItemIndex(), 2); // the same item stays chosen
    box.Items()->Delete(2);
    EXPECT_EQ(box.ItemIndex(), -1);
    box.SetItemIndex(7);
    EXPECT_EQ(box.ItemIndex(), -1);
    box.Clear();
    EXPECT_EQ(box.Items()->Count(), 0);
}

TEST(ComboBoxItems, on_change_runs_when_the_user_picks_not_when_the_program_selects) {
    TForm form(nullptr);
    TComboBox box(&form);
    box.SetStyle(csDropDownList);
    box.Items()->Add("a");
    box.Items()->Add("b");
    int changes = 0;
    box.OnChange = [&](TObject*) { ++changes; };
    box.SetItemIndex(1);
    EXPECT_EQ(changes, 0);
    box.ComboBox()->setCurrentIndex(0);
    emit box.ComboBox()->activated(0); // as a pick in the open list
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(box.ItemIndex(), 0);
}

// A list added in one batch is sorted once; every item, its object and the choice must still
// land where adding the items one by one puts them.
TEST(ComboBoxItems, a_batch_lands_where_adding_one_by_one_would) {
    struct Row {
        const char* name;
        bool sorted;
        std::vector<std::string> before;
        int selected;
        const char* insertedFirst; // put at the top by Insert, out of order; nullptr for none
        std::vector<std::string> added;
    };
    const std::vector<Row> rows = {
        {"equal texts keep the order they came in", true, {}, -1, nullptr, {"b", "A", "a", "B", "", "a"}},
        {"items there go first among equals, still chosen", true, {"a", "c"}, 1, nullptr, {"C", "b", "A"}},
        {"bytes above ASCII sort as bytes", true, {"\xE9t\xE9"}, -1, nullptr, {"\xC3\xA9", "z", "Zz"}},
        {"a box put out of order places each by walking it", true, {"a", "c"}, 0, "z", {"b", "a", "zz"}},
        {"an unsorted box appends", false, {"b"}, 0, nullptr, {"c", "a"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TForm form(nullptr);
        TComboBox oneByOne(&form);
        TComboBox batch(&form);
        TStringList added;
        for (size_t i = 0; i < row.added.size(); ++i)
            added.AddObject(row.added[i], reinterpret_cast<void*>(static_cast<intptr_t>(100 + i)));
        for (TComboBox* box : {&oneByOne, &batch}) {
            box->SetStyle(csDropDownList);
            box->SetSorted(row.sorted);
            for (size_t i = 0; i < row.before.size(); ++i)
                box->Items()->AddObject(row.before[i], reinterpret_cast<void*>(static_cast<intptr_t>(i)));
            if (row.insertedFirst != nullptr)
                box->Items()->Insert(0, row.insertedFirst);
            box->SetItemIndex(row.selected);
        }
        for (int i = 0; i < added.Count(); ++i)
            oneByOne.Items()->AddObject(added.Strings(i), added.Objects(i));
        batch.Items()->AddStrings(added);

        ASSERT_EQ(batch.Items()->Count(), oneByOne.Items()->Count());
        for (int i = 0; i < oneByOne.Items()->Count(); ++i) {
            EXPECT_EQ(batch.Items()->Strings(i), oneByOne.Items()->Strings(i)) << i;
            EXPECT_EQ(batch.Items()->Objects(i), oneByOne.Items()->Objects(i)) << i;
        }
        EXPECT_EQ(batch.ItemIndex(), oneByOne.ItemIndex());
    }
}

TEST(StringLists, a_sorted_list_finds_codes_ignoring_case_and_keeps_one_of_each) {
    TStringList codes;
    codes.SetSorted(true);
    codes.AddObject("b-key", reinterpret_cast<void*>(intptr_t{2}));
    codes.AddObject("a-key", reinterpret_cast<void*>(intptr_t{1}));
    EXPECT_EQ(codes.AddObject("A-KEY", nullptr), 0); // already there
    ASSERT_EQ(codes.Count(), 2);
    int index = -1;
    EXPECT_TRUE(codes.Find("B-Key", index));
    EXPECT_EQ(index, 1);
    EXPECT_EQ(reinterpret_cast<intptr_t>(codes.Objects(index)), 2);
    EXPECT_FALSE(codes.Find("c", index));
    EXPECT_EQ(index, 2);
    EXPECT_FALSE(codes.Find("", index));
    EXPECT_EQ(index, 0);
}

// The code list of the upload dialog is filled in one batch: the first of equal codes (letter
// case ignored) must stay, as with AddObject one by one.
TEST(StringLists, a_batch_keeps_what_adding_one_by_one_keeps) {
    struct Row {
        const char* name;
        std::vector<std::string> before; // added while not sorted, so equal strings can be there
        bool sorted;
        std::vector<std::string> added;
    };
    const std::vector<Row> rows = {
        {"the first of equal strings stays", {"b-key"}, true, {"c", "A-key", "B-KEY", "a-KEY", "", ""}},
        {"equal strings there before stay", {"x", "X"}, true, {"y", "x", "W"}},
        {"an unsorted list appends everything", {"b"}, false, {"a", "B", "a"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TStringList oneByOne;
        TStringList batch;
        TStringList added;
        for (size_t i = 0; i < row.added.size(); ++i)
            added.AddObject(row.added[i], reinterpret_cast<void*>(static_cast<intptr_t>(100 + i)));
        for (TStringList* list : {&oneByOne, &batch}) {
            for (size_t i = 0; i < row.before.size(); ++i)
                list->AddObject(row.before[i], reinterpret_cast<void*>(static_cast<intptr_t>(i)));
            list->SetSorted(row.sorted);
        }
        for (int i = 0; i < added.Count(); ++i)
            oneByOne.AddObject(added.Strings(i), added.Objects(i));
        batch.AddStrings(added);

        ASSERT_EQ(batch.Count(), oneByOne.Count());
        for (int i = 0; i < oneByOne.Count(); ++i) {
            EXPECT_EQ(batch.Strings(i), oneByOne.Strings(i)) << i;
            EXPECT_EQ(batch.Objects(i), oneByOne.Objects(i)) << i;
        }
    }
}

TEST(StringLists, text_splits_and_joins_lines) {
    TStringList lines;
    lines.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(lines.Count(), 4);
    EXPECT_EQ(lines.Text(), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(lines.IndexOf("C"), 2);
}

TEST(RadioButtons, the_buttons_of_one_parent_are_one_choice) {
    TForm form(nullptr);
    auto* other = new TPanel(&form);
    other->SetParent(&form);
    std::vector<TRadioButton*> buttons;
    for (int i = 0; i < 3; ++i) {
        buttons.push_back(new TRadioButton(&form));
        buttons.back()->SetParent(&form);
    }
    auto* elsewhere = new TRadioButton(&form);
    elsewhere->SetParent(other);
    elsewhere->SetChecked(true);
    buttons[0]->SetChecked(true);
    buttons[2]->SetChecked(true);
    EXPECT_FALSE(buttons[0]->Checked());
    EXPECT_TRUE(buttons[2]->Checked());
    EXPECT_TRUE(elsewhere->Checked());
    buttons[2]->SetChecked(false); // the program may leave no button checked
    EXPECT_FALSE(buttons[2]->Checked());
    buttons[1]->RadioButton()->click(); // the user picks one
    EXPECT_TRUE(buttons[1]->Checked());
    EXPECT_TRUE(elsewhere->Checked());
}

// The keyboard enters a choice at its checked button, and the arrow keys move the choice among
// the buttons the user can see, round at the ends.
TEST(RadioButtons, the_keyboard_enters_at_the_checked_button_and_the_arrows_move_the_choice) {
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetBounds(100, 100, 200, 60);
    std::vector<TRadioButton*> buttons;
    for (int i = 0; i < 4; ++i) {
        buttons.push_back(new TRadioButton(&form));
        buttons.back()->SetParent(&form);
        buttons.back()->SetBounds(2, 20 * i + 4, 150, 17); // the fourth lies below the form's edge
        buttons.back()->SetTabOrder(i);
    }
    auto* back = new TButton(&form);
    back->SetParent(&form);
    back->SetBounds(180, 0, 15, 21);
    back->SetTabOrder(4);
    buttons[1]->SetChecked(true);

    ShowAndSettle(form);
    ASSERT_TRUE(buttons[1]->Focused());
    const struct {
        int key;
        int choice;
    } steps[] = {
        {Qt::Key_Down, 2}, {Qt::Key_Down, 0}, {Qt::Key_Up, 2}, {Qt::Key_Right, 0}, {Qt::Key_Left, 2}};
    for (const auto& step : steps) {
        SendKey(Keyboard(), step.key);
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(buttons[static_cast<size_t>(i)]->Checked(), i == step.choice) << "button " << i;
        }
        EXPECT_TRUE(buttons[static_cast<size_t>(step.choice)]->Focused());
    }
    SendKey(Keyboard(), Qt::Key_Tab);
    EXPECT_TRUE(back->Focused()) << "Tab leaves the choice";
    SendKey(Keyboard(), Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(buttons[2]->Focused()) << "and comes back at its checked button";
}

namespace {

// The first and last columns of the widget's rendering that hold any ink (text or the box's
// light frame), over a white background.
std::pair<int, int> InkColumns(QWidget* widget) {
    QImage image(widget->size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (qGray(image.pixel(x, y)) < 230) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

} // namespace

TEST(CheckBoxes, a_left_justified_caption_starts_at_the_left_edge_and_the_box_sits_at_the_right) {
    TForm form(nullptr);
    auto* box = new TCheckBox(&form);
    box->SetParent(&form);
    box->SetBounds(2, 0, 130, 17);
    box->SetAlignment(taLeftJustify);
    box->SetCaption("On");
    form.Show();
    const auto [first, last] = InkColumns(box->Widget());
    EXPECT_GE(first, 0);
    EXPECT_LT(first, 4) << "the caption is set against the box, away from the left edge";
    EXPECT_GT(last, 130 - 16);
    // A click on the caption still ticks the box.
    box->CheckBox()->click();
    EXPECT_TRUE(box->Checked());
}

TEST(ImagePlacement, where_a_picture_is_drawn_in_its_control) {
    struct Row {
        const char* what;
        bool stretch;
        bool proportional;
        QSize picture;
        QRect drawn;
    };
    const Row rows[] = {
        {"own size at the top left", false, false, QSize(40, 30), QRect(0, 0, 40, 30)},
        {"own size even when larger than the control", false, false, QSize(400, 300), QRect(0, 0, 400, 300)},
        {"stretched to the control", true, false, QSize(40, 30), QRect(0, 0, 24, 24)},
        {"proportional wide picture", true, true, QSize(48, 24), QRect(0, 0, 24, 12)},
        {"proportional tall picture", true, true, QSize(10, 40), QRect(0, 0, 6, 24)},
        {"proportional shrinks a large picture without stretch", false, true, QSize(96, 48),
         QRect(0, 0, 24, 12)},
        {"proportional leaves a small picture alone without stretch", false, true, QSize(8, 4),
         QRect(0, 0, 8, 4)},
    };
    TForm form(nullptr);
    TImage image(&form);
    image.SetBounds(0, 0, 24, 24);
    EXPECT_TRUE(image.PictureRect().isEmpty());
    for (const Row& row : rows) {
        image.SetStretch(row.stretch);
        image.SetProportional(row.proportional);
        QImage picture(row.picture, QImage::Format_RGB32);
        picture.fill(Qt::red);
        image.Picture()->Assign(picture);
        EXPECT_EQ(image.PictureRect(), row.drawn) << row.what;
    }
}

// A picture from a file is kept at the size it is drawn; drawn larger later, it is read again
// rather than blown up from the small copy.
TEST(ImagePlacement, a_picture_drawn_larger_later_is_read_again_at_that_size) {
    QImage photo(QSize(400, 200), QImage::Format_RGB32);
    photo.fill(Qt::blue);
    const std::string file = testing::TempDir() + "lapwren-refit-" + std::to_string(getpid()) + ".bmp";
    ASSERT_TRUE(photo.save(QString::fromStdString(file)));
    TForm form(nullptr);
    TImage image(&form);
    image.SetBounds(0, 0, 24, 24);
    image.SetStretch(true);
    image.SetProportional(true);
    ASSERT_TRUE(image.Picture()->LoadFromFile(file));
    EXPECT_EQ(image.Picture()->Image().size(), QSize(24, 12));
    image.SetBounds(0, 0, 200, 200);
    EXPECT_EQ(image.Picture()->Image().size(), QSize(200, 100));
    std::remove(file.c_str());
}

TEST(ImagePlacement, a_missing_picture_file_leaves_the_picture_empty) {
    TForm form(nullptr);
    TImage image(&form);
    QImage picture(QSize(4, 4), QImage::Format_RGB32);
    image.Picture()->Assign(picture);
    EXPECT_FALSE(image.Picture()->LoadFromFile("/nonexistent/background.bmp"));
    EXPECT_TRUE(image.Picture()->Empty());
}
