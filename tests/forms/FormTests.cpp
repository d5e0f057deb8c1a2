// Forms: outer and client sizes, activation, closing, keys and the mouse wheel.
#include <string>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include "platform/forms/Application.h"
#include "platform/forms/Button.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Form.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"
#include "platform/forms/TestSeams.h"

namespace {

void SendKey(QWidget* target, int key, const QString& text,
             Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QCoreApplication::sendEvent(target, &release);
}

} // namespace

TEST(FormSizes, width_and_height_include_the_frame_and_the_client_size_does_not) {
    TForm form(nullptr);
    form.SetBorderStyle(bsSingle);
    form.SetClientWidth(177);
    form.SetClientHeight(79);
    EXPECT_EQ(form.ClientWidth(), 177);
    EXPECT_EQ(form.ClientHeight(), 79);
    const QRect frame = form.Widget()->frameGeometry();
    EXPECT_EQ(form.Width(), frame.width());
    EXPECT_EQ(form.Height(), frame.height());
    const int frameW = form.Width() - form.ClientWidth();
    const int frameH = form.Height() - form.ClientHeight();
    EXPECT_GT(frameW, 0);
    // Setting the outer size leaves the frame as it is and sizes the client area.
    form.SetWidth(300);
    form.SetHeight(200);
    EXPECT_EQ(form.ClientWidth(), 300 - frameW);
    EXPECT_EQ(form.ClientHeight(), 200 - frameH);
    form.Show();
    QApplication::processEvents();
    EXPECT_EQ(form.Width(), 300);
    EXPECT_EQ(form.ClientWidget()->width(), 300 - frameW);
    EXPECT_EQ(form.ClientWidget()->height(), 200 - frameH);
}

TEST(FormSizes, a_form_without_border_has_no_frame) {
    TForm form(nullptr);
    form.SetBorderStyle(bsNone);
    form.SetClientHeight(48);
    form.SetClientWidth(292);
    EXPECT_EQ(form.Height(), 48);
    EXPECT_EQ(form.Width(), 292);
}

TEST(FormSizes, the_menu_bar_counts_as_frame_not_client) {
    TForm plain(nullptr);
    TForm withMenu(nullptr);
    auto* menu = new TMainMenu(&withMenu);
    auto* file = new TMenuItem(menu);
    file->SetCaption("&File");
    menu->Items()->Add(file);
    withMenu.SetMenu(menu);
    for (TForm* form : {&plain, &withMenu}) {
        form->SetBorderStyle(bsSingle);
        form->SetClientWidth(185);
        form->SetClientHeight(100);
    }
    const int bar = menu->MenuBar()->height();
    EXPECT_GT(bar, 0);
    EXPECT_EQ(withMenu.ClientHeight(), 100);
    EXPECT_EQ(withMenu.Height() - withMenu.ClientHeight(), plain.Height() - plain.ClientHeight() + bar);
    EXPECT_EQ(withMenu.ClientWidget()->y(), bar);
}

TEST(FormSizes, left_and_top_place_the_outer_window) {
    TForm form(nullptr);
    form.SetLeft(120);
    form.SetTop(80);
    form.Show();
    QApplication::processEvents();
    EXPECT_EQ(form.Widget()->frameGeometry().topLeft(), QPoint(120, 80));
    EXPECT_EQ(form.Left(), 120);
    EXPECT_EQ(form.Top(), 80);
}

TEST(FormSizes, screen_centre_is_applied_when_the_form_is_shown) {
    TForm form(nullptr);
    form.SetPosition(poScreenCenter);
    form.SetWidth(200);
    form.SetHeight(100);
    form.Show();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(form.Left(), area.x() + (area.width() - 200) / 2);
    EXPECT_EQ(form.Top(), area.y() + (area.height() - 100) / 2);
}

TEST(FormSizes, controls_anchored_on_all_sides_follow_the_client_area) {
    TForm form(nullptr);
    form.SetBorderStyle(bsSizeToolWin);
    form.SetClientWidth(500);
    form.SetClientHeight(500);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetBounds(0, 24, 476, 433);
    panel->SetAnchors(akLeft | akTop | akRight | akBottom);
    auto* fixed = new TPanel(&form);
    fixed->SetParent(&form);
    fixed->SetBounds(2, 4, 20, 10);
    form.SetClientWidth(600);
    form.SetClientHeight(450);
    EXPECT_EQ(panel->Width(), 576);
    EXPECT_EQ(panel->Height(), 383);
    EXPECT_EQ(panel->Left(), 0);
    EXPECT_EQ(fixed->Left(), 2);
    EXPECT_EQ(fixed->Width(), 20);
}

TEST(FormSizes, windowed_controls_stay_above_labels_created_after_them) {
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    QObjectList order = form.ClientWidget()->children(); // bottom first
    EXPECT_LT(order.indexOf(label->Widget()), order.indexOf(panel->Widget()));

    // Once the lowest windowed control has gone, the next one is the lowest.
    auto* upper = new TPanel(&form);
    upper->SetParent(&form);
    delete panel;
    auto* later = new TLabel(&form);
    later->SetParent(&form);
    order = form.ClientWidget()->children();
    EXPECT_LT(order.indexOf(label->Widget()), order.indexOf(later->Widget()));
    EXPECT_LT(order.indexOf(later->Widget()), order.indexOf(upper->Widget()));

    // Placed while the form holds its updates, labels end up in the same places.
    form.BeginUpdate();
    auto* first = new TLabel(&form);
    first->SetParent(&form);
    auto* second = new TLabel(&form);
    second->SetParent(&form);
    form.EndUpdate();
    order = form.ClientWidget()->children();
    EXPECT_LT(order.indexOf(later->Widget()), order.indexOf(first->Widget()));
    EXPECT_LT(order.indexOf(first->Widget()), order.indexOf(second->Widget()));
    EXPECT_LT(order.indexOf(second->Widget()), order.indexOf(upper->Widget()));

    // A label placed out of sight gets its widget once it comes into sight, in its own place:
    // above the labels placed before it, below those placed after it.
    auto* late = new TLabel(&form);
    late->SetTop(100000);
    late->SetParent(&form);
    auto* last = new TLabel(&form);
    last->SetParent(&form);
    late->SetTop(0);
    order = form.ClientWidget()->children();
    EXPECT_LT(order.indexOf(second->Widget()), order.indexOf(late->Widget()));
    EXPECT_LT(order.indexOf(late->Widget()), order.indexOf(last->Widget()));
    EXPECT_LT(order.indexOf(last->Widget()), order.indexOf(upper->Widget()));
}

// A label wholly beyond the client area draws nothing and is not shown to Qt, whose repaints
// check every shown control against its shown siblings; it shows once it is moved in or the
// form grows to reach it, and stays as Visible says.
TEST(FormSizes, a_label_beyond_the_client_area_shows_once_it_is_reached) {
    TForm form(nullptr);
    form.SetClientWidth(200);
    form.SetClientHeight(100);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetBounds(10, 150, 50, 15);
    EXPECT_TRUE(label->Widget()->isHidden()) << "below the edge";
    EXPECT_TRUE(label->Visible());
    label->SetTop(90);
    EXPECT_FALSE(label->Widget()->isHidden()) << "partly inside";
    label->SetLeft(-60);
    EXPECT_TRUE(label->Widget()->isHidden()) << "left of the edge";
    label->SetBounds(10, 150, 50, 15);
    form.SetClientHeight(200);
    EXPECT_FALSE(label->Widget()->isHidden()) << "reached by the form";
    label->SetVisible(false);
    EXPECT_TRUE(label->Widget()->isHidden()) << "not Visible";
}

// The Tab chain follows TabOrder (equal orders in the order of placing), whether a control gets
// its order before it is placed or after, and whatever the order of placing.
TEST(FormTabOrder, the_chain_follows_tab_order_whatever_the_order_of_placing) {
    struct Row {
        const char* what;
        std::vector<int> orders; // by placing; -1: the order is given after placing, as 10 + index
        std::vector<int> chain;  // indexes of placing, in Tab order
    };
    const Row rows[] = {
        {"placed in order", {0, 1, 2}, {0, 1, 2}},
        {"placed backwards", {2, 1, 0}, {2, 1, 0}},
        {"one placed below the last", {0, 2, 1}, {0, 2, 1}},
        {"equal orders keep the placing order", {1, 0, 1}, {1, 0, 2}},
        {"orders given after placing", {-1, 0, -1}, {1, 0, 2}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        TForm form(nullptr);
        std::vector<TButton*> buttons;
        for (int order : row.orders) {
            buttons.push_back(new TButton(&form));
            if (order >= 0)
                buttons.back()->SetTabOrder(order);
            buttons.back()->SetParent(&form);
            if (order < 0)
                buttons.back()->SetTabOrder(10 + static_cast<int>(buttons.size()) - 1);
        }
        // Starting from the first of the chain, the following buttons in the window's focus chain.
        std::vector<int> chain;
        QWidget* widget = buttons[static_cast<size_t>(row.chain[0])]->Widget();
        for (size_t step = 0; step < 3 * buttons.size() && chain.size() < buttons.size(); ++step) {
            for (size_t i = 0; i < buttons.size(); ++i)
                if (buttons[i]->Widget() == widget)
                    chain.push_back(static_cast<int>(i));
            widget = widget->nextInFocusChain();
        }
        EXPECT_EQ(chain, row.chain);
    }
}

TEST(FormActivation, showing_a_form_activates_it_once) {
    TForm form(nullptr);
    int activations = 0;
    form.OnActivate = [&](TObject* sender) {
        EXPECT_EQ(sender, &form);
        ++activations;
    };
    form.Show();
    form.Show();
    QApplication::processEvents();
    EXPECT_EQ(activations, 1);
    EXPECT_TRUE(form.Active());
}

// Dialogs are hidden and shown again for every use; each showing must give their controls the
// keyboard's focus for real, or the caret does not show and Tab does not select the next entry.
TEST(FormActivation, a_form_shown_again_gives_its_control_the_keyboard_again) {
    TForm form(nullptr);
    auto* first = new TEdit(&form);
    first->SetParent(&form);
    first->SetTabOrder(0);
    auto* second = new TEdit(&form);
    second->SetParent(&form);
    second->SetTabOrder(1);
    second->SetText("0080FF");
    for (int showing = 1; showing <= 2; ++showing) {
        SCOPED_TRACE(showing);
        form.Show();
        QApplication::processEvents();
        first->SetFocus();
        EXPECT_EQ(QApplication::activeWindow(), form.Widget()->window());
        EXPECT_TRUE(first->LineEdit()->hasFocus());
        SendKey(first->LineEdit(), Qt::Key_Tab, QString(QChar('\t')));
        EXPECT_EQ(second->LineEdit()->selectedText(), "0080FF");
        form.Hide();
        QApplication::processEvents();
    }
}

TEST(FormActivation, closing_a_modal_form_activates_the_previous_form_again) {
    TForm main(nullptr);
    TForm dialog(nullptr);
    std::vector<std::string> order;
    main.OnActivate = [&](TObject*) { order.push_back("main"); };
    dialog.OnActivate = [&](TObject*) { order.push_back("dialog"); };
    main.Show();
    ScopedModalHandler answer([](TForm&) { return mrOk; });
    dialog.ShowModal();
    EXPECT_EQ(order, (std::vector<std::string>{"main", "dialog", "main"}));
    EXPECT_FALSE(dialog.Visible());
}

TEST(FormClosing, close_runs_on_close_and_hides_unless_the_action_is_none) {
    TForm form(nullptr);
    TCloseAction answer = caHide;
    int closes = 0;
    form.OnClose = [&](TObject*, TCloseAction& action) {
        EXPECT_EQ(action, caHide);
        action = answer;
        ++closes;
    };
    form.Show();
    answer = caNone;
    form.Close();
    EXPECT_TRUE(form.Visible());
    answer = caHide;
    form.Close();
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(closes, 2);
}

TEST(FormClosing, the_window_close_button_closes_the_form_through_on_close) {
    TForm form(nullptr);
    bool closed = false;
    form.OnClose = [&](TObject*, TCloseAction&) { closed = true; };
    form.Show();
    form.Widget()->close();
    EXPECT_TRUE(closed);
    EXPECT_FALSE(form.Visible());
}

TEST(FormKeys, with_key_preview_the_form_sees_a_character_before_the_focused_edit) {
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    form.SetKeyPreview(true);
    std::string seen;
    form.OnKeyPress = [&](TObject*, char& key) {
        seen += key;
        if (key == 27)
            key = 0; // consumed: the edit never sees it
        if (key == 'a')
            key = 'b';
    };
    form.Show();
    edit->SetFocus();
    QWidget* target = edit->LineEdit();
    SendKey(target, Qt::Key_X, QStringLiteral("x"));
    SendKey(target, Qt::Key_Escape, QStringLiteral("\x1b"));
    SendKey(target, Qt::Key_A, QStringLiteral("a"));
    EXPECT_EQ(seen, "x\x1b"
                    "a");
    EXPECT_EQ(edit->Text(), "xb");
}

TEST(FormKeys, without_key_preview_keys_for_a_control_pass_the_form_by) {
    TForm form(nullptr);
    auto* edit = new TEdit(&form);
    edit->SetParent(&form);
    int presses = 0;
    form.OnKeyPress = [&](TObject*, char&) { ++presses; };
    form.Show();
    SendKey(edit->LineEdit(), Qt::Key_X, QStringLiteral("x"));
    EXPECT_EQ(presses, 0);
    EXPECT_EQ(edit->Text(), "x");
    // A key for the form itself still reaches its handler.
    SendKey(form.Widget(), Qt::Key_Y, QStringLiteral("y"));
    EXPECT_EQ(presses, 1);
}

TEST(FormKeys, a_key_without_a_character_is_no_key_press) {
    TForm form(nullptr);
    form.SetKeyPreview(true);
    int presses = 0;
    form.OnKeyPress = [&](TObject*, char&) { ++presses; };
    SendKey(form.Widget(), Qt::Key_F5, QString());
    SendKey(form.Widget(), Qt::Key_Shift, QString(), Qt::ShiftModifier);
    EXPECT_EQ(presses, 0);
}

TEST(FormWheel, the_wheel_over_the_form_or_a_label_reaches_on_mouse_wheel) {
    TForm form(nullptr);
    auto* label = new TLabel(&form);
    label->SetParent(&form);
    label->SetCaption("Split");
    std::vector<int> deltas;
    form.OnMouseWheel = [&](TObject*, TShiftState, int delta, TPoint, bool&) { deltas.push_back(delta); };
    form.Show();
    for (QWidget* target : {form.ClientWidget(), label->Widget()}) {
        QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(target, &wheel);
    }
    EXPECT_EQ(deltas, (std::vector<int>{-120, -120}));
}

TEST(FormHandlers, an_exception_in_a_handler_is_shown_and_the_program_goes_on) {
    ScopedMessageBoxRecorder boxes;
    Application.SetTitle("Lapwren");
    TForm form(nullptr);
    form.OnActivate = [](TObject*) { throw Exception("Something failed"); };
    form.Show();
    ASSERT_EQ(boxes.Messages().size(), 1u);
    EXPECT_EQ(boxes.Messages()[0].text, "Something failed.");
    EXPECT_EQ(boxes.Messages()[0].caption, "Lapwren");
    EXPECT_TRUE(form.Visible());
}
