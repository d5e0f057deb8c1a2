// The main window's side of the run upload: the "Auto-upload Splits" toggle, the interactive
// showing of the upload dialog, and the submission of a finished run at the end of Make Split.
//
// The submission only builds the request and starts a worker of the upload dialog; the dialog's
// timer takes the reply and speaks up only when the run was not accepted. So the window keeps
// running while the server answers, and a run finished while an earlier exchange is still under
// way is not submitted: the dialog carries one exchange at a time.

#include "ui/MainUnit.h"

#include "core/TimeText.h"
#include "platform/forms/CheckBox.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Image.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"
#include "ui/TextSettingsUnit.h"
#include "upload/CommunicationThread.h"
#include "upload/UploadSplitsUnit.h"

namespace {

// Times as the web service reads them: a first field with a colon after it always has two
// digits (FormatTime drops the leading zero of its text).
std::string ServiceTime(int32_t time, bool compact) {
    std::string text = FormatTime(time, compact, false, 'H');
    if (text.size() > 1 && text[1] == ':')
        text = "0" + text;
    return text;
}

// The code behind the selected item of a combo box; "" when none is selected.
std::string SelectedCode(const TComboBox* box) {
    const int index = box->ItemIndex();
    if (index < 0)
        return std::string();
    const auto* data = static_cast<const ComboBoxDataClass*>(box->Items()->Objects(index));
    return data != nullptr ? data->Code : std::string();
}

// Asks for the run's comment in the text dialog, placed over the table's title (by the title
// image in the horizontal layout); "" without the dialog.
std::string AskRunComment(TMainForm& form) {
    TTextSettingsForm* dialog = TextSettingsForm;
    if (dialog == nullptr)
        return std::string();
    dialog->Entry1Label->SetCaption("Comment");
    dialog->Entry1Edit->SetText("");

    const int frameWidth = form.Width() - form.ClientWidth();
    const int frameHeight = form.Height() - form.ClientHeight();
    const FileDataClass& data = *form.SplitData;
    if (!form.HorizontalMode) {
        // Over the table's title.
        const int titleTop = data.titleLabel != nullptr ? data.titleLabel->Top() : 0;
        dialog->PlaceBeside(form.Left() + frameWidth - 3, form.Top() + titleTop + frameHeight - 3);
    } else {
        // By the title image; without one, at the left edge as in the vertical layout.
        const int imageLeft = data.titleImage != nullptr ? data.titleImage->Left() : 0;
        dialog->PlaceBeside(form.Left() + imageLeft + frameWidth - 3, form.Top() + frameHeight);
    }

    // A wide comment field for this one showing; the dialog gets its own row back afterwards.
    const int labelLeft = dialog->Entry1Label->Left();
    const int editLeft = dialog->Entry1Edit->Left();
    const int editWidth = dialog->Entry1Edit->Width();
    dialog->Entry1Label->SetLeft(2);
    dialog->Entry1Edit->SetLeft(50);
    dialog->Entry1Edit->SetWidth(225);
    dialog->EntryCount = 1;
    dialog->ShowModal();
    dialog->Entry1Label->SetLeft(labelLeft);
    dialog->Entry1Edit->SetLeft(editLeft);
    dialog->Entry1Edit->SetWidth(editWidth);
    return dialog->Entry1Edit->Text();
}

} // namespace

void TMainForm::ShowUploadForm() {
    TUploadSplitsForm* upload = UploadSplitsForm;
    if (upload == nullptr)
        return;
    upload->PlaceBeside(Left(), Top() + (Height() - ClientHeight()) - 3);
    upload->ShowModal();
    SetAutoUploadSplits(upload->IsUploadReady());
}

void TMainForm::SetAutoUploadSplits(bool on) {
    AutoUploadSplits = on;
    if (AutoUploadSplitsMenuItem != nullptr)
        AutoUploadSplitsMenuItem->SetChecked(on);
}

void TMainForm::AutoUploadSplitsMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    if (CounterPanel != nullptr)
        CounterPanel->Hide();
    // Not stored: the next start sets it again only when the upload dialog ends ready.
    if (AutoUploadSplits) {
        SetAutoUploadSplits(false);
        if (UploadSplitsForm != nullptr)
            UploadSplitsForm->UnregisterSplits();
    } else {
        ShowUploadForm();
        if (AutoUploadSplits && UploadSplitsForm != nullptr)
            UploadSplitsForm->RegisterSplits();
    }
}

void TMainForm::SubmitFinishedRun() {
    TUploadSplitsForm* upload = UploadSplitsForm;
    const FileDataClass& data = *SplitData;
    if (!AutoUploadSplits || !data.IsRunComplete() || upload == nullptr || !upload->IsUploadReady() ||
        upload->ServerComboBox->ItemIndex() <= 0 || upload->Thread != nullptr)
        return;

    std::string comment;
    if (upload->SubmitRunCommentsCheckBox->Checked()) {
        comment = AskRunComment(*this);
        // The comment dialog runs the message loop; the one exchange slot must still be free.
        if (upload->Thread != nullptr)
            return;
    }

    CommunicationThread* worker = upload->CreateWorker();
    if (worker == nullptr)
        return;
    try {
        json::Object& request = worker->Request;
        request["type"] = "submitrun";
        request["username"] = upload->UsernameEdit->Text();
        request["password"] = upload->PasswordEdit->Text();
        request["game"] = SelectedCode(upload->GameListComboBox);
        request["category"] = SelectedCode(upload->GameCategoryComboBox);
        request["version"] = upload->GameVersionEdit->Text();
        if (!comment.empty())
            request["comment"] = comment;
        const size_t rows = data.GetRowCount();
        const size_t current = data.GetColumnCount() - 1; // the run in progress
        request["runtime"] = ServiceTime(data.GetCellTime(rows - 1, current), false);
        json::Array splits;
        for (size_t r = 0; r < rows; ++r)
            splits.Append(ServiceTime(data.GetCellTime(r, current), true)); // a skipped split gives 0.00
        request["splits"] = std::move(splits);
    } catch (...) {
        // A run whose request cannot be built is simply not submitted.
        upload->DropWorker();
        return;
    }
    upload->StartWorker(TUploadSplitsForm::SubmitRunRequest);
}
