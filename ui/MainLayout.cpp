// The window sizes itself to its content: measuring the timer area and the cells, sizing the
// window with or without a split file (vertical or horizontal table), placing every table control
// for the scroll offset, scrolling by whole rows or columns, and centring the row in progress.

#include "ui/MainUnit.h"

#include "core/TextHelpers.h"
#include "platform/forms/Image.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"

#include <algorithm>

namespace {

TFont MakeFont(const std::string& name, int size) {
    TFont font;
    font.SetName(name);
    font.SetSize(size);
    return font;
}

// Cuts an offset down to a whole number of steps.
int WholeSteps(int offset, int step) {
    return step > 0 ? offset - offset % step : offset;
}

} // namespace

int TMainForm::RowStep() const {
    return HideDiffRows ? ShortRowHeight : RowHeight;
}

int TMainForm::VisibleColumnCount() const {
    int n = SplitData ? static_cast<int>(SplitData->GetColumnCount()) : 0;
    if (HideBestSplits)
        --n;
    if (HideCurrentSplits)
        --n;
    return n;
}

int TMainForm::VisibleRowCount() const {
    if (!SplitData)
        return 0;
    const size_t m = SplitData->GetRowCount();
    if (!HideHideableRows)
        return static_cast<int>(m);
    int visible = 0;
    for (size_t r = 0; r < m; ++r)
        if (!SplitData->IsRowHideable(r))
            ++visible;
    return visible;
}

void TMainForm::UpdateLayout() {
    if (TimerLabel == nullptr)
        return;
    // Judged once the layout has set both the width and the height.
    const TRect before = WindowRect();
    MeasureCells();
    if (SplitData && SplitData->HasFile())
        LayoutWithFile();
    else
        LayoutWithoutFile();
    // A window that grew past the edge of the screen it lay on goes back onto it.
    MoveBackOntoScreen(before);
}

void TMainForm::MeasureCells() {
    TLabel* T = TimerLabel;
    TLabel* D = TimerDiffLabel;
    TLabel* A = AttemptCounterLabel;
    TLabel* S = SessionAttemptsLabel;
    TLabel* N = TotalAttemptsLabel;
    TimerAreaHeight =
        std::max(T->Height() + D->Height(), A->Height() + S->Height() + N->Height()) + TimerAreaExtraHeight;

    // Every cell has the same fonts, so the sizes are measured once and given to every label.
    const TFont timesFont = MakeFont(SplitTimesFontName, SplitTimesFontSize);
    const TFont diffFont = MakeFont(SplitDiffFontName, SplitDiffFontSize);
    const int timeHeight = TextHeight(timesFont, "Agi");
    const int diffHeight = TextHeight(diffFont, "Agi");
    const int w = std::max(TextWidth(timesFont, "00:00:00.00"), TextWidth(diffFont, "00:00:00.00"));

    if (SplitData && SplitData->HasFile()) {
        FileDataClass& data = *SplitData;
        for (size_t r = 0; r < data.GetRowCount(); ++r) {
            for (size_t c = 0; c < data.GetColumnCount(); ++c) {
                if (TLabel* time = data.GetCellTimeLabel(r, c)) {
                    time->SetAutoSize(false);
                    time->Font().SetName(SplitTimesFontName);
                    time->Font().SetSize(SplitTimesFontSize);
                    time->SetAlignment(taRightJustify);
                    time->SetHeight(timeHeight);
                    time->SetWidth(w);
                }
                if (TLabel* diff = data.GetCellDiffLabel(r, c)) {
                    diff->SetAutoSize(false);
                    diff->Font().SetName(SplitDiffFontName);
                    diff->Font().SetSize(SplitDiffFontSize);
                    diff->SetAlignment(taRightJustify);
                    diff->SetHeight(diffHeight);
                    diff->SetWidth(w);
                }
            }
        }
    }

    // A line of each title's font, as its labels have it once placed (an empty name keeps a label's
    // face).
    const bool hasFile = SplitData && SplitData->HasFile();
    auto lineOf = [](const TLabel* label, const std::string& name, int size) {
        TFont font = label != nullptr ? label->Font() : TFont();
        font.SetName(name);
        font.SetSize(size);
        return TextHeight(font, "Agi");
    };
    TLabel* firstRow = hasFile && SplitData->GetRowCount() > 0 ? SplitData->GetRowLabel(0) : nullptr;
    TLabel* firstColumn = hasFile && SplitData->GetColumnCount() > 0 ? SplitData->GetColumnLabel(0) : nullptr;
    TLabel* title = hasFile ? SplitData->titleLabel : nullptr;
    const int rowLine = lineOf(firstRow, RowHeaderFontName, RowHeaderFontSize);
    const int columnLine = lineOf(firstColumn, ColHeaderFontName, ColHeaderFontSize);
    const int titleLine = lineOf(title, TitleFontName, TitleFontSize);
    // Vertically each row has its title, horizontally each line its column's title; the others
    // stand in the header band above the table, with the file's title.
    const int inRowLine = HorizontalMode ? columnLine : rowLine;
    const int inBandLine = HorizontalMode ? rowLine : columnLine;

    // A row holds a line of its title, or the title would have no room at all.
    RowHeight = std::max(diffHeight + timeHeight + ExtraRowHeight, inRowLine);
    // A short row still shows its time and its title: it is never lower than either, or the rows
    // would run into each other.
    const int titleHeight = TextHeight(MakeFont(RowHeaderFontName, RowHeaderFontSize), "Agi");
    ShortRowHeight =
        std::max(std::max({diffHeight, timeHeight, titleHeight}) + ExtraRowHeightShort, inRowLine);
    ColumnWidth = w + ExtraDataColumnWidth;
    HeaderBandHeight = std::max({HeaderColsHeight, titleLine, inBandLine});

    if (hasFile)
        FitTitleHeights(rowLine, columnLine, titleLine);
}

// A title's label was made as high as the whole lines of its font that fitted the rows measured
// before. It holds at least one line. In the header band it holds no more whole lines than the
// band, or its text would run over the times below; every other height stays as it was made.
void TMainForm::FitTitleHeights(int rowLine, int columnLine, int titleLine) {
    auto fit = [](TLabel* label, int line, bool inBand, int band) {
        if (label == nullptr || line <= 0)
            return;
        int height = label->Height();
        if (inBand && height > band)
            height = line * (band / line);
        height = std::max(height, line);
        if (height != label->Height())
            label->SetHeight(height);
    };
    FileDataClass& data = *SplitData;
    fit(data.titleLabel, titleLine, true, HeaderBandHeight);
    for (size_t c = 0; c < data.GetColumnCount(); ++c)
        fit(data.GetColumnLabel(c), columnLine, !HorizontalMode, HeaderBandHeight);
    for (size_t r = 0; r < data.GetRowCount(); ++r)
        fit(data.GetRowLabel(r), rowLine, HorizontalMode, HeaderBandHeight);
}

void TMainForm::LayoutWithoutFile() {
    TLabel* T = TimerLabel;
    TLabel* D = TimerDiffLabel;
    if (CounterPanel != nullptr)
        CounterPanel->SetVisible(false);
    if (BackgroundImage != nullptr)
        BackgroundImage->SetVisible(false);
    AttemptCounterLabel->SetVisible(false);
    SessionAttemptsLabel->SetVisible(false);
    TotalAttemptsLabel->SetVisible(false);
    CountersMenu->SetVisible(false);

    const int frameW = Width() - ClientWidth();
    const int frameH = Height() - ClientHeight();
    SetWidth(std::max(130, T->Width() + frameW + 5) + FooterWidth);
    SetHeight(TimerAreaHeight + FooterHeight + frameH);

    T->SetLeft(0);
    T->SetTop(2);
    D->SetLeft(T->Left());
    D->SetTop(T->Top() + T->Height());

    DisplayTimerTimer(nullptr);
}

void TMainForm::LayoutWithFile() {
    TLabel* T = TimerLabel;
    TLabel* D = TimerDiffLabel;
    TLabel* A = AttemptCounterLabel;
    TLabel* S = SessionAttemptsLabel;
    TLabel* N = TotalAttemptsLabel;
    FileDataClass& data = *SplitData;

    if (CounterPanel != nullptr)
        CounterPanel->SetVisible(false);
    if (BackgroundImage != nullptr)
        BackgroundImage->SetVisible(true);
    A->SetVisible(!HideAttemptCounters);
    S->SetVisible(!HideAttemptCounters);
    N->SetVisible(!HideAttemptCounters);
    CountersMenu->SetVisible(true);

    const int frameW = Width() - ClientWidth();
    const int frameH = Height() - ClientHeight();
    const bool images = data.HasAnyImage();
    const int rowH = RowStep();
    const int band = HeaderBandHeight;
    const int visibleColumns = VisibleColumnCount();
    const int visibleRows = VisibleRowCount();
    // The counts size their labels to their texts; the counters take the width of the widest.
    UpdateAttemptTexts();
    const int attemptsWidth = std::max({A->Width(), S->Width(), N->Width()});

    if (!HorizontalMode) {
        TableWidth = visibleColumns * ColumnWidth + HeaderColumnWidth + ExtraDataColumnWidth;
        if (images)
            TableWidth += ImageSize;
        int w1 = T->Width() + FooterWidth + frameW + 5;
        if (!HideAttemptCounters)
            w1 = attemptsWidth + w1 + 15;
        const int w2 = TableWidth + FooterWidth + frameW + 5;
        const int W = std::max({w1, 185, w2});
        SetWidth(W);

        TableHeight = visibleRows * rowH + 5;
        const int d = TimerAreaHeight + band + TableHeight + FooterHeight + frameH + 5;
        // However low the limit, the window holds the timer area, the header band and a row.
        const int limit = std::max(MaxHeight, d - TableHeight + std::min(TableHeight, rowH + 5));
        if (d > limit) {
            TableHeight -= d - limit;
            ScrollExtent = d - limit;
            SetHeight(limit);
        } else {
            ScrollExtent = 0;
            SetHeight(d);
        }
        ScrollOffset = 0;

        if (TimerOnLeft) {
            T->SetLeft(0);
            A->SetLeft(W - attemptsWidth - 10);
        } else {
            A->SetLeft(3);
            // A timer wider than the table is the window's width: it starts at its left edge.
            T->SetLeft(std::max(0, W - T->Width() - 10));
        }
        if (TimerOnTop) {
            T->SetTop(2);
            A->SetTop(2);
            TableTop = TimerAreaHeight + band + 2;
        } else {
            TableTop = band;
            T->SetTop(band + TableHeight + 2);
            A->SetTop(T->Top());
        }
        TableLeft = 0;
    } else {
        // The rows begin 2 pixels into the table: it ends no nearer than that past the last one,
        // however narrow the extra column width, or the last row would reach past its far edge.
        TableWidth = visibleRows * ColumnWidth + std::max(ExtraDataColumnWidth, 2);
        if (images)
            TableWidth += visibleRows * ImageSize;
        // Beside the table stand the timer area, as wide as the timer or the counters below it,
        // and the header column, which with pictures holds the file title after its picture.
        TimerAreaWidth = HideAttemptCounters ? T->Width() : std::max(T->Width(), attemptsWidth);
        const int headerWidth = HeaderColumnWidth + (images ? ImageSize : 0);
        const int besideTable = TimerAreaWidth + headerWidth + FooterWidth + frameW + 10;
        const int d = std::max(besideTable + TableWidth, 185);
        // However narrow the limit, the window holds the timer area, the header column and a split.
        const int split = ColumnWidth + (images ? ImageSize : 0) + std::max(ExtraDataColumnWidth, 2);
        const int limit = std::max(MaxWidth, besideTable + std::min(TableWidth, split));
        int W;
        if (d > limit) {
            TableWidth -= d - limit;
            ScrollExtent = d - limit;
            W = limit;
        } else {
            ScrollExtent = 0;
            W = d;
        }
        SetWidth(W);
        ScrollOffset = 0;

        TableHeight = band + visibleColumns * rowH + FooterHeight + 5;
        int h = TimerAreaHeight + FooterHeight + frameH + 5;
        // The second block of the timer area holds the counters, or the timer below their place.
        if (!HideAttemptCounters || !TimerOnTop)
            h += TimerAreaHeight;
        // The table is measured in the client area; the window's height also holds the frame
        // and the menu bar.
        SetHeight(std::max(h, TableHeight + frameH));

        if (TimerOnLeft) {
            T->SetLeft(0);
            // The counters end where the timer ends, unless they are the wider.
            A->SetLeft(std::max(0, T->Width() - attemptsWidth));
            TableLeft = TimerAreaWidth + headerWidth + 10;
        } else {
            T->SetLeft(W - T->Width() - 10);
            A->SetLeft(W - attemptsWidth - 10);
            TableLeft = headerWidth;
        }
        if (TimerOnTop) {
            T->SetTop(2);
            A->SetTop(TimerAreaHeight + 2);
        } else {
            A->SetTop(2);
            T->SetTop(TimerAreaHeight + 2);
        }
        TableTop = 0;
    }

    if (BackgroundImage != nullptr) {
        // Drawn at its own size, not stretched.
        BackgroundImage->SetBounds(0, 0, ClientWidth(), ClientHeight());
        BackgroundImage->SetTransparent(true);
    }

    D->SetTop(T->Top() + T->Height());
    D->SetLeft(T->Left());
    S->SetTop(A->Top() + A->Height());
    S->SetLeft(A->Left());
    N->SetTop(S->Top() + S->Height());
    N->SetLeft(A->Left());

    DisplayTimerTimer(nullptr);
    UpdateAttemptTexts();
    PlaceTable();
    FillTable();
    CentreOnRow(data.GetCurrentSplit());
}

void TMainForm::PlaceTable() {
    if (!SplitData || !SplitData->HasFile() || TimerLabel == nullptr)
        return;
    FileDataClass& data = *SplitData;
    const size_t n = data.GetColumnCount();
    const size_t m = data.GetRowCount();
    const bool images = data.HasAnyImage();
    const int rowH = RowStep();
    const int imageShift = images ? ImageSize : 0;
    const int band = HeaderBandHeight;
    // Horizontally the titles stand right of the timer area when it is on the left.
    const int timerWidth = TimerAreaWidth;
    // A column's place among the visible columns.
    auto e = [this](size_t i) { return static_cast<int>(i == 0 || !HideBestSplits ? i : i - 1); };
    auto columnShown = [&](size_t i) {
        return !(i == 0 && HideBestSplits) && !(i + 1 == n && HideCurrentSplits);
    };

    if (TLabel* title = data.titleLabel) {
        int top;
        int left;
        if (!HorizontalMode) {
            top = TimerOnTop ? TimerAreaHeight + 2 : 2;
            left = 2;
        } else {
            top = 2;
            left = TimerOnLeft ? timerWidth + 10 : 2;
        }
        left += imageShift;
        title->SetTop(top);
        title->SetLeft(left);
        title->SetCaption(data.title);
        if (TImage* image = data.titleImage) {
            image->SetTop(top);
            image->SetLeft(left - ImageSize);
        }
    }

    for (size_t i = 0; i < n; ++i) {
        TLabel* header = data.GetColumnLabel(i);
        if (header == nullptr)
            continue;
        header->SetVisible(columnShown(i));
        header->SetCaption(data.GetColumnTitle(i));
        header->Font().SetColor(HexToColor(
            data.GetColumnShowElapsed(i) ? ColHeaderElapsedFontColor : ColHeaderFontColor, UseBGRFormat));
        if (!HorizontalMode) {
            header->SetTop(TimerOnTop ? TimerAreaHeight + 2 : 2);
            header->SetLeft(HeaderColumnWidth + e(i) * ColumnWidth + 2 + imageShift);
            header->SetWidth(ColumnWidth);
            header->SetAlignment(taRightJustify);
        } else {
            header->SetLeft(TimerOnLeft ? timerWidth + 10 : 2);
            header->SetTop(band + e(i) * rowH + 2);
            header->SetWidth(HeaderColumnWidth);
            header->SetAlignment(taLeftJustify);
        }
    }

    // Where the timer area lies beyond the table's far edge, a row that would reach into it
    // would be drawn over the timer or the attempt counters: it is hidden, as rows before the
    // start are. A row that ends short of them is shown, also where it passes the table's far
    // edge. Where the far edge is the window's edge, the window clips the rows.
    const bool timerBeyond = HorizontalMode ? !TimerOnLeft : !TimerOnTop;
    int timerEdge = HorizontalMode ? TimerLabel->Left() : TimerLabel->Top();
    if (!HideAttemptCounters && AttemptCounterLabel != nullptr)
        timerEdge =
            std::min(timerEdge, HorizontalMode ? AttemptCounterLabel->Left() : AttemptCounterLabel->Top());

    const TColor rowHeaderColor = HexToColor(RowHeaderFontColor, UseBGRFormat);
    int v = 0; // visible rows placed so far
    for (size_t r = 0; r < m; ++r) {
        TLabel* header = data.GetRowLabel(r);
        TImage* image = data.GetRowImage(r);
        if (header != nullptr) {
            header->SetCaption(data.GetRowTitle(r));
            // Only real changes: a font change makes the label measure itself again.
            if (header->Font().Name() != RowHeaderFontName)
                header->Font().SetName(RowHeaderFontName);
            if (header->Font().Size() != RowHeaderFontSize)
                header->Font().SetSize(RowHeaderFontSize);
            if (header->Font().Color() != rowHeaderColor)
                header->Font().SetColor(rowHeaderColor);
        }

        if (HideHideableRows && data.IsRowHideable(r)) {
            // Hidden rows leave no gap: v does not advance.
            if (header != nullptr)
                header->SetVisible(false);
            if (image != nullptr)
                image->SetVisible(false);
            for (size_t c = 0; c < n; ++c) {
                if (TLabel* time = data.GetCellTimeLabel(r, c))
                    time->SetVisible(false);
                if (TLabel* diff = data.GetCellDiffLabel(r, c))
                    diff->SetVisible(false);
            }
            continue;
        }

        // Vertical: the row's top. Horizontal: its left, before the pictures shift it.
        const int start = HorizontalMode ? TableLeft + v * ColumnWidth - ScrollOffset + 2
                                         : TableTop + v * rowH - ScrollOffset + 2;
        const int shift = HorizontalMode && images ? (v + 1) * ImageSize : 0;
        const int cellLeft = HorizontalMode ? start + ExtraDataColumnWidth + shift : 0;
        // A row scrolled before the table's origin is hidden. Horizontally its picture is the first
        // of it, shifted by the pictures of the rows before it.
        const int begin = HorizontalMode && images ? start + shift - ImageSize : start;
        bool rowShown = begin >= (HorizontalMode ? TableLeft : TableTop);
        bool imageShown = rowShown;
        if (rowShown && timerBeyond) {
            // The row goes as a whole: its title and every cell (the time, and the difference
            // below it where that is shown) must end before the timer area; its picture too,
            // or the picture alone is hidden.
            int reach = start;
            for (size_t c = 0; c < n && reach <= timerEdge; ++c) {
                const TLabel* time = data.GetCellTimeLabel(r, c);
                const TLabel* diff = data.GetCellDiffLabel(r, c);
                if (time == nullptr || diff == nullptr || !columnShown(c))
                    continue;
                reach = std::max(reach, HorizontalMode
                                            ? cellLeft + time->Width()
                                            : start + time->Height() + (HideDiffRows ? 0 : diff->Height()));
            }
            if (header != nullptr && reach <= timerEdge) {
                if (HorizontalMode) {
                    reach = std::max(reach, start + shift + header->Width());
                } else {
                    // A title's label may be taller than its lines (it keeps the height of the
                    // rows it was built for): where the label crosses, only its lines count.
                    int titleEnd = start + header->Height();
                    if (titleEnd > timerEdge)
                        titleEnd = start + header->DrawnTextHeight();
                    reach = std::max(reach, titleEnd);
                }
            }
            rowShown = reach <= timerEdge;
            // Horizontally the picture lies before its title.
            imageShown =
                rowShown && (HorizontalMode || image == nullptr || start + image->Height() <= timerEdge);
        }

        if (header != nullptr) {
            if (!HorizontalMode) {
                header->SetTop(start);
                header->SetLeft(TableLeft + 2 + imageShift);
                header->SetWidth(HeaderColumnWidth);
                header->SetAlignment(taLeftJustify);
                if (image != nullptr) {
                    image->SetTop(start);
                    image->SetLeft(TableLeft + 2);
                }
            } else {
                const int left = start + shift;
                header->SetLeft(left);
                header->SetTop(TableTop + 2);
                header->SetWidth(ColumnWidth);
                header->SetAlignment(taRightJustify);
                if (image != nullptr) {
                    image->SetTop(TableTop + 2);
                    image->SetLeft(left - ImageSize);
                }
            }
            header->SetVisible(rowShown);
            if (image != nullptr)
                image->SetVisible(imageShown);
        }

        for (size_t c = 0; c < n; ++c) {
            TLabel* time = data.GetCellTimeLabel(r, c);
            TLabel* diff = data.GetCellDiffLabel(r, c);
            if (time == nullptr || diff == nullptr)
                continue;
            const bool timeShown = rowShown && columnShown(c);
            const bool diffShown = timeShown && !HideDiffRows;
            int top;
            int left;
            if (!HorizontalMode) {
                top = start;
                left = TableLeft + HeaderColumnWidth + e(c) * ColumnWidth + ExtraDataColumnWidth + 2 +
                       imageShift;
            } else {
                top = TableTop + band + e(c) * rowH + 2;
                left = cellLeft;
            }
            time->SetTop(top);
            time->SetLeft(left);
            diff->SetTop(top + time->Height());
            diff->SetLeft(left);
            time->SetVisible(timeShown);
            diff->SetVisible(diffShown);
        }
        ++v;
    }
}

void TMainForm::CentreOnRow(size_t row) {
    if (!SplitData || !SplitData->HasFile())
        return;
    FileDataClass& data = *SplitData;
    const size_t m = data.GetRowCount();
    if (m > 0) {
        if (row > m - 1)
            row = m - 1;
        if (TLabel* header = data.GetRowLabel(row)) {
            int c;
            int step;
            if (!HorizontalMode) {
                step = RowStep();
                c = header->Top() + ScrollOffset - TableTop + step / 2 - TableHeight / 2;
            } else {
                step = ColumnWidth;
                const int u = ColumnWidth + (data.HasAnyImage() ? ImageSize : 0);
                c = header->Left() + ScrollOffset - TableLeft + u / 2 - TableWidth / 2;
            }
            if (c < 0)
                c = 0;
            ScrollOffset = c > ScrollExtent ? ScrollExtent : WholeSteps(c, step);
        }
    }
    PlaceTable();
    FillTable();
}

void TMainForm::FormMouseWheel(TObject* /*Sender*/, TShiftState /*Shift*/, int WheelDelta,
                               TPoint /*MousePos*/, bool& /*Handled*/) {
    if (!SplitData || !SplitData->HasFile())
        return;
    // The platform reports 120 per notch, negative towards the user: by default that scrolls on.
    int offset = ReverseMouseScroll ? ScrollOffset + WheelDelta : ScrollOffset - WheelDelta;
    if (offset < 0)
        offset = 0;
    else if (offset > ScrollExtent)
        offset = ScrollExtent;
    else
        offset = WholeSteps(offset, HorizontalMode ? ColumnWidth : RowStep());
    ScrollOffset = offset;
    PlaceTable();
    FillTable();
}
