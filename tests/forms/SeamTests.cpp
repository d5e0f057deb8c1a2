// The test seams: modal forms, message boxes and the open-file dialog answered by a test.
#include <optional>
#include <string>

#include <QGuiApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/forms/Application.h"
#include "platform/forms/Button.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Form.h"
#include "platform/forms/OpenDialog.h"
#include "platform/forms/TestSeams.h"
#include "platform/forms/Timer.h"

namespace {

// A small dialog as the program's dialogs are: an edit, an "X" button that closes it, Escape.
class Dialog : public TForm {
public:
    explicit Dialog(TComponent* owner) : TForm(owner) {
        SetBorderStyle(bsNone);
        SetKeyPreview(true);
        Edit = new TEdit(this);
        Edit->SetParent(this);
        Back = new TButton(this);
        Back->SetParent(this);
        Back->SetCaption("X");
        Back->OnClick = [this](TObject*) { Close(); };
        OnActivate = [this](TObject*) {
            ++activations;
            Edit->SetFocus();
        };
        OnClose = [this](TObject*, TCloseAction&) { ++closes; };
    }
    TEdit* Edit;
    TButton* Back;
    int activations = 0;
    int closes = 0;
};

} // namespace

TEST(ModalSeam, the_handler_gets_the_shown_active_form_and_its_answer_is_the_result) {
    Dialog dialog(nullptr);
    dialog.Edit->SetText("00:00:00.00");
    bool sawIt = false;
    ScopedModalHandler answer([&](TForm& form) {
        sawIt = &form == &dialog && form.Visible() && form.Modal() && dialog.activations == 1;
        EXPECT_TRUE(dialog.Edit->Focused());
        dialog.Edit->SetText("1:05.20");
        return mrOk;
    });
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_TRUE(sawIt);
    EXPECT_EQ(dialog.Edit->Text(), "1:05.20");
    EXPECT_FALSE(dialog.Visible());
    EXPECT_FALSE(dialog.Modal());
    EXPECT_EQ(dialog.closes, 1); // closed as by the user
}

TEST(ModalSeam, a_form_closed_by_its_own_button_inside_the_handler_ends_with_cancel) {
    Dialog dialog(nullptr);
    ScopedModalHandler answer([&](TForm&) {
        dialog.Back->Click();
        EXPECT_EQ(dialog.ModalResult(), mrCancel);
        return mrOk; // too late: the form has already closed itself
    });
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_EQ(dialog.closes, 1);
}

TEST(ModalSeam, every_showing_starts_with_no_result_and_activates_again) {
    Dialog dialog(nullptr);
    ScopedModalHandler answer([&](TForm& form) {
        EXPECT_EQ(form.ModalResult(), mrNone);
        return mrNone;
    });
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_EQ(dialog.activations, 2);
    EXPECT_EQ(dialog.closes, 2);
}

TEST(ModalSeam, a_form_that_closes_itself_is_awaited_with_a_bounded_loop) {
    Dialog dialog(nullptr);
    auto* timer = new TTimer(&dialog);
    timer->SetInterval(10);
    timer->OnTimer = [&](TObject*) {
        timer->SetEnabled(false);
        dialog.Close();
    };
    ScopedModalHandler answer([&](TForm& form) {
        EXPECT_TRUE(WaitForModalClose(form, 5000));
        return form.ModalResult();
    });
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    EXPECT_EQ(dialog.closes, 1);
}

TEST(ModalSeam, the_real_modal_loop_ends_when_the_form_closes_itself) {
    // No handler: the loop runs until the timer closes the form.
    Dialog dialog(nullptr);
    auto* timer = new TTimer(&dialog);
    timer->SetInterval(10);
    timer->OnTimer = [&](TObject*) {
        timer->SetEnabled(false);
        dialog.SetModalResult(mrOk);
    };
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_EQ(dialog.closes, 1);
    EXPECT_FALSE(dialog.Visible());
}

TEST(ModalSeam, a_closed_modal_form_blocks_nothing_and_may_be_deleted) {
    auto* dialog = new Dialog(nullptr);
    {
        ScopedModalHandler answer([](TForm&) {
            EXPECT_NE(QGuiApplication::modalWindow(), nullptr);
            return mrOk;
        });
        dialog->ShowModal();
    }
    EXPECT_EQ(QGuiApplication::modalWindow(), nullptr);
    delete dialog;
    TForm other(nullptr);
    other.Show(); // Qt checks the modal windows here: none may be left behind
    EXPECT_TRUE(other.Visible());
}

TEST(MessageBoxSeam, records_text_caption_and_flags_and_answers_ok) {
    ScopedMessageBoxRecorder boxes;
    EXPECT_EQ(Application.MessageBox("There must be at least 1 row.", "", MB_OK), IDOK);
    EXPECT_EQ(Application.MessageBox("Login verified!", "Login Verification Successful", MB_OK), IDOK);
    ASSERT_EQ(boxes.Messages().size(), 2u);
    EXPECT_EQ(boxes.Messages()[0].text, "There must be at least 1 row.");
    EXPECT_EQ(boxes.Messages()[0].caption, "");
    EXPECT_EQ(boxes.Messages()[1].caption, "Login Verification Successful");
    EXPECT_EQ(boxes.Messages()[1].flags, MB_OK);
}

TEST(MessageBoxSeam, the_exception_box_ends_the_message_with_a_full_stop_and_uses_the_title) {
    struct Row {
        const char* message;
        const char* shown;
    };
    ScopedMessageBoxRecorder boxes;
    Application.SetTitle("Lapwren");
    for (const Row row : {Row{"Disk full", "Disk full."}, Row{"Done.", "Done."}, Row{"Why?", "Why?"},
                          Row{"(x)", "(x)."}, Row{"", ""}}) {
        Application.ShowException(Exception(row.message));
        EXPECT_EQ(boxes.Messages().back().text, row.shown) << row.message;
        EXPECT_EQ(boxes.Messages().back().caption, "Lapwren");
    }
}

TEST(MessageBoxSeam, scopes_nest_and_restore_the_previous_handler) {
    ScopedMessageBoxRecorder outer;
    {
        ScopedMessageBoxRecorder inner;
        Application.MessageBox("inner", "", MB_OK);
        EXPECT_EQ(inner.Messages().size(), 1u);
    }
    Application.MessageBox("outer", "", MB_OK);
    ASSERT_EQ(outer.Messages().size(), 1u);
    EXPECT_EQ(outer.Messages()[0].text, "outer");
}

TEST(OpenDialogSeam, a_chosen_file_becomes_the_file_name_and_a_cancel_keeps_it) {
    TOpenDialog dialog(nullptr);
    dialog.SetInitialDir("/programs/lapwren/");
    dialog.SetFileName("old.txt");
    std::optional<std::string> answer = std::string("/splits/run.txt");
    std::string seenTitle, seenDir;
    ScopedOpenDialogHandler handler([&](TOpenDialog& shown) {
        seenTitle = shown.Title();
        seenDir = shown.InitialDir();
        return answer;
    });
    dialog.SetTitle("Choose a Lapwren File");
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/splits/run.txt");
    EXPECT_EQ(seenTitle, "Choose a Lapwren File");
    EXPECT_EQ(seenDir, "/programs/lapwren/");
    answer.reset();
    EXPECT_FALSE(dialog.Execute());
    EXPECT_EQ(dialog.FileName(), "/splits/run.txt");
}
