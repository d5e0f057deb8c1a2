// Editing the split table in place: a cell's time and notes, the file's title and title image, a
// row's title and image, a column's title, the "Show Elapsed" and "Make Split Hideable" flags, and
// the structural edits (insert, move, delete) of columns and rows. Each edit shows one of the small
// dialogs over the clicked element where it needs input, changes the split data, writes the split
// file and refreshes the window. None of them passes the alarm or the key-repeat guard.

#include "ui/MainUnit.h"

#include <functional>

#include "core/TimeText.h"
#include "platform/forms/Application.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Image.h"
#include "platform/forms/Label.h"
#include "platform/forms/Memo.h"
#include "platform/forms/Menus.h"
#include "ui/SetDataUnit.h"
#include "ui/TextSettingsUnit.h"

namespace {

// Puts the dialog's top-left corner 3 pixels above and left of the element's, the element being a
// child of the main form placed in its client area.
void PlaceOver(TForm& dialog, const TMainForm& form, const TControl& element) {
    dialog.PlaceBeside(form.Left() + (form.Width() - form.ClientWidth()) + element.Left() - 3,
                       form.Top() + (form.Height() - form.ClientHeight()) + element.Top() - 3);
}

// The index carried by the clicked header; false when there is no table or the index is stale.
bool HeaderIndex(TMainForm& form, TObject* sender, bool ofColumn, size_t& index) {
    TControl* element = TMainForm::PopupElement(sender);
    if (element == nullptr || !form.SplitData || !form.SplitData->HasFile() || element->Tag() < 0)
        return false;
    index = static_cast<size_t>(element->Tag());
    return index < (ofColumn ? form.SplitData->GetColumnCount() : form.SplitData->GetRowCount());
}

void Refuse(const std::string& message) {
    Application.MessageBox(message, "", MB_OK);
}

} // namespace

// --- Cells ---------------------------------------------------------------------------------------

void TMainForm::DataCellDblClick(TObject* Sender) {
    auto* element = dynamic_cast<TControl*>(Sender);
    if (element == nullptr || !SplitData || !SplitData->HasFile() || SetDataForm == nullptr)
        return;
    size_t row = 0;
    size_t column = 0;
    // Decoded with the table's own tag base, so that tables of 100 columns or more name the
    // right cell.
    if (!DecodeCellTag(element->Tag(), row, column))
        return;
    FileDataClass& data = *SplitData;

    // The best splits, and every column shown in elapsed mode, are edited by segment.
    const bool bySegment = column == 0 || data.GetColumnShowElapsed(column);
    const int32_t shownTime = bySegment ? data.GetSegmentTime(row, column) : data.GetCellTime(row, column);
    const std::string shownText = FormatTime(shownTime, true, false, TimerTimeFormatMode);
    SetDataForm->TimeDescLabel->SetCaption(bySegment ? "Elapsed" : "Split Time");
    SetDataForm->TimeEdit->SetText(shownText);
    SetDataForm->NotesMemo->SetText(data.GetCellNotes(row, column));

    // Placed at the time label, also when the command came from the difference label.
    TControl* timeLabel = data.GetCellTimeLabel(row, column);
    PlaceOver(*SetDataForm, *this, timeLabel != nullptr ? *timeLabel : *element);
    SetDataForm->ShowModal();

    const std::string typed = SetDataForm->TimeEdit->Text();
    // A time left as it was shown keeps the cell as it is. A segment shown for a cell next to an
    // empty one reads 0, and storing that 0 back would move this cell and every later one.
    if (typed != shownText) {
        const int32_t time = ParseTime(typed, TimerTimeFormatMode);
        if (bySegment)
            data.SetSegmentAndShift(row, column, time);
        else
            data.SetCellTime(row, column, time);
    }
    data.SetCellNotes(row, column, SetDataForm->NotesMemo->Text());
    data.SaveSplitFile();
    FillTable();
}

void TMainForm::TimeElementTimeNotesMenuClick(TObject* Sender) {
    DataCellDblClick(PopupElement(Sender));
}

// --- Titles and images ---------------------------------------------------------------------------

void TMainForm::FileTitleTitleMenuClick(TObject* Sender) {
    if (!SplitData || !SplitData->HasFile() || TextSettingsForm == nullptr)
        return;
    FileDataClass& data = *SplitData;
    TTextSettingsForm& dialog = *TextSettingsForm;
    dialog.EntryCount = 2;
    dialog.Entry1Label->SetCaption("File Title");
    dialog.Entry1Edit->SetText(data.title);
    dialog.Entry2Label->SetCaption("File Image Name");
    dialog.Entry2Edit->SetText(data.titleImageFileName);
    TControl* element = data.titleLabel != nullptr ? data.titleLabel : PopupElement(Sender);
    if (element != nullptr)
        PlaceOver(dialog, *this, *element);
    dialog.ShowModal();

    data.title = dialog.Entry1Edit->Text();
    const std::string imageName = dialog.Entry2Edit->Text();
    if (imageName != data.titleImageFileName) {
        data.titleImageFileName = imageName;
        delete data.titleImage;
        data.titleImage = nullptr;
        data.titleImage = CreateImage(imageName, this, true);
    }
    data.SaveSplitFile();
    UpdateLayout();
}

void TMainForm::RowHeaderTitleMenuClick(TObject* Sender) {
    size_t row = 0;
    if (!HeaderIndex(*this, Sender, false, row) || TextSettingsForm == nullptr)
        return;
    FileDataClass& data = *SplitData;
    TControl* element = PopupElement(Sender);
    TTextSettingsForm& dialog = *TextSettingsForm;
    dialog.EntryCount = 2;
    dialog.Entry1Label->SetCaption("Row Title");
    dialog.Entry1Edit->SetText(data.GetRowTitle(row));
    dialog.Entry2Label->SetCaption("File Image Name");
    dialog.Entry2Edit->SetText(data.GetRowImageFileName(row));
    PlaceOver(dialog, *this, *element);
    dialog.ShowModal();

    data.SetRowTitle(row, dialog.Entry1Edit->Text());
    const std::string imageName = dialog.Entry2Edit->Text();
    if (imageName != data.GetRowImageFileName(row)) {
        data.SetRowImageFileName(row, imageName);
        delete data.GetRowImage(row);
        data.SetRowImage(row, nullptr);
        data.SetRowImage(row, CreateImage(imageName, this, true));
    }
    data.SaveSplitFile();
    UpdateLayout();
}

void TMainForm::ColHeaderTitleMenuClick(TObject* Sender) {
    size_t column = 0;
    if (!HeaderIndex(*this, Sender, true, column) || TextSettingsForm == nullptr)
        return;
    FileDataClass& data = *SplitData;
    TControl* element = PopupElement(Sender);
    TTextSettingsForm& dialog = *TextSettingsForm;
    dialog.EntryCount = 1;
    // Columns share the caption of the row title dialog.
    dialog.Entry1Label->SetCaption("Row Title");
    dialog.Entry1Edit->SetText(data.GetColumnTitle(column));
    PlaceOver(dialog, *this, *element);
    dialog.ShowModal();

    data.SetColumnTitle(column, dialog.Entry1Edit->Text());
    data.SaveSplitFile();
    UpdateLayout();
}

// --- Flags ---------------------------------------------------------------------------------------

void TMainForm::ColHeaderElapsedMenuClick(TObject* Sender) {
    size_t column = 0;
    if (!HeaderIndex(*this, Sender, true, column))
        return;
    const bool flag = !SplitData->GetColumnShowElapsed(column);
    SplitData->SetColumnShowElapsed(column, flag);
    if (auto* item = dynamic_cast<TMenuItem*>(Sender))
        item->SetChecked(flag);
    // The split file does not keep the flag: nothing to save.
    UpdateLayout();
}

void TMainForm::RowHeaderMakeHideableMenuClick(TObject* Sender) {
    size_t row = 0;
    if (!HeaderIndex(*this, Sender, false, row))
        return;
    const bool flag = !SplitData->IsRowHideable(row);
    SplitData->SetRowHideable(row, flag);
    // The item goes with the table below; its check mark is set while it is still there.
    if (auto* item = dynamic_cast<TMenuItem*>(Sender))
        item->SetChecked(flag);
    SplitData->SaveSplitFile();
    DestroySplitTable();
    const TUpdateScope building(*this);
    BuildSplitTable();
    UpdateLayout();
}

// --- Structural edits ----------------------------------------------------------------------------

namespace {

// The structural sequence around one table edit of the model (which checks its own bounds).
void RebuildAround(TMainForm& form, const std::function<void(FileDataClass&)>& edit) {
    // The controls go first: the table's shape changes under them. The clicked menu item goes
    // with them, so nothing of the sender is used from here on.
    form.DestroySplitTable();
    edit(*form.SplitData);
    form.SplitData->SaveSplitFile();
    const TUpdateScope building(form);
    form.BuildSplitTable();
    form.UpdateLayout();
}

} // namespace

// An insert the split file has no room for is refused before the rebuild, so that the window and
// the file stay as they are.
void TMainForm::ColHeaderInsertBeforeMenuClick(TObject* Sender) {
    size_t c = 0;
    if (HeaderIndex(*this, Sender, true, c) && SplitData->HasRoomForColumn())
        RebuildAround(*this, [c](FileDataClass& data) { data.InsertColumn(c, ""); });
}

void TMainForm::ColHeaderInsertAfterMenuClick(TObject* Sender) {
    size_t c = 0;
    if (HeaderIndex(*this, Sender, true, c) && SplitData->HasRoomForColumn())
        RebuildAround(*this, [c](FileDataClass& data) { data.InsertColumn(c + 1, ""); });
}

void TMainForm::ColHeaderMoveForwardMenuClick(TObject* Sender) {
    size_t c = 0;
    if (HeaderIndex(*this, Sender, true, c))
        RebuildAround(*this, [c](FileDataClass& data) { data.SwapColumns(c, c + 1); });
}

void TMainForm::ColHeaderMoveBackMenuClick(TObject* Sender) {
    size_t c = 0;
    if (HeaderIndex(*this, Sender, true, c) && c > 0)
        RebuildAround(*this, [c](FileDataClass& data) { data.SwapColumns(c, c - 1); });
}

void TMainForm::ColHeaderDeleteRowMenuClick(TObject* Sender) {
    size_t c = 0;
    if (!HeaderIndex(*this, Sender, true, c))
        return;
    const size_t n = SplitData->GetColumnCount();
    if (n <= 2) {
        Refuse("There is no column to delete.");
        return;
    }
    if (c == 0 || c == n - 1) {
        Refuse("Cannot delete the best splits or current column.");
        return;
    }
    RebuildAround(*this, [c](FileDataClass& data) { data.DeleteColumn(c); });
}

void TMainForm::RowHeaderInsertBeforeMenuClick(TObject* Sender) {
    size_t r = 0;
    if (HeaderIndex(*this, Sender, false, r) && SplitData->HasRoomForRow())
        RebuildAround(*this, [r](FileDataClass& data) { data.InsertRow(r, ""); });
}

void TMainForm::RowHeaderInsertAfterMenuClick(TObject* Sender) {
    size_t r = 0;
    if (HeaderIndex(*this, Sender, false, r) && SplitData->HasRoomForRow())
        RebuildAround(*this, [r](FileDataClass& data) { data.InsertRow(r + 1, ""); });
}

void TMainForm::RowHeaderMoveUpMenuClick(TObject* Sender) {
    size_t r = 0;
    if (HeaderIndex(*this, Sender, false, r) && r > 0)
        RebuildAround(*this, [r](FileDataClass& data) { data.SwapRows(r, r - 1); });
}

void TMainForm::RowHeaderMoveDownMenuClick(TObject* Sender) {
    size_t r = 0;
    if (HeaderIndex(*this, Sender, false, r))
        RebuildAround(*this, [r](FileDataClass& data) { data.SwapRows(r, r + 1); });
}

void TMainForm::RowHeaderDeleteRowMenuClick(TObject* Sender) {
    size_t r = 0;
    if (!HeaderIndex(*this, Sender, false, r))
        return;
    const size_t m = SplitData->GetRowCount();
    if (m <= 1) {
        Refuse("There must be at least 1 row.");
        return;
    }
    if (r == m - 1 && SplitData->GetCurrentSplit() == r) {
        Refuse("Cannot delete the last row when it is the next split.");
        return;
    }
    RebuildAround(*this, [r](FileDataClass& data) { data.DeleteRow(r); });
}
