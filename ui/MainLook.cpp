// The look of the window, set from the popup menus of its elements: the font of each kind of
// text, the colours of the timer, of differences, of the current row and of the backgrounds, the
// formats of times and differences, and the sizes the layout is computed from. Each popup fills
// a small dialog, shows it modally, applies what it holds, writes its keys, saves "Lapwren.ini"
// once and refreshes what the change touches.

#include "ui/MainUnit.h"

#include "core/TextHelpers.h"
#include "core/TimeText.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"
#include "platform/forms/RadioButton.h"
#include "platform/runtime/Conversions.h"
#include "ui/ColorSettingsUnit.h"
#include "ui/LabelFontUnit.h"
#include "ui/RadioSettingsUnit.h"

#include <algorithm>

namespace {

// The dialogs paint their swatches with the window's colour order of the moment.
bool MainUsesBGR() {
    return MainForm != nullptr && MainForm->UseBGRFormat;
}

// What the font dialog holds when it closes.
struct FontChoice {
    std::string name;
    int size = 0;
    std::string color; // only read when the dialog had a colour row
};

// Where a dialog goes: at an element (over the client area's corner when there is none), or at
// the counter panel's corner.
enum class Place { AtElement, OnCounterPanel };

// Fills the font dialog (with a colour row when color is given), places it, shows it modally and
// reads it back; a size that is not a number takes sizeDefault. False without the dialog.
bool AskFont(TMainForm& form, const std::string& name, int size, const std::string* color, int sizeDefault,
             TControl* element, Place place, FontChoice& choice) {
    TLabelFontForm* dialog = LabelFontForm;
    if (dialog == nullptr)
        return false;
    dialog->UseBGRFormat = MainUsesBGR;
    dialog->FontNameEdit->SetText(name);
    dialog->FontSizeEdit->SetText(IntToString(size));
    if (color != nullptr) {
        dialog->FontColorLabel->SetCaption("Font Color");
        dialog->FontColorEdit->SetText(*color);
    } else {
        dialog->FontColorLabel->SetCaption("");
    }
    dialog->UpdateLayout();
    if (place == Place::OnCounterPanel)
        form.PlaceDialogOnCounterPanel(dialog);
    else
        form.PlaceDialog(dialog, element);
    dialog->ShowModal();
    choice.name = dialog->FontNameEdit->Text();
    choice.size = rt::StrToIntDef(dialog->FontSizeEdit->Text(), sizeDefault);
    if (color != nullptr)
        choice.color = dialog->FontColorEdit->Text();
    return true;
}

// Fills the first rows of the colour dialog (1 to 5) with captions and colour texts, places it,
// shows it modally and reads those rows back. False without the dialog.
bool AskColors(TMainForm& form, const std::vector<TMainForm::SettingEntry>& entries, TControl* element,
               Place place, std::vector<std::string>& texts) {
    TColorSettingsForm* dialog = ColorSettingsForm;
    if (dialog == nullptr || entries.empty() || entries.size() > 5)
        return false;
    dialog->UseBGRFormat = MainUsesBGR;
    TLabel* labels[] = {dialog->Entry1Label, dialog->Entry2Label, dialog->Entry3Label, dialog->Entry4Label,
                        dialog->Entry5Label};
    TEdit* edits[] = {dialog->Entry1Edit, dialog->Entry2Edit, dialog->Entry3Edit, dialog->Entry4Edit,
                      dialog->Entry5Edit};
    for (size_t i = 0; i < entries.size(); ++i) {
        labels[i]->SetCaption(entries[i].caption);
        edits[i]->SetText(entries[i].text);
    }
    dialog->EntryCount = static_cast<int>(entries.size());
    if (place == Place::OnCounterPanel)
        form.PlaceDialogOnCounterPanel(dialog);
    else
        form.PlaceDialog(dialog, element);
    dialog->ShowModal();
    texts.clear();
    for (size_t i = 0; i < entries.size(); ++i)
        texts.push_back(edits[i]->Text());
    return true;
}

// The time-format choice: shows the four formats with the kept one checked and answers the one
// checked when the dialog closes. False without the dialog.
bool AskTimeFormat(TMainForm& form, char mode, char& chosen) {
    TRadioSettingsForm* dialog = RadioSettingsForm;
    if (dialog == nullptr)
        return false;
    dialog->EntryCount = 4;
    dialog->RadioButton1->SetCaption("HH:MM:SS.CC");
    dialog->RadioButton2->SetCaption("MM:SS.CC");
    dialog->RadioButton3->SetCaption("SS.CC");
    dialog->RadioButton4->SetCaption("CC");
    // Any letter but C, M and S (in either case) stands for the full hours form.
    switch (ToUpperCase(std::string(1, mode))[0]) {
    case 'C':
        dialog->RadioButton4->SetChecked(true);
        break;
    case 'M':
        dialog->RadioButton2->SetChecked(true);
        break;
    case 'S':
        dialog->RadioButton3->SetChecked(true);
        break;
    default:
        dialog->RadioButton1->SetChecked(true);
        break;
    }
    form.PlaceDialog(dialog, nullptr);
    dialog->ShowModal();
    chosen = 'H';
    if (dialog->RadioButton2->Checked())
        chosen = 'M';
    if (dialog->RadioButton3->Checked())
        chosen = 'S';
    if (dialog->RadioButton4->Checked())
        chosen = 'C';
    return true;
}

void SetLabelFace(TLabel* label, const std::string& name, int size) {
    // An empty name leaves the label's face as it was.
    label->Font().SetName(name);
    label->Font().SetSize(size);
}

} // namespace

// The table's fonts and sizes are given to its controls when they are made. The clicked item
// belongs to a label of the table and goes with it: nothing of it is used after this.
void TMainForm::RebuildSplitTable() {
    if (!SplitData->HasFile()) {
        UpdateLayout();
        return;
    }
    DestroySplitTable();
    const TUpdateScope building(*this);
    BuildSplitTable();
    UpdateLayout();
}

// --- Font popups ---------------------------------------------------------------------------------

void TMainForm::TimerFontMenuClick(TObject* /*Sender*/) {
    if (TimerLabel == nullptr)
        return;
    FontChoice choice;
    if (!AskFont(*this, TimerLabel->Font().Name(), TimerLabel->Font().Size(), nullptr, 9, TimerLabel,
                 Place::AtElement, choice))
        return;
    // The timer keeps the width of "00:00:00.00" in its new font, and the status line follows.
    TimerLabel->SetAutoSize(true);
    SetLabelFace(TimerLabel, choice.name, choice.size);
    TimerLabel->SetHeight(TimerLabel->Canvas()->TextHeight("Agi"));
    TimerLabel->SetCaption("00:00:00.00");
    if (TimerDiffLabel != nullptr)
        TimerDiffLabel->SetWidth(TimerLabel->Width());
    TimerLabel->SetAutoSize(false);
    // What the label holds now, so that the next rebuild shows the same font.
    TimerFontName = TimerLabel->Font().Name();
    TimerFontSize = TimerLabel->Font().Size();
    Settings->SetString("Layout", "TimerFontName", TimerFontName);
    Settings->SetInt("Layout", "TimerFontSize", TimerFontSize);
    Settings->Save();
    UpdateLayout();
}

void TMainForm::TimerDiffFontMenuClick(TObject* /*Sender*/) {
    if (TimerDiffLabel == nullptr)
        return;
    FontChoice choice;
    if (!AskFont(*this, TimerDiffLabel->Font().Name(), TimerDiffLabel->Font().Size(), nullptr, 9,
                 TimerDiffLabel, Place::AtElement, choice))
        return;
    TimerDiffLabel->SetAutoSize(true);
    SetLabelFace(TimerDiffLabel, choice.name, choice.size);
    TimerDiffLabel->SetHeight(TimerDiffLabel->Canvas()->TextHeight("Agi"));
    TimerDiffLabel->SetAutoSize(false);
    if (TimerLabel != nullptr)
        TimerDiffLabel->SetWidth(TimerLabel->Width());
    TimerDiffFontName = TimerDiffLabel->Font().Name();
    TimerDiffFontSize = TimerDiffLabel->Font().Size();
    Settings->SetString("Layout", "TimerDiffFontName", TimerDiffFontName);
    Settings->SetInt("Layout", "TimerDiffFontSize", TimerDiffFontSize);
    Settings->Save();
    UpdateLayout();
}

void TMainForm::AttemptFontMenuClick(TObject* /*Sender*/) {
    if (AttemptCounterLabel == nullptr)
        return;
    FontChoice choice;
    if (!AskFont(*this, AttemptCounterLabel->Font().Name(), AttemptCounterLabel->Font().Size(),
                 &AttemptCounterFontColor, 9, AttemptCounterLabel, Place::AtElement, choice))
        return;
    SetLabelFace(AttemptCounterLabel, choice.name, choice.size);
    AttemptCounterLabel->Font().SetColor(HexToColor(choice.color, UseBGRFormat));
    for (TLabel* count : {SessionAttemptsLabel, TotalAttemptsLabel}) {
        if (count == nullptr)
            continue;
        count->Font().SetColor(AttemptCounterLabel->Font().Color());
        count->Font().SetName(AttemptCounterLabel->Font().Name());
        count->Font().SetSize(AttemptCounterLabel->Font().Size());
    }
    AttemptCounterFontName = AttemptCounterLabel->Font().Name();
    AttemptCounterFontSize = AttemptCounterLabel->Font().Size();
    AttemptCounterFontColor = choice.color;
    Settings->SetString("Layout", "AttemptCounterFontName", AttemptCounterFontName);
    Settings->SetInt("Layout", "AttemptCounterFontSize", AttemptCounterFontSize);
    Settings->SetString("Layout", "AttemptCounterFontColor", AttemptCounterFontColor);
    Settings->Save();
    UpdateLayout();
}

void TMainForm::FileTitleFontMenuClick(TObject* /*Sender*/) {
    TLabel* title = SplitData->titleLabel;
    FontChoice choice;
    if (!AskFont(*this, TitleFontName, TitleFontSize, &TitleFontColor, 9, title, Place::AtElement, choice))
        return;
    if (title != nullptr) {
        SetLabelFace(title, choice.name, choice.size);
        title->Font().SetColor(HexToColor(choice.color, UseBGRFormat));
        TitleFontName = title->Font().Name();
        TitleFontSize = title->Font().Size();
    } else {
        // Without a title label the values stand as a label would have taken them.
        if (!choice.name.empty())
            TitleFontName = choice.name;
        TitleFontSize = choice.size;
    }
    TitleFontColor = choice.color;
    Settings->SetString("Layout", "TitleFontName", TitleFontName);
    Settings->SetInt("Layout", "TitleFontSize", TitleFontSize);
    Settings->SetString("Layout", "TitleFontColor", TitleFontColor);
    Settings->Save();
    UpdateLayout();
}

void TMainForm::ColHeaderFontMenuClick(TObject* Sender) {
    FontChoice choice;
    if (!AskFont(*this, ColHeaderFontName, ColHeaderFontSize, &ColHeaderFontColor, 8, PopupElement(Sender),
                 Place::AtElement, choice))
        return;
    ColHeaderFontName = choice.name;
    ColHeaderFontSize = choice.size;
    ColHeaderFontColor = choice.color;
    // The headers take the colour when they are placed.
    for (size_t c = 0; c < SplitData->GetColumnCount(); ++c)
        if (TLabel* header = SplitData->GetColumnLabel(c))
            SetLabelFace(header, ColHeaderFontName, ColHeaderFontSize);
    Settings->SetString("Layout", "ColHeaderFontName", ColHeaderFontName);
    Settings->SetInt("Layout", "ColHeaderFontSize", ColHeaderFontSize);
    Settings->SetString("Layout", "ColHeaderFontColor", ColHeaderFontColor);
    Settings->Save();
    UpdateLayout();
}

void TMainForm::RowHeaderFontMenuClick(TObject* Sender) {
    FontChoice choice;
    if (!AskFont(*this, RowHeaderFontName, RowHeaderFontSize, &RowHeaderFontColor, 8, PopupElement(Sender),
                 Place::AtElement, choice))
        return;
    // The layout gives the row headers their font.
    RowHeaderFontName = choice.name;
    RowHeaderFontSize = choice.size;
    RowHeaderFontColor = choice.color;
    Settings->SetString("Layout", "RowHeaderFontName", RowHeaderFontName);
    Settings->SetInt("Layout", "RowHeaderFontSize", RowHeaderFontSize);
    Settings->SetString("Layout", "RowHeaderFontColor", RowHeaderFontColor);
    Settings->Save();
    UpdateLayout();
}

void TMainForm::TimeElementFontMenuClick(TObject* Sender) {
    FontChoice choice;
    if (!AskFont(*this, SplitTimesFontName, SplitTimesFontSize, &SplitTimesFontColor, 8, PopupElement(Sender),
                 Place::AtElement, choice))
        return;
    SplitTimesFontName = choice.name;
    SplitTimesFontSize = choice.size;
    SplitTimesFontColor = choice.color;
    Settings->SetString("Layout", "SplitTimesFontName", SplitTimesFontName);
    Settings->SetInt("Layout", "SplitTimesFontSize", SplitTimesFontSize);
    Settings->SetString("Layout", "SplitTimesFontColor", SplitTimesFontColor);
    Settings->Save();
    RebuildSplitTable();
}

void TMainForm::TimeDiffFontMenuClick(TObject* Sender) {
    FontChoice choice;
    if (!AskFont(*this, SplitDiffFontName, SplitDiffFontSize, nullptr, 8, PopupElement(Sender),
                 Place::AtElement, choice))
        return;
    SplitDiffFontName = choice.name;
    SplitDiffFontSize = choice.size;
    Settings->SetString("Layout", "SplitDiffFontName", SplitDiffFontName);
    Settings->SetInt("Layout", "SplitDiffFontSize", SplitDiffFontSize);
    Settings->Save();
    RebuildSplitTable();
}

void TMainForm::CounterHeaderFontMenuClick(TObject* Sender) {
    FontChoice choice;
    if (!AskFont(*this, PanelHeaderFontName, PanelHeaderFontSize, &PanelHeaderFontColor, 8, nullptr,
                 Place::OnCounterPanel, choice))
        return;
    PanelHeaderFontName = choice.name;
    PanelHeaderFontSize = choice.size;
    PanelHeaderFontColor = choice.color;
    Settings->SetString("Counters", "PanelHeaderFontName", PanelHeaderFontName);
    Settings->SetInt("Counters", "PanelHeaderFontSize", PanelHeaderFontSize);
    Settings->SetString("Counters", "PanelHeaderFontColor", PanelHeaderFontColor);
    Settings->Save();
    // Shown again, laid out with the new fonts (unless the alarm sounds).
    if (CounterPanel != nullptr)
        CounterPanel->Hide();
    CounterPopupMenuItemClick(Sender);
}

void TMainForm::CounterDataFontMenuClick(TObject* Sender) {
    FontChoice choice;
    if (!AskFont(*this, PanelDataFontName, PanelDataFontSize, &PanelDataFontColor, 8, nullptr,
                 Place::OnCounterPanel, choice))
        return;
    PanelDataFontName = choice.name;
    PanelDataFontSize = choice.size;
    PanelDataFontColor = choice.color;
    Settings->SetString("Counters", "PanelDataFontName", PanelDataFontName);
    Settings->SetInt("Counters", "PanelDataFontSize", PanelDataFontSize);
    Settings->SetString("Counters", "PanelDataFontColor", PanelDataFontColor);
    Settings->Save();
    if (CounterPanel != nullptr)
        CounterPanel->Hide();
    CounterPopupMenuItemClick(Sender);
}

// --- Colour popups -------------------------------------------------------------------------------

void TMainForm::FormBGColorMenuClick(TObject* /*Sender*/) {
    std::vector<std::string> texts;
    if (!AskColors(*this, {{"Background Color", BackgroundColor}}, nullptr, Place::AtElement, texts))
        return;
    BackgroundColor = texts[0];
    Settings->SetString("Layout", "BackgroundColor", BackgroundColor);
    Settings->Save();
    SetColor(HexToColor(BackgroundColor, UseBGRFormat));
}

void TMainForm::TimerColorsMenuClick(TObject* /*Sender*/) {
    FileDataClass& data = *SplitData;
    std::vector<std::string> texts;
    if (!AskColors(*this,
                   {{"Negative Timer", data.TimerNegTimeColor},
                    {"Normal Timer", data.TimerNormalColor},
                    {"Small Positive", data.TimerPositiveSmallColor},
                    {"Large Positive", data.TimerPositiveLargeColor}},
                   TimerDiffLabel, Place::AtElement, texts))
        return;
    data.TimerNegTimeColor = texts[0];
    data.TimerNormalColor = texts[1];
    data.TimerPositiveSmallColor = texts[2];
    data.TimerPositiveLargeColor = texts[3];
    Settings->SetString("Layout", "TimerNegTimeColor", data.TimerNegTimeColor);
    Settings->SetString("Layout", "TimerNormalColor", data.TimerNormalColor);
    Settings->SetString("Layout", "TimerPositiveSmallColor", data.TimerPositiveSmallColor);
    Settings->SetString("Layout", "TimerPositiveLargeColor", data.TimerPositiveLargeColor);
    Settings->Save();
    DisplayTimerTimer(nullptr);
    FillTable();
}

void TMainForm::TimerDiffColorsMenuClick(TObject* /*Sender*/) {
    FileDataClass& data = *SplitData;
    std::vector<std::string> texts;
    if (!AskColors(*this,
                   {{"Large Positive", data.DiffPositiveLargeColor},
                    {"Small Positive", data.DiffPositiveSmallColor},
                    {"Zero Difference", data.DiffZeroColor},
                    {"Small Negative", data.DiffNegativeSmallColor},
                    {"Large Negative", data.DiffNegativeLargeColor}},
                   TimerDiffLabel, Place::AtElement, texts))
        return;
    data.DiffPositiveLargeColor = texts[0];
    data.DiffPositiveSmallColor = texts[1];
    data.DiffZeroColor = texts[2];
    data.DiffNegativeSmallColor = texts[3];
    data.DiffNegativeLargeColor = texts[4];
    Settings->SetString("Layout", "DiffPositiveLargeColor", data.DiffPositiveLargeColor);
    Settings->SetString("Layout", "DiffPositiveSmallColor", data.DiffPositiveSmallColor);
    Settings->SetString("Layout", "DiffZeroColor", data.DiffZeroColor);
    Settings->SetString("Layout", "DiffNegativeSmallColor", data.DiffNegativeSmallColor);
    Settings->SetString("Layout", "DiffNegativeLargeColor", data.DiffNegativeLargeColor);
    Settings->Save();
    DisplayTimerTimer(nullptr);
    FillTable();
}

void TMainForm::ColHeaderElapsedColorMenuClick(TObject* Sender) {
    std::vector<std::string> texts;
    if (!AskColors(*this, {{"Elapsed Mode", ColHeaderElapsedFontColor}}, PopupElement(Sender),
                   Place::AtElement, texts))
        return;
    ColHeaderElapsedFontColor = texts[0];
    Settings->SetString("Layout", "ColHeaderElapsedFontColor", ColHeaderElapsedFontColor);
    Settings->Save();
    UpdateLayout();
}

void TMainForm::RowHeaderRowColorsMenuClick(TObject* Sender) {
    std::vector<std::string> texts;
    if (!AskColors(*this,
                   {{"Current Row Color", CurrentRowColor}, {"New Best Split Color", NewBestSplitColor}},
                   PopupElement(Sender), Place::AtElement, texts))
        return;
    CurrentRowColor = texts[0];
    NewBestSplitColor = texts[1];
    Settings->SetString("Layout", "CurrentRowColor", CurrentRowColor);
    Settings->SetString("Layout", "NewBestSplitColor", NewBestSplitColor);
    Settings->Save();
    FillTable();
}

void TMainForm::CounterPanelColorMenuClick(TObject* /*Sender*/) {
    std::vector<std::string> texts;
    if (!AskColors(*this, {{"Panel Color", CounterPanelColor}}, nullptr, Place::OnCounterPanel, texts))
        return;
    CounterPanelColor = texts[0];
    Settings->SetString("Counters", "CounterPanelColor", CounterPanelColor);
    Settings->Save();
    if (CounterPanel != nullptr)
        CounterPanel->SetColor(HexToColor(CounterPanelColor, UseBGRFormat));
}

// --- Time-format popups ----------------------------------------------------------------------------

void TMainForm::TimeFormatModeMenuClick(TObject* /*Sender*/) {
    char mode = 'H';
    if (!AskTimeFormat(*this, TimerTimeFormatMode, mode))
        return;
    TimerTimeFormatMode = mode;
    Settings->SetChar("Layout", "TimerTimeFormatMode", TimerTimeFormatMode);
    Settings->Save();
    UpdateLayout();
}

void TMainForm::DiffTimeFormatModeMenuClick(TObject* /*Sender*/) {
    char mode = 'H';
    if (!AskTimeFormat(*this, TimerDiffTimeFormatMode, mode))
        return;
    TimerDiffTimeFormatMode = mode;
    Settings->SetChar("Layout", "TimerDiffTimeFormatMode", TimerDiffTimeFormatMode);
    Settings->Save();
    UpdateLayout();
}

// --- Size popups -----------------------------------------------------------------------------------

void TMainForm::FormTimerFooterMenuClick(TObject* /*Sender*/) {
    std::vector<std::string> texts;
    if (!AskTexts({{"Timer Area Extra Height", IntToString(TimerAreaExtraHeight)},
                   {"Footer Height", IntToString(FooterHeight)},
                   {"Footer Width", IntToString(FooterWidth)}},
                  nullptr, texts))
        return;
    TimerAreaExtraHeight = rt::StrToIntDef(texts[0], 0);
    FooterHeight = rt::StrToIntDef(texts[1], 0);
    FooterWidth = rt::StrToIntDef(texts[2], 0);
    Settings->SetInt("Window", "TimerAreaExtraHeight", TimerAreaExtraHeight);
    Settings->SetInt("Window", "FooterHeight", FooterHeight);
    Settings->SetInt("Window", "FooterWidth", FooterWidth);
    Settings->Save();
    UpdateLayout();
}

void TMainForm::FormMaxHeightWidthMenuClick(TObject* /*Sender*/) {
    std::vector<std::string> texts;
    if (!AskTexts({{"Max Height", IntToString(MaxHeight)}, {"Max Width", IntToString(MaxWidth)}}, nullptr,
                  texts))
        return;
    // The same limits as the load applies.
    MaxHeight = std::max(200, rt::StrToIntDef(texts[0], 0));
    MaxWidth = std::max(185, rt::StrToIntDef(texts[1], 0));
    Settings->SetInt("Window", "MaxHeight", MaxHeight);
    Settings->SetInt("Window", "MaxWidth", MaxWidth);
    Settings->Save();
    UpdateLayout();
}

void TMainForm::ColHeaderHeightWidthMenuClick(TObject* Sender) {
    std::vector<std::string> texts;
    if (!AskTexts({{"Header Height", IntToString(HeaderColsHeight)},
                   {"Extra Column Width", IntToString(ExtraDataColumnWidth)}},
                  PopupElement(Sender), texts))
        return;
    HeaderColsHeight = rt::StrToIntDef(texts[0], 10);
    ExtraDataColumnWidth = rt::StrToIntDef(texts[1], 10);
    Settings->SetInt("Window", "HeaderColsHeight", HeaderColsHeight);
    Settings->SetInt("Window", "ExtraDataColumnWidth", ExtraDataColumnWidth);
    Settings->Save();
    RebuildSplitTable();
}

void TMainForm::RowHeaderWidthHeightMenuClick(TObject* Sender) {
    std::vector<std::string> texts;
    if (!AskTexts({{"Header Width", IntToString(HeaderColumnWidth)},
                   {"Row Extra Height", IntToString(ExtraRowHeight)},
                   {"Short Row Extra Height", IntToString(ExtraRowHeightShort)},
                   {"Image Size", IntToString(ImageSize)}},
                  PopupElement(Sender), texts))
        return;
    HeaderColumnWidth = rt::StrToIntDef(texts[0], 10);
    ExtraRowHeight = rt::StrToIntDef(texts[1], 10);
    ExtraRowHeightShort = rt::StrToIntDef(texts[2], 10);
    ImageSize = rt::StrToIntDef(texts[3], 10);
    Settings->SetInt("Window", "HeaderColumnWidth", HeaderColumnWidth);
    Settings->SetInt("Window", "ExtraRowHeight", ExtraRowHeight);
    Settings->SetInt("Window", "ExtraRowHeightShort", ExtraRowHeightShort);
    Settings->SetInt("Window", "ImageSize", ImageSize);
    Settings->Save();
    RebuildSplitTable();
}
