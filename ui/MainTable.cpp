// The controls of the timer area and of the split table: created at run time with their fonts,
// alignment, sizes, tags and popup menus, and destroyed as a whole when the table's shape or a
// picture changes. Where they go is MainLayout.cpp; what they show is MainDisplay.cpp.

#include "ui/MainUnit.h"

#include <algorithm>
#include <functional>

#include "core/TextHelpers.h"
#include "platform/forms/Image.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Timer.h"
#include "platform/runtime/TextFile.h"

namespace {

using Method = void (TMainForm::*)(TObject*);

void SetLabelFont(TLabel* label, const std::string& colour, bool bgr, const std::string& name, int size) {
    label->Font().SetColor(HexToColor(colour, bgr));
    label->Font().SetName(name);
    label->Font().SetSize(size);
}

// The largest whole number of text lines of height h that fits in the given height, but one line
// at least: a label lower than a line of its font would show nothing. The layout gives the rows
// and the header band room for that line.
int WholeLines(int h, int height) {
    if (h <= 0)
        return 0;
    return h * std::max(1, height / h);
}

} // namespace

// --- Pictures ------------------------------------------------------------------------------------

TImage* TMainForm::CreateImage(const std::string& fileName, TControl* parent, bool scaled,
                               PictureShare* shared) {
    if (fileName.empty())
        return nullptr;
    std::string name = fileName;
    if (!rt::FileExists(name)) {
        // A picture given relative to the split file's folder.
        if (!name.empty() && (name[0] == '/' || name[0] == '\\'))
            name.erase(0, 1);
        name = (SplitData ? SplitData->GetDirectory() : std::string()) + name;
        if (!rt::FileExists(name))
            return nullptr;
    }
    auto* image = new TImage(this);
    image->SetParent(parent);
    if (scaled) {
        image->SetStretch(true);
        image->SetProportional(true);
    }
    image->SetHeight(ImageSize);
    image->SetWidth(image->Height());
    const auto known = shared != nullptr ? shared->find(name) : PictureShare::iterator();
    bool loaded;
    if (shared != nullptr && known != shared->end()) {
        loaded = known->second != nullptr;
        if (loaded)
            image->Picture()->Assign(*known->second->Picture());
    } else {
        // The picture loader picks JPEG or the image reader from the name's ending itself.
        loaded = image->Picture()->LoadFromFile(name);
        if (shared != nullptr)
            (*shared)[name] = loaded ? image : nullptr;
    }
    if (!loaded) {
        delete image;
        return nullptr;
    }
    return image;
}

// --- Cell tags -----------------------------------------------------------------------------------

int TMainForm::CellTagBase() const {
    // 100 as long as every column index has two digits; wider tables take the next power of ten
    // so that row * base + column still names one cell.
    const size_t columns = SplitData ? SplitData->GetColumnCount() : 0;
    int base = 100;
    while (static_cast<size_t>(base) < columns)
        base *= 10;
    return base;
}

intptr_t TMainForm::CellTag(size_t row, size_t column) const {
    return static_cast<intptr_t>(row) * CellTagBase() + static_cast<intptr_t>(column);
}

bool TMainForm::DecodeCellTag(intptr_t tag, size_t& row, size_t& column) const {
    if (!SplitData || tag < 0)
        return false;
    const intptr_t base = CellTagBase();
    const size_t r = static_cast<size_t>(tag / base);
    const size_t c = static_cast<size_t>(tag % base);
    if (r >= SplitData->GetRowCount() || c >= SplitData->GetColumnCount())
        return false;
    row = r;
    column = c;
    return true;
}

TControl* TMainForm::PopupElement(TObject* Sender) {
    if (auto* item = dynamic_cast<TMenuItem*>(Sender)) {
        auto* menu = dynamic_cast<TPopupMenu*>(item->GetParentMenu());
        return menu != nullptr ? menu->PopupComponent() : nullptr;
    }
    return dynamic_cast<TControl*>(Sender);
}

// --- Timer area ----------------------------------------------------------------------------------

void TMainForm::BuildTimerArea() {
    BackgroundImage = CreateImage(BackgroundFileName, this, false);

    auto newLabel = [this](const char* name) {
        auto* label = new TLabel(this);
        label->SetName(name);
        label->SetParent(this);
        label->SetTransparent(true);
        return label;
    };
    auto newMenu = [this](const std::vector<std::pair<const char*, Method>>& items) {
        auto* menu = new TPopupMenu(this);
        for (const auto& [caption, method] : items)
            AddMenuItem(menu, menu->Items(), caption, method);
        return menu;
    };

    TimerLabel = newLabel("TimerLabel");
    TimerPopupMenu = newMenu({{"Change Timer Font", &TMainForm::TimerFontMenuClick},
                              {"Change Timer Colors", &TMainForm::TimerColorsMenuClick},
                              {"Change Timer Time Format", &TMainForm::TimeFormatModeMenuClick},
                              {"Change Timer Start Offset", &TMainForm::TimerOffsetMenuClick},
                              {"Timer Mode Alarm", &TMainForm::TimerModeAlarmMenuClick}});
    TimerLabel->SetPopupMenu(TimerPopupMenu);

    TimerDiffLabel = newLabel("TimerDiffLabel");
    TimerDiffPopupMenu =
        newMenu({{"Change Diff Font", &TMainForm::TimerDiffFontMenuClick},
                 {"Change Diff Colors", &TMainForm::TimerDiffColorsMenuClick},
                 {"Change Diff Time Format", &TMainForm::DiffTimeFormatModeMenuClick},
                 {"Status Messages", &TMainForm::TimerDiffStatusMenuClick},
                 {"Change Zero Diff && Small Diff", &TMainForm::TimerDiffZeroSmallMenuClick}});
    TimerDiffLabel->SetPopupMenu(TimerDiffPopupMenu);

    AttemptCounterLabel = newLabel("AttemptCounterLabel");
    AttemptCounterLabel->SetCaption("Attempts");
    SessionAttemptsLabel = newLabel("SessionAttemptsLabel");
    TotalAttemptsLabel = newLabel("TotalAttemptsLabel");
    AttemptPopupMenu = newMenu({{"Change Font/Color", &TMainForm::AttemptFontMenuClick},
                                {"Change Total Attempts", &TMainForm::AttemptTotalMenuClick}});
    AttemptCounterLabel->SetPopupMenu(AttemptPopupMenu);
    SessionAttemptsLabel->SetPopupMenu(AttemptPopupMenu);
    TotalAttemptsLabel->SetPopupMenu(AttemptPopupMenu);

    SetColor(HexToColor(BackgroundColor, UseBGRFormat));

    TimerLabel->Font().SetName(TimerFontName);
    TimerLabel->Font().SetSize(TimerFontSize);
    TimerDiffLabel->Font().SetName(TimerDiffFontName);
    TimerDiffLabel->Font().SetSize(TimerDiffFontSize);
    SetLabelFont(AttemptCounterLabel, AttemptCounterFontColor, UseBGRFormat, AttemptCounterFontName,
                 AttemptCounterFontSize);
    SessionAttemptsLabel->SetFont(AttemptCounterLabel->Font());
    TotalAttemptsLabel->SetFont(AttemptCounterLabel->Font());

    if (TimerOnLeftMenuItem != nullptr) {
        TimerOnLeftMenuItem->SetChecked(TimerOnLeft);
        TimerOnTopMenuItem->SetChecked(TimerOnTop);
        HorizontalSplitsMenuItem->SetChecked(HorizontalMode);
        ReverseWheelMenuItem->SetChecked(ReverseMouseScroll);
    }
    HideAttemptCountersMenuItem->SetChecked(HideAttemptCounters);
    HideBestSplitsMenuItem->SetChecked(HideBestSplits);
    HideCurrentSplitsMenuItem->SetChecked(HideCurrentSplits);
    HideDifferenceRowsMenuItem->SetChecked(HideDiffRows);
    HideHideableRowsMenuItem->SetChecked(HideHideableRows);

    ScrollExtent = 0;
    ScrollOffset = 0;
    for (TLabel* label :
         {TimerLabel, TimerDiffLabel, AttemptCounterLabel, SessionAttemptsLabel, TotalAttemptsLabel}) {
        label->SetVisible(false);
        label->SetVisible(true);
    }

    // The timer keeps the width of "00:00:00.00" in its font; the status line takes that width.
    TimerLabel->SetAlignment(taRightJustify);
    TimerLabel->SetAutoSize(true);
    TimerLabel->SetCaption("00:00:00.00");
    TimerLabel->SetAutoSize(false);
    TimerDiffLabel->SetAlignment(taRightJustify);
    TimerDiffLabel->SetAutoSize(false);
    TimerDiffLabel->SetWidth(TimerLabel->Width());

    {
        const TUpdateScope building(*this);
        if (SplitData && SplitData->HasFile())
            BuildSplitTable();
        UpdateLayout();
    }
    DisplayTimerTimer(nullptr);
    DisplayTimer->SetEnabled(true);
}

void TMainForm::RebuildDisplay() {
    DisplayTimer->SetEnabled(false);
    delete BackgroundImage;
    BackgroundImage = nullptr;
    FreeTimerArea();
    if (SplitData && SplitData->HasFile())
        DestroySplitTable();
    BuildTimerArea();
    DisplayTimer->SetEnabled(true);
}

// --- Split table ---------------------------------------------------------------------------------

void TMainForm::DestroySplitTable() {
    if (BackgroundImage != nullptr)
        BackgroundImage->SetVisible(false);
    if (!SplitData)
        return;
    FileDataClass& data = *SplitData;
    // The labels share the table's popup menus, which stay for the next table.
    delete data.titleLabel;
    data.titleLabel = nullptr;
    delete data.titleImage;
    data.titleImage = nullptr;
    for (size_t c = 0; c < data.GetColumnCount(); ++c) {
        delete data.GetColumnLabel(c);
        data.SetColumnLabel(c, nullptr);
    }
    for (size_t r = 0; r < data.GetRowCount(); ++r) {
        delete data.GetRowLabel(r);
        data.SetRowLabel(r, nullptr);
        delete data.GetRowImage(r);
        data.SetRowImage(r, nullptr);
        for (size_t c = 0; c < data.GetColumnCount(); ++c) {
            delete data.GetCellTimeLabel(r, c);
            data.SetCellTimeLabel(r, c, nullptr);
            delete data.GetCellDiffLabel(r, c);
            data.SetCellDiffLabel(r, c, nullptr);
        }
    }
}

namespace {

struct PopupEntry {
    const char* caption;
    bool present;
    Method method;
    bool checkItem = false;
    bool checked = false;
};

} // namespace

void TMainForm::MakeTablePopupMenus() {
    if (TitlePopupMenu != nullptr)
        return;
    // The labels of one kind share a menu whose items are made as it opens, for the label it
    // opens on: a table of thousands of labels holds no items, and each element still offers
    // exactly its own, with its own checks.
    using Entries = std::function<std::vector<PopupEntry>(const TControl& element)>;
    auto newMenu = [this](const Entries& entries) {
        auto* menu = new TPopupMenu(this);
        menu->OnPopup = [this, menu, entries](TObject*) {
            menu->Items()->Clear();
            const TControl* element = menu->PopupComponent();
            if (element == nullptr || !SplitData)
                return;
            for (const PopupEntry& entry : entries(*element)) {
                if (!entry.present)
                    continue;
                TMenuItem* item = AddMenuItem(menu, menu->Items(), entry.caption, entry.method);
                if (entry.checkItem)
                    item->SetChecked(entry.checked);
            }
        };
        return menu;
    };

    TitlePopupMenu = newMenu([](const TControl&) {
        return std::vector<PopupEntry>{{"Change Font/Color", true, &TMainForm::FileTitleFontMenuClick},
                                       {"Change Title/Image", true, &TMainForm::FileTitleTitleMenuClick}};
    });

    ColumnHeaderPopupMenu = newMenu([this](const TControl& header) {
        const size_t n = SplitData->GetColumnCount();
        const size_t i = static_cast<size_t>(header.Tag());
        const bool inner = i > 0 && i + 1 < n; // neither the best nor the current-run column
        return std::vector<PopupEntry>{
            {"Change Header Font/Color", true, &TMainForm::ColHeaderFontMenuClick},
            {"Change Elapsed Mode Color", true, &TMainForm::ColHeaderElapsedColorMenuClick},
            {"Change Title", inner, &TMainForm::ColHeaderTitleMenuClick},
            {"Change Header Height/Width", true, &TMainForm::ColHeaderHeightWidthMenuClick},
            {"-", true, nullptr},
            {"Show Elapsed", true, &TMainForm::ColHeaderElapsedMenuClick, true,
             SplitData->GetColumnShowElapsed(i)},
            {"-", n > 3, nullptr},
            {"Move Column Forward", n > 3 && i > 0 && i + 2 < n, &TMainForm::ColHeaderMoveForwardMenuClick},
            {"Move Column Back", n > 3 && i > 1 && i + 1 < n, &TMainForm::ColHeaderMoveBackMenuClick},
            {"-", true, nullptr},
            {"Insert Column Before", i > 0, &TMainForm::ColHeaderInsertBeforeMenuClick},
            {"Insert Column After", i + 1 < n, &TMainForm::ColHeaderInsertAfterMenuClick},
            {"-", n > 2 && inner, nullptr},
            {"Delete Column", n > 2 && inner, &TMainForm::ColHeaderDeleteRowMenuClick}};
    });

    RowHeaderPopupMenu = newMenu([this](const TControl& header) {
        const size_t m = SplitData->GetRowCount();
        const size_t j = static_cast<size_t>(header.Tag());
        return std::vector<PopupEntry>{
            {"Change Header Font/Color", true, &TMainForm::RowHeaderFontMenuClick},
            {"Change Current Row && New Best Split Color", true, &TMainForm::RowHeaderRowColorsMenuClick},
            {"Change Title/Image", true, &TMainForm::RowHeaderTitleMenuClick},
            {"Header Width / Row && Image Height", true, &TMainForm::RowHeaderWidthHeightMenuClick},
            {"Make Split Hideable", true, &TMainForm::RowHeaderMakeHideableMenuClick, true,
             SplitData->IsRowHideable(j)},
            {"-", m > 1, nullptr},
            {"Move Row Up", m > 1 && j > 0, &TMainForm::RowHeaderMoveUpMenuClick},
            {"Move Row Down", m > 1 && j + 1 < m, &TMainForm::RowHeaderMoveDownMenuClick},
            {"-", true, nullptr},
            {"Insert Row Before", true, &TMainForm::RowHeaderInsertBeforeMenuClick},
            {"Insert Row After", true, &TMainForm::RowHeaderInsertAfterMenuClick},
            {"-", m > 1, nullptr},
            {"Delete Row", m > 1, &TMainForm::RowHeaderDeleteRowMenuClick}};
    });

    TimeLabelPopupMenu = newMenu([](const TControl&) {
        return std::vector<PopupEntry>{
            {"Change Font/Color", true, &TMainForm::TimeElementFontMenuClick},
            {"Change Time/Notes", true, &TMainForm::TimeElementTimeNotesMenuClick}};
    });

    DiffLabelPopupMenu = newMenu([this](const TControl& cell) {
        size_t row = 0;
        size_t column = 0;
        const bool best = DecodeCellTag(cell.Tag(), row, column) && column == 0;
        return std::vector<PopupEntry>{
            {"Change Font/Color", true, &TMainForm::TimeDiffFontMenuClick},
            {"Min Elapsed For Best Split", best, &TMainForm::TimeDiffMinElapsedMenuClick},
            {"Change Time/Notes", true, &TMainForm::TimeElementTimeNotesMenuClick}};
    });
}

void TMainForm::BuildSplitTable() {
    if (!SplitData)
        return;
    FileDataClass& data = *SplitData;
    // The labels get their widgets when the update ends, and only those in sight: the callers
    // hold the update through the layout that follows.
    const TUpdateScope placing(*this);
    if (BackgroundImage != nullptr)
        BackgroundImage->SetVisible(true);
    const int rowBase = HideDiffRows ? ShortRowHeight : RowHeight;
    const size_t n = data.GetColumnCount();
    const size_t m = data.GetRowCount();
    MakeTablePopupMenus();

    auto* title = new TLabel(this);
    title->SetParent(this);
    title->SetTransparent(true);
    title->SetWidth(HeaderColumnWidth);
    title->SetAutoSize(false);
    SetLabelFont(title, TitleFontColor, UseBGRFormat, TitleFontName, TitleFontSize);
    title->SetCaption("Agi");
    title->SetHeight(WholeLines(title->Canvas()->TextHeight("Agi"), HeaderColsHeight));
    title->SetWordWrap(true);
    data.titleLabel = title;
    title->SetPopupMenu(TitlePopupMenu);

    // Every picture of the table is drawn at the same size: rows naming one file share it.
    PictureShare pictures;
    data.titleImage = CreateImage(data.titleImageFileName, this, true, &pictures);

    for (size_t i = 0; i < n; ++i) {
        auto* header = new TLabel(this);
        header->SetParent(this);
        header->SetTransparent(true);
        header->SetAutoSize(false);
        SetLabelFont(header, ColHeaderFontColor, UseBGRFormat, ColHeaderFontName, ColHeaderFontSize);
        header->SetHeight(WholeLines(header->Canvas()->TextHeight("Agi"), rowBase));
        header->SetWordWrap(true);
        header->SetTag(static_cast<intptr_t>(i));
        data.SetColumnLabel(i, header);
        if (DefaultElapsedMode)
            data.SetColumnShowElapsed(i, true);
        header->SetPopupMenu(ColumnHeaderPopupMenu);
    }

    for (size_t j = 0; j < m; ++j) {
        auto* header = new TLabel(this);
        header->SetParent(this);
        header->SetAutoSize(false);
        header->SetTransparent(true);
        SetLabelFont(header, RowHeaderFontColor, UseBGRFormat, RowHeaderFontName, RowHeaderFontSize);
        header->SetHeight(WholeLines(header->Canvas()->TextHeight("Agi"), rowBase));
        header->SetWordWrap(true);
        header->SetTag(static_cast<intptr_t>(j));
        data.SetRowLabel(j, header);
        header->SetPopupMenu(RowHeaderPopupMenu);
        data.SetRowImage(j, CreateImage(data.GetRowImageFileName(j), this, true, &pictures));
    }

    for (size_t j = 0; j < m; ++j) {
        for (size_t k = 0; k < n; ++k) {
            auto newCell = [&](const std::string& fontName, int fontSize) {
                auto* label = new TLabel(this);
                label->SetParent(this);
                label->SetTransparent(true);
                label->SetAlignment(taRightJustify);
                label->SetAutoSize(false);
                label->SetWidth(ColumnWidth - 5);
                label->SetHeight(label->Canvas()->TextHeight("Agi"));
                label->SetTag(CellTag(j, k));
                // Holding only the form, the event needs no memory of its own for each cell.
                label->OnDblClick = [this](TObject* sender) { DataCellDblClick(sender); };
                label->Font().SetName(fontName);
                label->Font().SetSize(fontSize);
                return label;
            };
            TLabel* time = newCell(SplitTimesFontName, SplitTimesFontSize);
            data.SetCellTimeLabel(j, k, time);
            time->SetPopupMenu(TimeLabelPopupMenu);
            TLabel* diff = newCell(SplitDiffFontName, SplitDiffFontSize);
            data.SetCellDiffLabel(j, k, diff);
            diff->SetPopupMenu(DiffLabelPopupMenu);
        }
    }
}
