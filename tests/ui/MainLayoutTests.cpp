// The window's size and the positions of the timer area and the table in both layouts, with
// pictures and the hide options, and scrolling by whole rows or columns.

#include <QFontMetrics>
#include <QWidget>

#include "platform/forms/ByteText.h"
#include "platform/forms/Image.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Panel.h"
#include "platform/runtime/Clock.h"
#include "tests/ui/support/MainWindowFixture.h"

namespace {

class Layout : public MainWindowTest {
protected:
    TLabel* T() const { return Form->TimerLabel; }
    TLabel* D() const { return Form->TimerDiffLabel; }
    TLabel* A() const { return Form->AttemptCounterLabel; }
    TLabel* ColumnHeader(size_t c) const { return Form->SplitData->GetColumnLabel(c); }
    TLabel* RowHeader(size_t r) const { return Form->SplitData->GetRowLabel(r); }
    TLabel* Time(size_t r, size_t c) const { return Form->SplitData->GetCellTimeLabel(r, c); }
    TLabel* Diff(size_t r, size_t c) const { return Form->SplitData->GetCellDiffLabel(r, c); }
    int FrameW() const { return Form->Width() - Form->ClientWidth(); }
    int FrameH() const { return Form->Height() - Form->ClientHeight(); }

    void Wheel(int delta) {
        bool handled = false;
        Form->FormMouseWheel(Form, 0, delta, TPoint{}, handled);
        EXPECT_FALSE(handled);
    }
    // Splits the first rows of a run on the test clock.
    void SplitRows(int count) {
        Form->SplitData->StartRun();
        for (int i = 0; i < count; ++i) {
            rt::AdvanceTestClocks(10'000'000);
            Form->SplitData->MakeSplit("", {});
        }
    }
};

} // namespace

TEST_F(Layout, WithoutASplitFileTheWindowHoldsTheTimerAndItsStatusLine) {
    WriteSettings({"[Window]", "FooterHeight=7"});
    StartWindow();
    EXPECT_EQ(T()->Left(), 0);
    EXPECT_EQ(T()->Top(), 2);
    EXPECT_EQ(D()->Left(), 0);
    EXPECT_EQ(D()->Top(), 2 + T()->Height());
    EXPECT_EQ(Form->ClientHeight(), Form->TimerAreaHeight + 7);
    EXPECT_EQ(Form->Width(), std::max(130, T()->Width() + FrameW() + 5));
    EXPECT_FALSE(A()->Visible());
    EXPECT_FALSE(Form->SessionAttemptsLabel->Visible());
    EXPECT_FALSE(Form->CountersMenu->Visible());
    EXPECT_EQ(Form->TimerAreaHeight,
              std::max(T()->Height() + D()->Height(), A()->Height() + Form->SessionAttemptsLabel->Height() +
                                                          Form->TotalAttemptsLabel->Height()) +
                  2);
}

TEST_F(Layout, WithoutASplitFileTheWindowIsAtLeast130WidePlusTheFooter) {
    WriteSettings({"[Window]", "FooterWidth=25", "[Layout]", "TimerFontSize=3"});
    StartWindow();
    EXPECT_EQ(Form->Width(), 130 + 25);
}

TEST_F(Layout, VerticalTableRunsDownTheWindowBelowTheTimer) {
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 4, 3));
    const int rowH = Form->RowHeight;
    const int colW = Form->ColumnWidth;
    // Measures: a row is a time line and a difference line; a column fits the widest time.
    EXPECT_EQ(rowH, Time(0, 0)->Height() + Diff(0, 0)->Height() + 2);
    EXPECT_EQ(colW, Time(0, 0)->Canvas()->TextWidth("00:00:00.00") + 2);
    EXPECT_EQ(Form->ShortRowHeight, Diff(0, 0)->Height() + 2);

    EXPECT_EQ(Form->TableTop, Form->TimerAreaHeight + 26 + 2);
    EXPECT_EQ(Form->TableLeft, 0);
    EXPECT_EQ(Form->ScrollExtent, 0);
    EXPECT_EQ(Form->Height(), Form->TimerAreaHeight + 26 + (4 * rowH + 5) + FrameH() + 5);
    EXPECT_GE(Form->Width(), 185);
    // Timer on the left, attempt counters on the right, both at the top.
    EXPECT_EQ(T()->Left(), 0);
    EXPECT_EQ(T()->Top(), 2);
    EXPECT_EQ(A()->Left(), Form->Width() - A()->Width() - 10);
    EXPECT_EQ(A()->Top(), 2);
    EXPECT_EQ(Form->SessionAttemptsLabel->Top(), A()->Top() + A()->Height());
    EXPECT_EQ(Form->TotalAttemptsLabel->Top(),
              Form->SessionAttemptsLabel->Top() + Form->SessionAttemptsLabel->Height());
    EXPECT_EQ(Form->TotalAttemptsLabel->Left(), A()->Left());

    EXPECT_EQ(Form->SplitData->titleLabel->Top(), Form->TimerAreaHeight + 2);
    EXPECT_EQ(Form->SplitData->titleLabel->Left(), 2);
    EXPECT_EQ(Form->SplitData->titleLabel->Caption(), "Table");
    for (size_t c = 0; c < 3; ++c) {
        EXPECT_EQ(ColumnHeader(c)->Left(), 75 + static_cast<int>(c) * colW + 2);
        EXPECT_EQ(ColumnHeader(c)->Top(), Form->TimerAreaHeight + 2);
        EXPECT_EQ(ColumnHeader(c)->Alignment(), taRightJustify);
        EXPECT_TRUE(ColumnHeader(c)->Visible());
    }
    for (size_t r = 0; r < 4; ++r) {
        const int top = Form->TableTop + static_cast<int>(r) * rowH + 2;
        EXPECT_EQ(RowHeader(r)->Top(), top);
        EXPECT_EQ(RowHeader(r)->Left(), 2);
        EXPECT_EQ(RowHeader(r)->Caption(), "Split " + std::to_string(r + 1));
        for (size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(Time(r, c)->Top(), top);
            EXPECT_EQ(Time(r, c)->Left(), 75 + static_cast<int>(c) * colW + 2 + 2);
            EXPECT_EQ(Diff(r, c)->Top(), top + Time(r, c)->Height());
            EXPECT_EQ(Diff(r, c)->Left(), Time(r, c)->Left());
            EXPECT_TRUE(Time(r, c)->Visible());
            EXPECT_TRUE(Diff(r, c)->Visible());
        }
    }
    EXPECT_TRUE(Form->CountersMenu->Visible());
}

TEST_F(Layout, TimerOnTheRightBelowTheTable) {
    WriteSettings({"[Window]", "TimerOnLeft=N", "TimerOnTop=N"});
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 3, 3));
    EXPECT_EQ(A()->Left(), 3);
    EXPECT_EQ(T()->Left(), Form->Width() - T()->Width() - 10);
    EXPECT_EQ(Form->TableTop, 26);
    EXPECT_EQ(T()->Top(), 26 + Form->TableHeight + 2);
    EXPECT_EQ(A()->Top(), T()->Top());
    EXPECT_EQ(D()->Top(), T()->Top() + T()->Height());
    EXPECT_EQ(D()->Left(), T()->Left());
    EXPECT_EQ(ColumnHeader(1)->Top(), 2);
    EXPECT_EQ(RowHeader(0)->Top(), 26 + 2);
}

// A row, its picture or a cell that would reach into the timer area is hidden where that area
// lies beyond the table's far edge, so nothing of the table is drawn over the timer or the
// attempt counters; where the far edge is the window's edge the window clips them, as before. A
// title counts with the lines it draws: its label keeps the height of the rows it was built for.
struct FarEdgeCase {
    const char* name;
    bool horizontal;
    bool timerBeyond; // the timer area lies past the table's far edge
    std::vector<std::string> settings;
};

void PrintTo(const FarEdgeCase& c, std::ostream* os) {
    *os << c.name;
}

class TableFarEdge : public Layout, public ::testing::WithParamInterface<FarEdgeCase> {};

TEST_P(TableFarEdge, RowsReachingPastItIntoTheTimerAreaAreHidden) {
    const FarEdgeCase& c = GetParam();
    WriteSettings(c.settings);
    WritePicture("row.bmp", 8, 8);
    StartWindow();
    std::vector<SplitRowSpec> rows;
    for (int r = 0; r < 300; ++r)
        rows.emplace_back("Split " + std::to_string(r + 1), std::vector<std::string>{"10.00", "20.00"}, false,
                          "row.bmp");
    LoadTable(WriteSplitFile("run.txt", "Run", {"PB"}, rows));
    ASSERT_GT(Form->ScrollExtent, 0);
    FileDataClass& data = *Form->SplitData;
    const std::vector<TControl*> timerArea{T(), D(), A(), Form->SessionAttemptsLabel,
                                           Form->TotalAttemptsLabel};
    // What a control draws: a label no lower than its lines.
    auto drawnHeight = [](const TControl* control) {
        const auto* label = dynamic_cast<const TLabel*>(control);
        return label != nullptr ? label->DrawnTextHeight() : control->Height();
    };
    auto overlaps = [&](const TControl* a, const TControl* b) {
        return a->Left() < b->Left() + b->Width() && b->Left() < a->Left() + a->Width() &&
               a->Top() < b->Top() + b->Height() && b->Top() < a->Top() + drawnHeight(a);
    };
    auto check = [&](const char* where) {
        // The timer area's near edge where it lies beyond the table, else the table's far edge.
        const int farEdge = !c.timerBeyond ? (c.horizontal ? Form->TableLeft + Form->TableWidth
                                                           : Form->TableTop + Form->TableHeight)
                            : c.horizontal ? std::min(T()->Left(), A()->Left())
                                           : std::min(T()->Top(), A()->Top());
        int shown = 0;
        int pastTheEdge = 0;
        for (size_t r = 0; r < 300; ++r) {
            std::vector<TControl*> controls{RowHeader(r), data.GetRowImage(r)};
            for (size_t col = 0; col < 3; ++col) {
                controls.push_back(Time(r, col));
                controls.push_back(Diff(r, col));
            }
            for (TControl* control : controls) {
                ASSERT_NE(control, nullptr);
                if (!control->Visible())
                    continue;
                ++shown;
                const int farSide =
                    c.horizontal ? control->Left() + control->Width() : control->Top() + drawnHeight(control);
                pastTheEdge += farSide > farEdge;
                if (c.timerBeyond) {
                    for (const TControl* timer : timerArea)
                        EXPECT_FALSE(overlaps(control, timer)) << where << ": row " << r;
                }
            }
            EXPECT_EQ(RowHeader(r)->Visible(), Time(r, 1)->Visible()) << where << ": row " << r;
            if (c.timerBeyond && !c.horizontal) {
                // Nor is a row hidden whose lines end before the edge.
                const int top = RowHeader(r)->Top();
                const int end =
                    std::max(top + RowHeader(r)->DrawnTextHeight(),
                             top + Time(r, 1)->Height() + (Form->HideDiffRows ? 0 : Diff(r, 1)->Height()));
                EXPECT_EQ(RowHeader(r)->Visible(), top >= Form->TableTop && end <= farEdge)
                    << where << ": row " << r;
            }
        }
        EXPECT_GT(shown, 0) << where;
        if (c.timerBeyond)
            EXPECT_EQ(pastTheEdge, 0) << where;
        else
            EXPECT_GT(pastTheEdge, 0) << where << ": clipped by the window";
    };
    check("at the start");
    Wheel(-120);
    ASSERT_GT(Form->ScrollOffset, 0);
    check("scrolled");
    Form->HideDiffRows = true;
    Form->UpdateLayout();
    check("difference rows hidden after the build");
}

const FarEdgeCase kFarEdgeCases[] = {
    {"TimerBelowAVerticalTable", false, true, {"[Window]", "TimerOnTop=N"}},
    {"TimerRightOfAHorizontalTable", true, true, {"[Window]", "HorizontalMode=Y", "TimerOnLeft=N"}},
    {"TimerAboveAVerticalTable", false, false, {"[Window]", "TimerOnTop=Y"}},
    {"TimerLeftOfAHorizontalTable", true, false, {"[Window]", "HorizontalMode=Y", "TimerOnLeft=Y"}},
};

INSTANTIATE_TEST_SUITE_P(Layouts, TableFarEdge, ::testing::ValuesIn(kFarEdgeCases),
                         [](const ::testing::TestParamInfo<FarEdgeCase>& info) { return info.param.name; });

// The layout over the settings a user can give: both layouts, the timer on either side, narrow
// and wide columns, low and high rows, difference lines, pictures, every font from its default
// up to sizes whose line is taller than a row or the header band, hidden attempt counters, tables
// of one and two lines or rows, and titles long enough to wrap. Whatever they are, every label
// the window shows holds at least a line of its font, lies inside its client area, clear of the
// timer area and of every other label and picture, and every row that fits is shown: ready and
// during a run, at the table's start and at its end. Where the table runs on to the window's
// edge, the window clips a row that crosses it, except at the table's end, which is in sight.
// Each settings row builds one window.
enum class GridFont { Default, Title, ColumnHeader, RowHeader, Times, Differences, Status, Attempts, Timer };

struct GridCase {
    bool horizontal;
    bool timerOnLeft;
    bool timerOnTop;
    int extraColumnWidth;
    int extraRowHeight;
    bool hideDiffRows;
    bool pictures; // a title picture and one on every row
    GridFont font = GridFont::Default;
    int fontSize = 0;
    bool hideCounters = false;
    int lines = 3; // the table's comparison lines: 2 has no comparison, 1 also hides the best splits
    int rows = 20;
    bool longTitles = false;
};

// A timer so large that the limits its rows take (MaxWidth=600, MaxHeight=200) would leave room
// for nothing else: it is wider than the one, and with a row higher than the other. A larger one
// would make the window wider than the offscreen screen.
constexpr int kHugeTimer = 86;

// The settings key and the name of each font.
const std::pair<const char*, const char*> kGridFonts[] = {
    {"", ""},
    {"TitleFontSize", "Title"},
    {"ColHeaderFontSize", "ColumnHeader"},
    {"RowHeaderFontSize", "RowHeader"},
    {"SplitTimesFontSize", "Times"},
    {"SplitDiffFontSize", "Differences"},
    {"TimerDiffFontSize", "Status"},
    {"AttemptCounterFontSize", "Attempts"},
    {"TimerFontSize", "Timer"},
};

std::string GridName(const GridCase& c) {
    std::string name = std::string(c.horizontal ? "Horizontal" : "Vertical") + "_Timer" +
                       (c.timerOnLeft ? "Left" : "Right") + (c.timerOnTop ? "Top" : "Below") + "_Column" +
                       std::to_string(c.extraColumnWidth) + "_Row" + std::to_string(c.extraRowHeight) +
                       (c.hideDiffRows ? "_DiffsHidden" : "_Diffs") + (c.pictures ? "_Pictures" : "");
    if (c.font != GridFont::Default)
        name += std::string("_") + kGridFonts[static_cast<int>(c.font)].second + "Font" +
                std::to_string(c.fontSize);
    if (c.hideCounters)
        name += "_CountersHidden";
    if (c.lines != 3)
        name += "_Lines" + std::to_string(c.lines);
    if (c.rows != 20)
        name += "_Rows" + std::to_string(c.rows);
    if (c.longTitles)
        name += "_LongTitles";
    return name;
}

void PrintTo(const GridCase& c, std::ostream* os) {
    *os << GridName(c);
}

std::vector<GridCase> SettingsGrid() {
    std::vector<GridCase> grid;
    for (const bool horizontal : {false, true})
        for (const bool left : {true, false})
            for (const bool top : {true, false})
                for (const int column : {0, 1, 2, 10})
                    for (const int row : {0, 2})
                        for (const bool hideDiffs : {false, true})
                            for (const bool pictures : {false, true})
                                grid.push_back({horizontal, left, top, column, row, hideDiffs, pictures});

    // Beyond that, every font, the hidden counters, small tables and long titles, each on both
    // layouts with the timer on every side; the difference lines and the pictures vary among the
    // sides rather than multiplying the rows.
    struct Side {
        bool horizontal, left, top;
    };
    std::vector<Side> sides;
    for (const bool horizontal : {false, true})
        for (const bool left : {true, false})
            for (const bool top : {true, false})
                sides.push_back({horizontal, left, top});
    for (int f = 1; f < static_cast<int>(std::size(kGridFonts)); ++f) {
        const auto font = static_cast<GridFont>(f);
        std::vector<int> sizes{16, 20, 24};
        if (font == GridFont::Timer)
            sizes.push_back(kHugeTimer);
        for (size_t k = 0; k < sizes.size(); ++k)
            for (size_t s = 0; s < sides.size(); ++s) {
                const Side& side = sides[s];
                const bool hideDiffs = (s + k) % 2 == 1;
                const bool pictures = (s / 2 + k) % 2 == 1;
                GridCase c{side.horizontal, side.left, side.top, 2, 2, hideDiffs, pictures};
                c.font = font;
                c.fontSize = sizes[k];
                c.hideCounters = sizes[k] == kHugeTimer && !side.top;
                grid.push_back(c);
            }
    }
    for (const Side& side : sides)
        for (const bool hideDiffs : {false, true}) {
            for (const bool pictures : {false, true}) {
                GridCase c{side.horizontal, side.left, side.top, 2, 2, hideDiffs, pictures};
                c.hideCounters = true;
                grid.push_back(c);
            }
            for (const int lines : {1, 2}) {
                GridCase c{side.horizontal, side.left, side.top, 2, 2, hideDiffs, lines == 1};
                c.lines = lines;
                c.hideCounters = lines == 1 && hideDiffs;
                grid.push_back(c);
            }
            for (const int rows : {1, 2}) {
                GridCase c{side.horizontal, side.left, side.top, 2, 2, hideDiffs, rows == 2};
                c.rows = rows;
                grid.push_back(c);
            }
            for (const int extraRow : {0, 20})
                for (const bool pictures : {false, true}) {
                    GridCase c{side.horizontal, side.left, side.top, 2, extraRow, hideDiffs, pictures};
                    c.longTitles = true;
                    grid.push_back(c);
                }
        }
    return grid;
}

class LayoutGrid : public Layout, public ::testing::WithParamInterface<GridCase> {};

TEST_P(LayoutGrid, EveryShownLabelIsInSightAndEveryRowThatFitsIsShown) {
    const GridCase& c = GetParam();
    auto yn = [](bool on) { return std::string(on ? "Y" : "N"); };
    const bool hugeTimer = c.font == GridFont::Timer && c.fontSize == kHugeTimer;
    std::vector<std::string> settings{"[Window]",
                                      hugeTimer ? "MaxHeight=200" : "MaxHeight=300",
                                      hugeTimer ? "MaxWidth=600" : "MaxWidth=700",
                                      "HorizontalMode=" + yn(c.horizontal),
                                      "TimerOnLeft=" + yn(c.timerOnLeft),
                                      "TimerOnTop=" + yn(c.timerOnTop),
                                      "ExtraDataColumnWidth=" + std::to_string(c.extraColumnWidth),
                                      "ExtraRowHeight=" + std::to_string(c.extraRowHeight),
                                      "HideDiffRows=" + yn(c.hideDiffRows),
                                      "HideAttemptCounters=" + yn(c.hideCounters),
                                      "HideBestSplits=" + yn(c.lines == 1),
                                      "[Layout]"};
    if (c.font != GridFont::Default)
        settings.push_back(std::string(kGridFonts[static_cast<int>(c.font)].first) + "=" +
                           std::to_string(c.fontSize));
    WriteSettings(settings);
    if (c.pictures) {
        WritePicture("row.bmp", 8, 8);
        WritePicture("title.bmp", 8, 8);
    }
    StartWindow();
    const size_t m = static_cast<size_t>(c.rows);
    const bool comparison = c.lines == 3;
    std::vector<SplitRowSpec> rows;
    for (size_t r = 0; r < m; ++r) {
        std::vector<std::string> times{"40.00"};
        if (comparison)
            times.push_back(std::to_string(41 * (r + 1)) + ".00");
        rows.emplace_back((c.longTitles ? "Split number " : "Split ") + std::to_string(r + 1) +
                              (c.longTitles ? " with a very long title indeed" : ""),
                          times, false, c.pictures ? "row.bmp" : "");
    }
    std::vector<std::string> comparisons;
    if (comparison)
        comparisons.push_back(c.longTitles ? "Personal Best of the whole season so far" : "Personal Best");
    LoadTable(WriteSplitFile(
        "run.txt", c.longTitles ? "Harbour Sprint from the docks to the lighthouse" : "Harbour Sprint",
        comparisons, rows, c.pictures ? "title.bmp" : ""));
    FileDataClass& data = *Form->SplitData;
    const size_t n = data.GetColumnCount();
    const bool full = c.rows == 20;
    if (full) {
        ASSERT_GT(Form->ScrollExtent, 0);
    }
    // The window lies within the screen, so its client area is all there.
    ASSERT_EQ(Form->ClientWidget()->width(), Form->ClientWidth());
    ASSERT_EQ(Form->ClientWidget()->height(), Form->ClientHeight());

    struct Box {
        int left, top, right, bottom;
        std::string Text() const {
            return std::to_string(left) + "," + std::to_string(top) + " to " + std::to_string(right) + "," +
                   std::to_string(bottom);
        }
    };
    // A title's label may be larger than its text: what it draws is its lines, wrapped at its width
    // and set at its alignment, within its box.
    auto drawn = [](const TLabel* label) {
        const QRect box(label->Left(), label->Top(), label->Width(), 1 << 20);
        const int flags = Qt::AlignTop | Qt::TextWordWrap |
                          (label->Alignment() == taRightJustify ? Qt::AlignRight : Qt::AlignLeft);
        const QRect text =
            QFontMetrics(label->Font().ToQFont()).boundingRect(box, flags, ToDisplayText(label->Caption()));
        return Box{std::max(text.left(), box.left()), label->Top(),
                   std::min(text.left() + text.width(), box.left() + box.width()),
                   label->Top() + label->DrawnTextHeight()};
    };
    auto whole = [](const TControl* control) {
        return Box{control->Left(), control->Top(), control->Left() + control->Width(),
                   control->Top() + control->Height()};
    };
    auto meet = [](const Box& a, const Box& b) {
        return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
    };
    std::vector<Box> timerArea;
    for (const TLabel* label : {T(), D(), A(), Form->SessionAttemptsLabel, Form->TotalAttemptsLabel})
        if (label->Visible())
            timerArea.push_back(whole(label));
    auto clearOfTimer = [&](const Box& b) {
        for (const Box& t : timerArea)
            if (meet(b, t))
                return false;
        return true;
    };
    // Inside the client area; past its far edge along the table only where the window clips it.
    auto inside = [&](const Box& b, bool clipped) {
        return b.left >= 0 && b.top >= 0 && (b.right <= Form->ClientWidth() || (clipped && c.horizontal)) &&
               (b.bottom <= Form->ClientHeight() || (clipped && !c.horizontal));
    };
    const bool timerBeyond = c.horizontal ? !c.timerOnLeft : !c.timerOnTop;
    auto columnShown = [&](size_t col) { return !(col == 0 && c.lines == 1); };
    auto timerEdge = [&] {
        int edge = T()->Left();
        if (A()->Visible())
            edge = std::min(edge, A()->Left());
        return edge;
    };

    auto check = [&](const std::string& where) {
        SCOPED_TRACE(where);
        const bool clipped = !timerBeyond && Form->ScrollOffset < Form->ScrollExtent;
        // Every label in sight with what it draws, and the pictures, none over another.
        std::vector<std::pair<Box, std::string>> shownLabels;
        std::vector<std::pair<Box, std::string>> shownPictures;
        auto holdsALine = [&](const TLabel* label) {
            EXPECT_GE(label->Height(), TextHeight(label->Font(), "Agi")) << label->Caption();
            EXPECT_GT(label->DrawnTextHeight(), 0) << label->Caption();
        };
        for (const TLabel* label : {T(), D(), A(), Form->SessionAttemptsLabel, Form->TotalAttemptsLabel}) {
            EXPECT_EQ(label->Visible(), (label == T() || label == D()) || !c.hideCounters)
                << label->Caption();
            if (label->Visible()) {
                EXPECT_TRUE(inside(whole(label), false)) << label->Caption();
                EXPECT_GT(label->Height(), 0) << label->Caption();
                shownLabels.emplace_back(whole(label), label->Caption());
            }
        }
        std::vector<const TLabel*> heads{data.titleLabel};
        for (size_t col = 0; col < n; ++col) {
            EXPECT_EQ(data.GetColumnLabel(col)->Visible(), columnShown(col)) << "column " << col;
            if (columnShown(col))
                heads.push_back(data.GetColumnLabel(col));
        }
        for (const TLabel* head : heads) {
            ASSERT_TRUE(head->Visible());
            holdsALine(head);
            EXPECT_TRUE(inside(drawn(head), false) && clearOfTimer(drawn(head))) << head->Caption();
            shownLabels.emplace_back(drawn(head), head->Caption());
        }
        if (data.titleImage != nullptr && data.titleImage->Visible())
            shownPictures.emplace_back(whole(data.titleImage), "the title's picture");
        int shown = 0;
        for (size_t r = 0; r < m; ++r) {
            const TLabel* header = RowHeader(r);
            std::vector<Box> labels{drawn(header)};
            for (size_t col = 0; col < n; ++col) {
                EXPECT_EQ(Time(r, col)->Visible(), header->Visible() && columnShown(col)) << "row " << r;
                EXPECT_EQ(Diff(r, col)->Visible(), header->Visible() && columnShown(col) && !c.hideDiffRows)
                    << "row " << r;
                if (!columnShown(col))
                    continue;
                labels.push_back(whole(Time(r, col)));
                if (!c.hideDiffRows)
                    labels.push_back(whole(Diff(r, col)));
            }
            // A row that begins before the table's origin is scrolled off its start; horizontally
            // its picture comes first.
            const TImage* picture = data.GetRowImage(r);
            int begin = c.horizontal ? header->Left() : header->Top();
            if (c.horizontal && picture != nullptr)
                begin = std::min(begin, picture->Left());
            bool fits = begin >= (c.horizontal ? Form->TableLeft : Form->TableTop);
            for (const Box& b : labels) {
                fits = fits && inside(b, false) && clearOfTimer(b);
                // Beside a horizontal table the timer area is a column of its own: a split that
                // reaches into it does not fit, though it may pass between the timer and the
                // counters.
                if (timerBeyond && c.horizontal)
                    fits = fits && b.right <= timerEdge();
            }
            if (header->Visible()) {
                ++shown;
                holdsALine(header);
                for (const Box& b : labels) {
                    EXPECT_TRUE(inside(b, clipped)) << "row " << r;
                    EXPECT_TRUE(clearOfTimer(b)) << "row " << r;
                    EXPECT_GT(b.bottom, b.top) << "row " << r;
                    shownLabels.emplace_back(b, "row " + std::to_string(r));
                }
                if (picture != nullptr && picture->Visible()) {
                    EXPECT_TRUE(clearOfTimer(whole(picture))) << "row " << r;
                    shownPictures.emplace_back(whole(picture), "the picture of row " + std::to_string(r));
                }
            } else {
                EXPECT_FALSE(fits) << "row " << r << " fits but is hidden";
            }
        }
        EXPECT_GT(shown, 0);
        for (size_t i = 0; i < shownLabels.size(); ++i) {
            const auto& [box, name] = shownLabels[i];
            for (size_t j = i + 1; j < shownLabels.size(); ++j)
                EXPECT_FALSE(meet(box, shownLabels[j].first))
                    << name << " (" << box.Text() << ") and " << shownLabels[j].second << " ("
                    << shownLabels[j].first.Text() << ")";
            for (const auto& [pictureBox, picture] : shownPictures)
                EXPECT_FALSE(meet(box, pictureBox))
                    << name << " (" << box.Text() << ") and " << picture << " (" << pictureBox.Text() << ")";
        }
    };

    check("ready, at the start");
    Wheel(-120 * 100);
    ASSERT_EQ(Form->ScrollOffset, Form->ScrollExtent);
    check("ready, at the end");
    SplitRows(full ? 9 : c.rows - 1);
    Form->CentreOnRow(data.GetCurrentSplit());
    if (full) {
        ASSERT_GT(Form->ScrollOffset, 0);
    }
    check("running, the row in progress centred");
    Wheel(120 * 100);
    check("running, at the start");
    Wheel(-120 * 100);
    check("running, at the end");
}

INSTANTIATE_TEST_SUITE_P(Layouts, LayoutGrid, ::testing::ValuesIn(SettingsGrid()),
                         [](const ::testing::TestParamInfo<GridCase>& info) { return GridName(info.param); });

TEST_F(Layout, HidingTheBestColumnMovesTheOthersOnePlaceLeft) {
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 2, 4));
    const int width = Form->Width();
    const int column0Left = ColumnHeader(0)->Left();
    const int column1Left = ColumnHeader(1)->Left();
    const int time0Left = Time(1, 0)->Left();
    Form->HideBestSplits = true;
    Form->UpdateLayout();
    EXPECT_FALSE(ColumnHeader(0)->Visible());
    EXPECT_FALSE(Time(1, 0)->Visible());
    EXPECT_FALSE(Diff(1, 0)->Visible());
    EXPECT_EQ(ColumnHeader(1)->Left(), column0Left);
    EXPECT_EQ(ColumnHeader(2)->Left(), column1Left);
    EXPECT_EQ(Time(1, 1)->Left(), time0Left);
    EXPECT_EQ(Form->Width(), width - Form->ColumnWidth);
}

TEST_F(Layout, HidingTheCurrentColumnDropsItWithoutMovingTheOthers) {
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 2, 4));
    const int column2Left = ColumnHeader(2)->Left();
    Form->HideCurrentSplits = true;
    Form->UpdateLayout();
    EXPECT_FALSE(ColumnHeader(3)->Visible());
    EXPECT_FALSE(Time(0, 3)->Visible());
    EXPECT_TRUE(ColumnHeader(2)->Visible());
    EXPECT_EQ(ColumnHeader(2)->Left(), column2Left);
}

TEST_F(Layout, HiddenDifferenceRowsMakeShortRows) {
    WriteSettings({"[Window]", "HideDiffRows=Y", "ExtraRowHeightShort=4"});
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 3, 3));
    EXPECT_EQ(Form->RowStep(), Form->ShortRowHeight);
    EXPECT_EQ(Form->ShortRowHeight, Diff(0, 0)->Height() + 4);
    EXPECT_EQ(RowHeader(2)->Top() - RowHeader(1)->Top(), Form->ShortRowHeight);
    EXPECT_TRUE(Time(1, 1)->Visible());
    EXPECT_FALSE(Diff(1, 1)->Visible());

    // Times and titles in fonts taller than the differences', then the difference rows hidden
    // again: a short row still holds the time and the title.
    Form->HideDiffRows = false;
    Form->SplitTimesFontName = "DejaVu Serif";
    Form->SplitTimesFontSize = 10;
    Form->RowHeaderFontName = "DejaVu Sans";
    Form->RowHeaderFontSize = 11;
    Form->DestroySplitTable();
    Form->BuildSplitTable();
    Form->UpdateLayout();
    Form->HideDiffRows = true;
    Form->UpdateLayout();
    const int titleHeight = RowHeader(1)->Canvas()->TextHeight("Agi");
    ASSERT_GT(Time(1, 1)->Height(), Diff(1, 1)->Height());
    ASSERT_GT(titleHeight, Diff(1, 1)->Height());
    EXPECT_EQ(Form->ShortRowHeight, std::max(Time(1, 1)->Height(), titleHeight) + 4);
    EXPECT_GE(RowHeader(2)->Top() - RowHeader(1)->Top(), RowHeader(1)->DrawnTextHeight());
    EXPECT_GE(Time(2, 1)->Top() - Time(1, 1)->Top(), Time(1, 1)->Height());
}

TEST_F(Layout, HiddenHideableRowsLeaveNoGap) {
    WriteSettings({"[Window]", "HideHideableRows=Y"});
    StartWindow();
    LoadTable(
        WriteSplitFile("run.txt", "Run", {"PB"},
                       {{"One", {"10.00", "10.00"}}, {"Two", {"10.00", "20.00"}, true}, {"Three", {}}}));
    const int rowH = Form->RowHeight;
    EXPECT_FALSE(RowHeader(1)->Visible());
    EXPECT_FALSE(Time(1, 1)->Visible());
    EXPECT_FALSE(Diff(1, 0)->Visible());
    EXPECT_EQ(RowHeader(2)->Top(), RowHeader(0)->Top() + rowH);
    EXPECT_EQ(Time(2, 1)->Top(), Time(0, 1)->Top() + rowH);
    EXPECT_EQ(Form->TableHeight, 2 * rowH + 5);
}

TEST_F(Layout, HiddenAttemptCountersNarrowTheWindow) {
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 1, 2));
    ASSERT_TRUE(A()->Visible());
    Form->HideAttemptCounters = true;
    Form->UpdateLayout();
    EXPECT_FALSE(A()->Visible());
    EXPECT_FALSE(Form->SessionAttemptsLabel->Visible());
    EXPECT_FALSE(Form->TotalAttemptsLabel->Visible());
    EXPECT_EQ(Form->Width(), std::max({T()->Width() + FrameW() + 5, 185, Form->TableWidth + FrameW() + 5}));
}

TEST_F(Layout, PicturesShiftTheTitleHeadersAndCellsByTheImageSize) {
    WritePicture("title.bmp", 8, 8);
    WritePicture("row.bmp", 8, 8);
    WriteSettings({"[Window]", "ImageSize=30"});
    StartWindow();
    LoadTable(WriteSplitFile("run.txt", "Run", {"PB"},
                             {{"One", {"10.00", "11.00"}, false, "row.bmp"}, {"Two", {"10.00", "22.00"}}},
                             "title.bmp"));
    FileDataClass& data = *Form->SplitData;
    ASSERT_NE(data.titleImage, nullptr);
    EXPECT_EQ(data.titleLabel->Left(), 2 + 30);
    EXPECT_EQ(data.titleImage->Left(), 2);
    EXPECT_EQ(data.titleImage->Top(), data.titleLabel->Top());
    EXPECT_EQ(ColumnHeader(0)->Left(), 75 + 2 + 30);
    EXPECT_EQ(RowHeader(0)->Left(), 2 + 30);
    EXPECT_EQ(RowHeader(1)->Left(), 2 + 30);
    EXPECT_EQ(data.GetRowImage(0)->Left(), 2);
    EXPECT_EQ(data.GetRowImage(0)->Top(), RowHeader(0)->Top());
    EXPECT_EQ(Time(0, 1)->Left(), 75 + Form->ColumnWidth + 2 + 2 + 30);
    EXPECT_EQ(Form->TableWidth, 3 * Form->ColumnWidth + 75 + 2 + 30);
}

TEST_F(Layout, TheBackgroundFillsTheClientAreaAtItsOwnSize) {
    WritePicture("bg.bmp", 40, 30);
    StartWindow();
    Form->BackgroundFileName = Dir + "bg.bmp";
    Form->RebuildDisplay();
    ASSERT_NE(Form->BackgroundImage, nullptr);
    // No split file: no background.
    EXPECT_FALSE(Form->BackgroundImage->Visible());
    LoadTable(WriteTableFile("run.txt", 2, 3));
    TImage* background = Form->BackgroundImage;
    EXPECT_TRUE(background->Visible());
    EXPECT_EQ(background->Left(), 0);
    EXPECT_EQ(background->Top(), 0);
    EXPECT_EQ(background->Width(), Form->ClientWidth());
    EXPECT_EQ(background->Height(), Form->ClientHeight());
    EXPECT_TRUE(background->Transparent());
    EXPECT_FALSE(background->Stretch());
}

TEST_F(Layout, HorizontalTableRunsAcrossBesideTheTimer) {
    WriteSettings({"[Window]", "HorizontalMode=Y"});
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 3, 3));
    const int colW = Form->ColumnWidth;
    const int rowH = Form->RowHeight;
    EXPECT_EQ(Form->TableLeft, T()->Width() + 75 + 10);
    EXPECT_EQ(Form->TableTop, 0);
    EXPECT_EQ(T()->Left(), 0);
    EXPECT_EQ(T()->Top(), 2);
    EXPECT_EQ(A()->Top(), Form->TimerAreaHeight + 2);
    EXPECT_EQ(A()->Left(), T()->Width() - A()->Width());
    EXPECT_EQ(Form->SplitData->titleLabel->Left(), T()->Width() + 10);
    EXPECT_EQ(Form->SplitData->titleLabel->Top(), 2);
    for (size_t c = 0; c < 3; ++c) {
        EXPECT_EQ(ColumnHeader(c)->Left(), T()->Width() + 10);
        EXPECT_EQ(ColumnHeader(c)->Top(), 26 + static_cast<int>(c) * rowH + 2);
        EXPECT_EQ(ColumnHeader(c)->Alignment(), taLeftJustify);
    }
    for (size_t r = 0; r < 3; ++r) {
        const int left = Form->TableLeft + static_cast<int>(r) * colW + 2;
        EXPECT_EQ(RowHeader(r)->Left(), left);
        EXPECT_EQ(RowHeader(r)->Top(), 2);
        EXPECT_EQ(RowHeader(r)->Alignment(), taRightJustify);
        for (size_t c = 0; c < 3; ++c) {
            EXPECT_EQ(Time(r, c)->Left(), left + 2);
            EXPECT_EQ(Time(r, c)->Top(), 26 + static_cast<int>(c) * rowH + 2);
        }
    }
    const int d = T()->Width() + 75 + (3 * colW + 2) + FrameW() + 10;
    EXPECT_EQ(Form->Width(), std::max(d, 185));
    EXPECT_EQ(Form->ScrollExtent, 0);
}

TEST_F(Layout, HorizontalTableWiderThanTheLimitScrollsByWholeColumns) {
    WriteSettings({"[Window]", "HorizontalMode=Y", "MaxWidth=400", "TimerOnLeft=N"});
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 12, 3));
    const int colW = Form->ColumnWidth;
    EXPECT_EQ(Form->Width(), 400);
    EXPECT_GT(Form->ScrollExtent, 0);
    EXPECT_EQ(Form->TableLeft, 75);
    EXPECT_EQ(T()->Left(), 400 - T()->Width() - 10);
    Wheel(-120);
    EXPECT_EQ(Form->ScrollOffset, 120 - 120 % colW);
    EXPECT_FALSE(RowHeader(0)->Visible());
    Wheel(-120 * 100);
    EXPECT_EQ(Form->ScrollOffset, Form->ScrollExtent);
}

TEST_F(Layout, ATallTableScrollsByWholeRowsBetweenItsLimits) {
    WriteSettings({"[Window]", "MaxHeight=300"});
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 40, 3));
    const int rowH = Form->RowHeight;
    const int d = Form->TimerAreaHeight + 26 + (40 * rowH + 5) + FrameH() + 5;
    EXPECT_EQ(Form->Height(), 300);
    EXPECT_EQ(Form->ScrollExtent, d - 300);
    EXPECT_EQ(Form->ScrollOffset, 0);

    Wheel(120); // away from the user: already at the top
    EXPECT_EQ(Form->ScrollOffset, 0);
    int previous = 0;
    for (int i = 0; i < 200 && Form->ScrollOffset < Form->ScrollExtent; ++i) {
        Wheel(-120);
        EXPECT_GT(Form->ScrollOffset, previous);
        if (Form->ScrollOffset < Form->ScrollExtent) {
            EXPECT_EQ(Form->ScrollOffset % rowH, 0) << Form->ScrollOffset;
        }
        previous = Form->ScrollOffset;
    }
    EXPECT_EQ(Form->ScrollOffset, Form->ScrollExtent);
    Wheel(-120);
    EXPECT_EQ(Form->ScrollOffset, Form->ScrollExtent);

    // Rows scrolled above the table's origin are hidden; the first row below it sits at the top.
    Form->ScrollOffset = 0;
    Wheel(-3 * rowH);
    ASSERT_EQ(Form->ScrollOffset, 3 * rowH);
    EXPECT_FALSE(RowHeader(2)->Visible());
    EXPECT_FALSE(Time(2, 1)->Visible());
    EXPECT_TRUE(RowHeader(3)->Visible());
    EXPECT_EQ(RowHeader(3)->Top(), Form->TableTop + 2);
}

TEST_F(Layout, ReverseWheelScrollsTheOtherWay) {
    WriteSettings({"[Window]", "MaxHeight=300", "ReverseMouseScroll=Y"});
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 40, 3));
    Wheel(-120);
    EXPECT_EQ(Form->ScrollOffset, 0);
    Wheel(120);
    EXPECT_EQ(Form->ScrollOffset, 120 - 120 % Form->RowHeight);
}

TEST_F(Layout, TheWheelDoesNothingWithoutASplitFile) {
    StartWindow();
    Wheel(-120);
    EXPECT_EQ(Form->ScrollOffset, 0);
}

TEST_F(Layout, TheRowInProgressIsCentred) {
    WriteSettings({"[Window]", "MaxHeight=300"});
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 40, 3));
    SplitRows(20);
    ASSERT_EQ(Form->SplitData->GetCurrentSplit(), 20u);
    Form->CentreOnRow(Form->SplitData->GetCurrentSplit());
    const int rowH = Form->RowHeight;
    EXPECT_EQ(Form->ScrollOffset % rowH, 0);
    TLabel* current = RowHeader(20);
    EXPECT_TRUE(current->Visible());
    const int middle = Form->TableTop + Form->TableHeight / 2;
    EXPECT_LE(std::abs(current->Top() + rowH / 2 - middle), rowH);

    // Near the end the table stops at its last position.
    for (int i = 0; i < 19; ++i) {
        rt::AdvanceTestClocks(1'000'000);
        Form->SplitData->MakeSplit("", {});
    }
    Form->CentreOnRow(Form->SplitData->GetCurrentSplit());
    EXPECT_EQ(Form->ScrollOffset, Form->ScrollExtent);
    // A row past the end counts as the last row.
    Form->CentreOnRow(500);
    EXPECT_EQ(Form->ScrollOffset, Form->ScrollExtent);
}

TEST_F(Layout, AFullLayoutStartsAgainFromTheTop) {
    WriteSettings({"[Window]", "MaxHeight=300"});
    StartWindow();
    LoadTable(WriteTableFile("run.txt", 40, 3));
    Wheel(-600);
    ASSERT_GT(Form->ScrollOffset, 0);
    Form->UpdateLayout();
    // Nothing has been split, so centring on row 0 leaves the table at its top.
    EXPECT_EQ(Form->ScrollOffset, 0);
    EXPECT_EQ(RowHeader(0)->Top(), Form->TableTop + 2);
}
