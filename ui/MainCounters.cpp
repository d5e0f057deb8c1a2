// Building the user counters from the settings: the counter panel, one Counters menu item and one
// counter object per "C<n>Desc" key, the panel's labels and popup menus, and the menu's closing
// items. Counting itself lives in MainCounting.cpp.

#include "ui/MainUnit.h"

#include "core/TextHelpers.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"
#include "platform/forms/ShortCuts.h"

#include <string>

CounterMenuItemClass::CounterMenuItemClass(TPanel* panel)
    : headerLabel(new TLabel(nullptr)), dataLabel(new TLabel(nullptr)), splitCount(0), runTotal(0) {
    headerLabel->SetParent(panel);
    headerLabel->SetTransparent(true);
    dataLabel->SetParent(panel);
    dataLabel->SetTransparent(true);
}

CounterMenuItemClass::~CounterMenuItemClass() {
    delete headerLabel;
    delete dataLabel;
}

CounterMenuItemClass* TMainForm::CounterOf(TMenuItem* item) {
    return item == nullptr ? nullptr : reinterpret_cast<CounterMenuItemClass*>(item->Tag());
}

void TMainForm::BuildCounterPanel() {
    DeleteCounters();
    CounterCount = 0;
    delete CounterPanel;
    CounterPanel = new TPanel(this);
    CounterPanel->SetName("CounterPanel");
    CounterPanel->SetParent(this);
    CounterPanel->SetVisible(false);
    CounterPanel->SetColor(HexToColor(CounterPanelColor, UseBGRFormat));
    delete CounterPanelPopupMenu;
    CounterPanelPopupMenu = new TPopupMenu(this);
    AddMenuItem(this, CounterPanelPopupMenu->Items(), "Change Counter Panel Color",
                &TMainForm::CounterPanelColorMenuClick);
    CounterPanel->SetPopupMenu(CounterPanelPopupMenu);
}

void TMainForm::BuildCounters() {
    const IniFileClass& ini = *Settings;
    // At most 98 counters: the key number has at most two digits and 99 is never read.
    for (int n = 1; n <= 98; ++n) {
        const std::string number = std::to_string(n);
        const std::string description = ini.GetString("Counters", "C" + number + "Desc", "");
        const std::string hotkey = ini.GetString("Counters", "C" + number + "Hotkey", "");
        if (description.empty())
            break;

        auto* item = new TMenuItem(CountersMenu);
        item->SetName("Counter" + number + "MenuItem");
        item->SetCaption(description);
        item->OnClick = Handler(&TMainForm::CounterItemMenuItemClick);
        item->SetShortCut(TextToShortCut(hotkey));

        auto* counter = new CounterMenuItemClass(CounterPanel);
        counter->description = description;
        counter->splitCount = 0;
        counter->runTotal = 0;
        counter->headerLabel->SetCaption(description);

        auto* headerMenu = new TPopupMenu(this);
        AddMenuItem(headerMenu, headerMenu->Items(), "Change Counter Title Font/Color",
                    &TMainForm::CounterHeaderFontMenuClick);
        counter->headerLabel->SetPopupMenu(headerMenu);
        auto* dataMenu = new TPopupMenu(this);
        AddMenuItem(dataMenu, dataMenu->Items(), "Change Counters Font/Color",
                    &TMainForm::CounterDataFontMenuClick);
        counter->dataLabel->SetPopupMenu(dataMenu);

        item->SetTag(reinterpret_cast<intptr_t>(counter));
        CountersMenu->Add(item);
        ++CounterCount;
    }

    if (CountersMenu->Count() == 0) {
        CountersMenu->SetVisible(false);
        return;
    }
    CountersMenu->SetVisible(true);
    CounterPopupSeparatorMenuItem = AddMenuItem(CountersMenu, CountersMenu, "-", nullptr);
    CounterPopupSeparatorMenuItem->SetName("CounterPopupSeparatorMenuItem");
    CounterPopupMenuItem =
        AddMenuItem(CountersMenu, CountersMenu, "Popup Counters", &TMainForm::CounterPopupMenuItemClick);
    CounterPopupMenuItem->SetName("CounterPopupMenuItem");
    CounterPopupMenuItem->SetShortCut(TextToShortCut(ini.GetString("Counters", "PopupCountersHotkey", "")));
    CounterClearSeparatorMenuItem = AddMenuItem(CountersMenu, CountersMenu, "-", nullptr);
    CounterClearSeparatorMenuItem->SetName("CounterClearSeparatorMenuItem");
    CounterClearSplitMenuItem = AddMenuItem(CountersMenu, CountersMenu, "Clear Split Counters",
                                            &TMainForm::CounterClearMenuItemClick);
    CounterClearSplitMenuItem->SetName("CounterClearSplitMenuItem");
    CounterClearSplitMenuItem->SetShortCut(
        TextToShortCut(ini.GetString("Counters", "ClearSplitCountersHotkey", "")));
}

void TMainForm::DeleteCounters() {
    if (CountersMenu == nullptr)
        return;
    while (CountersMenu->Count() > 0) {
        TMenuItem* item = CountersMenu->Items(CountersMenu->Count() - 1);
        if (CounterMenuItemClass* counter = CounterOf(item)) {
            // The labels' popup menus belong to the form; they go with their counter.
            delete counter->headerLabel->PopupMenu();
            delete counter->dataLabel->PopupMenu();
            delete counter;
            item->SetTag(0);
        }
        delete item;
    }
    CounterPopupSeparatorMenuItem = nullptr;
    CounterPopupMenuItem = nullptr;
    CounterClearSeparatorMenuItem = nullptr;
    CounterClearSplitMenuItem = nullptr;
    CounterCount = 0;
}
