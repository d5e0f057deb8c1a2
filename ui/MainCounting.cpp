// The user counters at work: counting an event, the menu captions, clearing and rebuilding the
// counts after a split, skip, undo or reset, and the counter panel in its two arrangements.
// Building the counters from the settings and deleting them live with the settings load.

#include "ui/MainUnit.h"

#include "core/TextHelpers.h"
#include "core/TimeText.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"

namespace {

// "(split / total) description" while the run has counted this event, else the description.
std::string CounterCaption(const CounterMenuItemClass& counter) {
    if (counter.runTotal == 0)
        return counter.description;
    std::string caption = "(";
    caption += IntToString(counter.splitCount);
    caption += " / ";
    caption += IntToString(counter.runTotal);
    caption += ") ";
    caption += counter.description;
    return caption;
}

} // namespace

void TMainForm::CounterItemMenuItemClick(TObject* Sender) {
    if (AcknowledgeAlarm())
        return;
    if (CounterPanel != nullptr)
        CounterPanel->Hide();
    if (!SplitData || SplitData->IsTimerZero())
        return;
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    CounterMenuItemClass* counter = item != nullptr ? CounterOf(item) : nullptr;
    if (counter == nullptr)
        return;
    counter->splitCount += 1;
    counter->runTotal += 1;
    item->SetCaption(CounterCaption(*counter));
}

void TMainForm::CounterClearMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    if (CounterPanel != nullptr)
        CounterPanel->Hide();
    ResetCounters(false);
}

void TMainForm::ResetCounters(bool alsoTotals) {
    if (CountersMenu == nullptr)
        return;
    for (int i = 0; i < CountersMenu->Count(); ++i) {
        TMenuItem* item = CountersMenu->Items(i);
        CounterMenuItemClass* counter = CounterOf(item);
        if (counter == nullptr)
            continue;
        counter->splitCount = 0;
        if (alsoTotals)
            counter->runTotal = 0;
        item->SetCaption(CounterCaption(*counter));
    }
}

void TMainForm::RestoreSplitCounters() {
    if (CountersMenu == nullptr || !SplitData || CounterCount <= 0)
        return;
    std::vector<int32_t> sums(static_cast<size_t>(CounterCount), 0);
    CounterCountList counts;
    for (size_t r = 0; r < SplitData->GetCurrentSplit(); ++r) {
        counts.clear();
        SplitData->GetRowCounterCounts(r, counts);
        for (size_t j = 0; j < counts.size() && j < sums.size(); ++j)
            sums[j] += counts[j];
    }
    for (int i = 0; i < CounterCount && i < CountersMenu->Count(); ++i) {
        TMenuItem* item = CountersMenu->Items(i);
        CounterMenuItemClass* counter = CounterOf(item);
        if (counter == nullptr)
            continue;
        counter->runTotal = sums[static_cast<size_t>(i)];
        item->SetCaption(CounterCaption(*counter));
    }
}

void TMainForm::CounterPopupMenuItemClick(TObject* /*Sender*/) {
    if (AcknowledgeAlarm())
        return;
    if (CounterPanel == nullptr || CountersMenu == nullptr)
        return;
    // The command toggles the panel; without a split file there is nothing to show.
    if (CounterPanel->Visible() || !SplitData || !SplitData->HasFile()) {
        CounterPanel->Hide();
        return;
    }

    int top;
    int left;
    if (HorizontalMode) {
        top = 10;
        left = (TimerLabel != nullptr ? TimerLabel->Width() : 0) + 20;
    } else {
        top = TimerAreaHeight + 10;
        left = 10;
    }
    CounterPanel->SetBounds(left, top, ClientWidth() - left - 10, ClientHeight() - top - 10);

    TFont headerFont;
    headerFont.SetName(PanelHeaderFontName);
    headerFont.SetSize(PanelHeaderFontSize);
    headerFont.SetColor(HexToColor(PanelHeaderFontColor, UseBGRFormat));
    TFont dataFont;
    dataFont.SetName(PanelDataFontName);
    dataFont.SetSize(PanelDataFontSize);
    dataFont.SetColor(HexToColor(PanelDataFontColor, UseBGRFormat));
    const int lineHeight = std::max(TextHeight(dataFont, "Agi"), TextHeight(headerFont, "Agi"));
    const int numbersWidth = TextWidth(dataFont, "999 / 999");

    int x = 10;
    for (int i = 0; i < CountersMenu->Count(); ++i) {
        CounterMenuItemClass* counter = CounterOf(CountersMenu->Items(i));
        if (counter == nullptr)
            continue;
        TLabel* header = counter->headerLabel;
        TLabel* numbers = counter->dataLabel;
        header->Font().Assign(headerFont);
        numbers->Font().Assign(dataFont);
        std::string numbersText = IntToString(counter->splitCount);
        numbersText += " / ";
        numbersText += IntToString(counter->runTotal);
        numbers->SetCaption(numbersText);
        if (HorizontalMode) {
            header->SetTop(CounterPanel->Height() / 2 - lineHeight);
            header->SetLeft(x);
            numbers->SetTop(header->Top() + lineHeight + 3);
            numbers->SetLeft(header->Left() + header->Width() / 2 - numbers->Width() / 2);
            x += TextWidth(headerFont, header->Caption()) + 10;
        } else {
            header->SetTop(i * (lineHeight + 10) + 10);
            numbers->SetTop(header->Top());
            numbers->SetLeft(10);
            header->SetLeft(numbersWidth + 10);
        }
    }
    CounterPanel->Show();
}
