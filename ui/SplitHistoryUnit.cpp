// The split history window as designed: the sentence "Show [split] for the last [N] [range]"
// across the top, the chart below it, the reset statistics at the bottom.

#include "ui/SplitHistoryUnit.h"

#include <algorithm>
#include <cstdint>

#include "core/FileDataClass.h"
#include "core/TimeText.h"
#include "platform/forms/Chart.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/runtime/Conversions.h"
#include "ui/MainUnit.h"

TSplitHistoryForm* SplitHistoryForm = nullptr;

TSplitHistoryForm::TSplitHistoryForm(TComponent* owner) : TForm(owner) {
    SetName("SplitHistoryForm");
    SetCaption("Split History");
    SetBorderStyle(bsSizeToolWin);
    SetBorderIcons(biSystemMenu);
    SetPosition(poScreenCenter);
    SetColor(clBtnFace);
    SetKeyPreview(true);
    SetWidth(500);
    SetHeight(500);

    Label2 = new TLabel(this);
    Label2->SetName("Label2");
    Label2->SetParent(this);
    Label2->SetLeft(2);
    Label2->SetTop(4);
    Label2->SetCaption("Show");

    SplitComboBox = new TComboBox(this);
    SplitComboBox->SetName("SplitComboBox");
    SplitComboBox->SetParent(this);
    SplitComboBox->SetStyle(csDropDownList);
    SplitComboBox->SetLeft(32);
    SplitComboBox->SetTop(0);
    SplitComboBox->SetWidth(175);
    SplitComboBox->OnChange = [this](TObject* sender) { SplitComboBoxChange(sender); };

    Label1 = new TLabel(this);
    Label1->SetName("Label1");
    Label1->SetParent(this);
    Label1->SetLeft(212);
    Label1->SetTop(4);
    Label1->SetCaption("for the last");

    NumberEdit = new TEdit(this);
    NumberEdit->SetName("NumberEdit");
    NumberEdit->SetParent(this);
    NumberEdit->SetLeft(266);
    NumberEdit->SetTop(0);
    NumberEdit->SetWidth(50);
    NumberEdit->SetText("1");
    NumberEdit->OnChange = [this](TObject* sender) { NumberEditChange(sender); };

    RangeComboBox = new TComboBox(this);
    RangeComboBox->SetName("RangeComboBox");
    RangeComboBox->SetParent(this);
    RangeComboBox->SetStyle(csDropDownList);
    RangeComboBox->SetLeft(320);
    RangeComboBox->SetTop(0);
    RangeComboBox->SetWidth(70);
    for (const char* range : {"Run(s)", "Day(s)", "Week(s)", "Month(s)", "Year(s)"})
        RangeComboBox->Items()->Add(range);
    RangeComboBox->SetItemIndex(3);
    RangeComboBox->OnChange = [this](TObject* sender) { RangeComboBoxChange(sender); };

    // The chart itself is made when the graph is first drawn (CreateChart): most runs of the
    // program never show it, and its view costs memory from start-up to the end.
    Series1 = new TLineSeries(this);
    Series1->SetName("Series1");
    Series1->SetSeriesColor(clRed);

    ResetStatsLabel = new TLabel(this);
    ResetStatsLabel->SetName("ResetStatsLabel");
    ResetStatsLabel->SetParent(this);
    ResetStatsLabel->SetAutoSize(false);
    ResetStatsLabel->SetAlignment(taCenter);
    ResetStatsLabel->SetLeft(0);
    ResetStatsLabel->SetTop(460);
    ResetStatsLabel->SetWidth(490);

    OnActivate = [this](TObject* sender) { FormActivate(sender); };
    OnKeyPress = [this](TObject* sender, char& key) { FormKeyPress(sender, key); };
}

namespace {

enum Range { kRuns, kDays, kWeeks, kMonths, kYears };

// Further back than any four-digit stamp of a log can be: a larger count is cut down to this, so
// that the month arithmetic cannot overflow.
constexpr int64_t kMostMonthsBack = 12 * 10000;

// The local date and time n days, weeks, months or years before now.
rt::TDateTime CutOff(int range, int n, rt::TDateTime now) {
    const rt::TDateTime earliest = rt::EncodeDateTime(1, 1, 1, 0, 0, 0);
    rt::TDateTime date = now;
    switch (range) {
    case kDays:
        date = now - n;
        break;
    case kWeeks:
        date = now - 7.0 * n;
        break;
    case kMonths:
    case kYears: {
        const int64_t months = std::min<int64_t>(int64_t(n) * (range == kYears ? 12 : 1), kMostMonthsBack);
        date = rt::IncMonth(now, static_cast<int>(-months));
        break;
    }
    default:
        break;
    }
    return std::max(date, earliest);
}

} // namespace

void TSplitHistoryForm::CreateChart() {
    if (Chart != nullptr)
        return;
    Chart = new TChart(this);
    Chart->SetName("Chart");
    Chart->SetParent(this);
    Chart->SetBounds(0, 24, 476, 433);
    Chart->SetAnchors(akLeft | akTop | akRight | akBottom);
    Series1->SetParentChart(Chart);
}

void TSplitHistoryForm::RefreshChart() {
    CreateChart();
    Series1->Clear();

    static const HistoryDataListClass noHistory;
    const FileDataClass* data = MainForm != nullptr ? MainForm->SplitData.get() : nullptr;
    const HistoryDataListClass& history = data != nullptr ? data->history : noHistory;
    const int64_t rowCount = data != nullptr ? static_cast<int64_t>(data->GetRowCount()) : 0;
    const char mode = MainForm != nullptr ? MainForm->TimerTimeFormatMode : 'H';

    // The last item is the whole run: its value is the final time. Any other item is a split,
    // whose value is its segment.
    const int selected = SplitComboBox->ItemIndex();
    const bool wholeRun = selected == SplitComboBox->Items()->Count() - 1;
    const int64_t index = wholeRun ? rowCount - 1 : selected;

    int n = rt::StrToIntDef(NumberEdit->Text(), 1);
    if (n < 1)
        n = 1;

    const int64_t count = history.Count();
    int64_t first;
    const int range = RangeComboBox->ItemIndex();
    if (range == kRuns) {
        first = std::max<int64_t>(count - n, 0);
    } else {
        // The cut-off is a local date, while the log's day keys are UTC days.
        const std::string key = rt::FormatDateTime("yyyymmdd", CutOff(range, n, rt::Now()));
        const int32_t found = history.FindDay(key);
        first = found < 0 ? count : found;
    }

    // No split to show (a table without rows) plots nothing.
    if (index >= 0) {
        for (int64_t i = first; i < count; ++i) {
            const HistoryDataClass* run = history.Item(static_cast<unsigned>(i));
            const std::vector<int32_t>& times = run->times;
            if (static_cast<int64_t>(times.size()) <= index)
                continue;
            // A skipped split is logged as 0 and used as it is.
            int64_t value = times[size_t(index)];
            if (!wholeRun && index > 0)
                value -= times[size_t(index - 1)];
            Series1->Add(static_cast<double>(value) * 0.01, run->dateText);
        }
    }
    // A chart needs two points to be drawn.
    while (Series1->Count() < 2)
        Series1->Add(0.0, "");

    const int32_t total = history.totalRuns;
    const int32_t resets = history.resetRuns;
    std::string share = "0.0";
    if (total != 0)
        share = rt::FormatFloat("0.0", static_cast<double>(resets) * 100 / total);
    std::string average = "0.0";
    if (resets != 0)
        average = FormatTime(static_cast<int32_t>(history.resetTime / resets), true, false, mode);
    ResetStatsLabel->SetCaption("Reset " + IntToString(resets) + " out of " + IntToString(total) + " runs (" +
                                share + "%)          Average Reset Time: " + average);
}

void TSplitHistoryForm::FormActivate(TObject* /*Sender*/) {
    SplitComboBox->SetFocus();
}

void TSplitHistoryForm::FormKeyPress(TObject* /*Sender*/, char& Key) {
    if (Key == 27) {
        Key = 0;
        Close();
    }
}

void TSplitHistoryForm::SplitComboBoxChange(TObject* /*Sender*/) {
    RefreshChart();
}

void TSplitHistoryForm::NumberEditChange(TObject* /*Sender*/) {
    RefreshChart();
}

void TSplitHistoryForm::RangeComboBoxChange(TObject* /*Sender*/) {
    RefreshChart();
}
