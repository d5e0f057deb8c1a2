// The split history graph: opened by the "Split History Graph" command on the open split file's
// run log, with the choices of split, count and range a user makes, checked through the chart's
// series (values and labels), the statistics line, and a picture of the drawn chart.

#include <cstdlib>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QComboBox>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>

#include "core/TimeText.h"
#include "platform/forms/Chart.h"
#include "platform/forms/ComboBox.h"
#include "platform/forms/Edit.h"
#include "platform/forms/Label.h"
#include "platform/forms/Menus.h"
#include "platform/forms/TestSeams.h"
#include "platform/runtime/Clock.h"
#include "tests/ui/support/MainWindowFixture.h"
#include "ui/SplitHistoryUnit.h"

namespace {

struct Plot {
    std::vector<double> values;
    std::vector<std::string> labels;
    std::string stats;
};

Plot ReadPlot(const TSplitHistoryForm& form) {
    Plot plot;
    for (int i = 0; i < form.Series1->Count(); ++i) {
        plot.values.push_back(form.Series1->YValue(i));
        plot.labels.push_back(form.Series1->XLabel(i));
    }
    plot.stats = form.ResetStatsLabel->Caption();
    return plot;
}

// Picks an item as the user does: the list shows it, then reports the pick.
void Pick(TComboBox* box, int index) {
    box->ComboBox()->setCurrentIndex(index);
    emit box->ComboBox()->activated(index);
}

void TypeNumber(TEdit* edit, const std::string& text) {
    edit->LineEdit()->setText(QString::fromStdString(text));
}

// Microseconds since 1970 of a UTC date and time.
int64_t Utc(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    return static_cast<int64_t>(timegm(&t)) * 1'000'000;
}

std::string Stamp(int year, int month, int day, int hour, int minute) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d", year, month, day, hour, minute);
    return text;
}

const std::string kEmptyStats = "Reset 0 out of 0 runs (0.0%)          Average Reset Time: 0.0";

enum Range { kRuns, kDays, kWeeks, kMonths, kYears };

} // namespace

class HistoryGraph : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        if (const char* tz = std::getenv("TZ"))
            savedTz_ = tz;
        SetZone("UTC0");
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        if (savedTz_)
            setenv("TZ", savedTz_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }

    static void SetZone(const char* zone) {
        setenv("TZ", zone, 1);
        tzset();
    }

    // A split file of three rows (Forest, Cave, Castle) opened in the window.
    void OpenGame() {
        StartWindow();
        LoadTable(WriteSplitFile("game.txt", "Game", {"PB"},
                                 {{"Forest", {"30.00", "31.00"}},
                                  {"Cave", {"40.00", "1:12.00"}},
                                  {"Castle", {"50.00", "2:03.00"}}}));
        ASSERT_TRUE(Form->SplitData->HasFile());
    }

    // The run log beside game.txt, its header followed by the given run lines.
    void WriteLog(const std::vector<std::string>& runs) {
        std::vector<std::string> lines{"LPWSplitLog\tgame.txt"};
        lines.insert(lines.end(), runs.begin(), runs.end());
        WriteTextFile("game-RunLog.txt", lines);
    }

    // A complete run line with the cumulative times of its rows.
    static std::string Complete(const std::string& stamp, const std::vector<int32_t>& times) {
        std::string line = stamp + "\tC";
        for (int32_t time : times)
            line += "\t" + FormatTime(time, true, false, 'H');
        return line;
    }
    static std::string Reset(const std::string& stamp, int32_t elapsed) {
        return stamp + "\tR\t" + FormatTime(elapsed, true, false, 'H');
    }

    // Runs the command with a user who makes the given choices and reads the graph.
    Plot Open(std::optional<int> split = std::nullopt, std::optional<std::string> number = std::nullopt,
              std::optional<int> range = std::nullopt,
              const std::function<void(TSplitHistoryForm&)>& more = nullptr) {
        Plot plot;
        ScopedModalHandler user([&](TForm& shown) {
            EXPECT_EQ(&shown, SplitHistoryForm);
            TSplitHistoryForm& form = *SplitHistoryForm;
            if (split)
                Pick(form.SplitComboBox, *split);
            if (number)
                TypeNumber(form.NumberEdit, *number);
            if (range)
                Pick(form.RangeComboBox, *range);
            if (more)
                more(form);
            plot = ReadPlot(form);
            return mrCancel;
        });
        Form->ViewGraphHistoryMenuItemClick(Form->ViewGraphHistoryMenuItem);
        return plot;
    }

private:
    std::optional<std::string> savedTz_;
};

// --- Opening -------------------------------------------------------------------------------------

TEST_F(HistoryGraph, OpeningListsTheRowsAndRunAndStartsFromTheLastMonth) {
    OpenGame();
    WriteLog({});
    std::vector<std::string> items;
    ScopedModalHandler user([&](TForm&) {
        TSplitHistoryForm& form = *SplitHistoryForm;
        for (int i = 0; i < form.SplitComboBox->Items()->Count(); ++i)
            items.push_back(form.SplitComboBox->Items()->Strings(i));
        EXPECT_EQ(form.SplitComboBox->ItemIndex(), 3);
        EXPECT_EQ(form.NumberEdit->Text(), "1");
        EXPECT_EQ(form.RangeComboBox->ItemIndex(), kMonths);
        EXPECT_EQ(form.RangeComboBox->Text(), "Month(s)");
        // The split list has the keyboard first.
        EXPECT_TRUE(form.SplitComboBox->Focused());
        return mrCancel;
    });
    Form->ViewGraphHistoryMenuItemClick(Form->ViewGraphHistoryMenuItem);
    EXPECT_EQ(items, (std::vector<std::string>{"Forest", "Cave", "Castle", "Run"}));
}

TEST_F(HistoryGraph, EveryOpeningRereadsTheLogAndForgetsThePreviousChoices) {
    OpenGame();
    const int64_t now = Utc(2024, 3, 9, 18, 0);
    rt::SetTestWallClock(now);
    WriteLog({Complete(Stamp(2024, 3, 9, 10, 0), {3000, 7000, 12000})});
    Plot first = Open(0, "5", kRuns);
    EXPECT_EQ(first.values, (std::vector<double>{30.0, 0.0}));

    WriteLog({Complete(Stamp(2024, 3, 9, 10, 0), {3000, 7000, 12000}),
              Complete(Stamp(2024, 3, 9, 11, 0), {2900, 6800, 11800})});
    // Back to the whole run over the last month.
    Plot second = Open();
    EXPECT_EQ(second.values, (std::vector<double>{120.0, 118.0}));
    EXPECT_EQ(second.labels, (std::vector<std::string>{"2024/03/09 10:00", "2024/03/09 11:00"}));
}

TEST_F(HistoryGraph, WithoutASplitFileTheCommandShowsNothing) {
    StartWindow();
    bool shown = false;
    ScopedModalHandler user([&](TForm&) {
        shown = true;
        return mrCancel;
    });
    Form->ViewGraphHistoryMenuItemClick(Form->ViewGraphHistoryMenuItem);
    EXPECT_FALSE(shown);
}

TEST_F(HistoryGraph, EscapeClosesTheWindow) {
    OpenGame();
    bool closed = false;
    ScopedModalHandler user([&](TForm& shown) {
        QWidget* focus = shown.Widget()->window()->focusWidget();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(QChar(27)));
        QCoreApplication::sendEvent(focus ? focus : shown.Widget(), &press);
        closed = shown.ModalResult() != mrNone;
        return mrNone;
    });
    Form->ViewGraphHistoryMenuItemClick(Form->ViewGraphHistoryMenuItem);
    EXPECT_TRUE(closed);
}

// --- What is plotted -----------------------------------------------------------------------------

TEST_F(HistoryGraph, AnEmptyOrMissingLogDrawsTwoZeroPointsAndCountsNothing) {
    OpenGame();
    for (bool logExists : {false, true}) {
        if (logExists)
            WriteLog({});
        Plot plot = Open();
        EXPECT_EQ(plot.values, (std::vector<double>{0.0, 0.0})) << logExists;
        EXPECT_EQ(plot.labels, (std::vector<std::string>{"", ""})) << logExists;
        EXPECT_EQ(plot.stats, kEmptyStats) << logExists;
    }
}

TEST_F(HistoryGraph, ASplitPlotsItsSegmentAndTheRunItsFinalTime) {
    OpenGame();
    rt::SetTestWallClock(Utc(2024, 3, 9, 18, 0));
    WriteLog({Complete(Stamp(2024, 3, 1, 9, 5), {3000, 7150, 12000}),
              Complete(Stamp(2024, 3, 2, 9, 6), {2950, 7000, 11900}),
              // A skipped split is logged as 0 and plotted as it stands: the skipped split's
              // segment comes out negative and the next one covers both.
              Complete(Stamp(2024, 3, 3, 9, 7), {3100, 0, 12100})});
    const std::vector<std::string> labels{"2024/03/01 09:05", "2024/03/02 09:06", "2024/03/03 09:07"};

    struct Case {
        const char* shows;
        int split;
        std::vector<double> values;
    };
    for (const Case& c :
         std::vector<Case>{{"first split: its cumulative time", 0, {30.0, 29.5, 31.0}},
                           {"middle split: time minus the one before", 1, {41.5, 40.5, -31.0}},
                           {"last split after a skipped one", 2, {48.5, 49.0, 121.0}},
                           {"whole run: the final time", 3, {120.0, 119.0, 121.0}}}) {
        Plot plot = Open(c.split, "10", kRuns);
        EXPECT_EQ(plot.values, c.values) << c.shows;
        EXPECT_EQ(plot.labels, labels) << c.shows;
    }
}

TEST_F(HistoryGraph, TheRunCountPicksTheLastRunsAndReadsLeniently) {
    OpenGame();
    std::vector<std::string> runs;
    for (int i = 1; i <= 5; ++i)
        runs.push_back(Complete(Stamp(2024, 1, i, 12, 0), {1000, 2000, 10000 * i}));
    // A reset run is counted but not plotted.
    runs.push_back(Reset(Stamp(2024, 1, 6, 12, 0), 500));
    WriteLog(runs);

    struct Case {
        const char* shows;
        std::string number;
        std::vector<double> values;
    };
    for (const Case& c : std::vector<Case>{{"the last two", "2", {400.0, 500.0}},
                                           {"more than logged: all of them", "50", {100, 200, 300, 400, 500}},
                                           {"letters count as one", "abc", {500.0, 0.0}},
                                           {"an empty count is one", "", {500.0, 0.0}},
                                           {"zero is raised to one", "0", {500.0, 0.0}},
                                           {"a negative count is one", "-7", {500.0, 0.0}}}) {
        Plot plot = Open(3, c.number, kRuns);
        EXPECT_EQ(plot.values, c.values) << c.shows;
    }
}

TEST_F(HistoryGraph, EveryChangeOfAChoiceRedrawsAtOnce) {
    OpenGame();
    WriteLog({Complete(Stamp(2024, 1, 1, 12, 0), {1000, 2000, 3000}),
              Complete(Stamp(2024, 1, 2, 12, 0), {1100, 2300, 3600})});
    std::vector<std::vector<double>> seen;
    Open(std::nullopt, std::nullopt, std::nullopt, [&](TSplitHistoryForm& form) {
        Pick(form.RangeComboBox, kRuns);
        seen.push_back(ReadPlot(form).values);
        TypeNumber(form.NumberEdit, "2");
        seen.push_back(ReadPlot(form).values);
        Pick(form.SplitComboBox, 1);
        seen.push_back(ReadPlot(form).values);
    });
    EXPECT_EQ(seen, (std::vector<std::vector<double>>{{36.0, 0.0}, {30.0, 36.0}, {10.0, 12.0}}));
}

// --- Date ranges ---------------------------------------------------------------------------------

TEST_F(HistoryGraph, DateRangesGoBackToADateNotATime) {
    OpenGame();
    // Sunday 31 March 2024, 08:00.
    rt::SetTestWallClock(Utc(2024, 3, 31, 8, 0));
    WriteLog({Complete(Stamp(2023, 3, 30, 23, 59), {100, 200, 100}),
              Complete(Stamp(2023, 3, 31, 0, 0), {100, 200, 200}),
              Complete(Stamp(2024, 2, 28, 23, 59), {100, 200, 300}),
              Complete(Stamp(2024, 2, 29, 0, 0), {100, 200, 400}),
              Complete(Stamp(2024, 3, 23, 23, 59), {100, 200, 500}),
              Complete(Stamp(2024, 3, 24, 0, 0), {100, 200, 600}),
              Complete(Stamp(2024, 3, 29, 23, 59), {100, 200, 700}),
              Complete(Stamp(2024, 3, 30, 0, 1), {100, 200, 800}),
              Complete(Stamp(2024, 3, 31, 7, 0), {100, 200, 900})});

    struct Case {
        const char* shows;
        int range;
        std::string number;
        std::vector<double> values;
    };
    for (const Case& c : std::vector<Case>{
             {"one day: all of yesterday and today", kDays, "1", {8, 9}},
             {"one week: from the same weekday a week ago", kWeeks, "1", {6, 7, 8, 9}},
             {"one month from the 31st: the last day of February", kMonths, "1", {4, 5, 6, 7, 8, 9}},
             {"one year: the same date a year ago", kYears, "1", {2, 3, 4, 5, 6, 7, 8, 9}},
             {"a count past every run takes them all", kYears, "2147483647", {1, 2, 3, 4, 5, 6, 7, 8, 9}},
             {"as many days as weeks", kDays, "2147483647", {1, 2, 3, 4, 5, 6, 7, 8, 9}}}) {
        Plot plot = Open(3, c.number, c.range);
        EXPECT_EQ(plot.values, c.values) << c.shows;
    }
}

TEST_F(HistoryGraph, NoRunInTheRangeDrawsOnlyTheTwoZeroPoints) {
    OpenGame();
    rt::SetTestWallClock(Utc(2024, 6, 15, 12, 0));
    WriteLog({Complete(Stamp(2024, 1, 10, 12, 0), {100, 200, 300}), Reset(Stamp(2024, 1, 11, 12, 0), 1000)});
    Plot plot = Open();
    EXPECT_EQ(plot.values, (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(plot.labels, (std::vector<std::string>{"", ""}));
    // The statistics cover the whole log, whatever the range.
    EXPECT_EQ(plot.stats, "Reset 1 out of 2 runs (50.0%)          Average Reset Time: 10.00");
}

TEST_F(HistoryGraph, TheLocalCutOffIsComparedWithUtcDays) {
    OpenGame();
    // Ten hours east of UTC: 10 March, 01:00 local is 9 March, 15:00 UTC.
    SetZone("EAST-10");
    rt::SetTestWallClock(Utc(2024, 3, 9, 15, 0));
    // Logged on 9 March local time (09:30) but stamped on 8 March in UTC: before the cut-off
    // date of "yesterday", 9 March.
    WriteLog({Complete(Stamp(2024, 3, 8, 23, 30), {100, 200, 300}),
              Complete(Stamp(2024, 3, 9, 0, 30), {100, 200, 400})});
    Plot plot = Open(3, "1", kDays);
    EXPECT_EQ(plot.values, (std::vector<double>{4.0, 0.0}));
}

TEST_F(HistoryGraph, RunsWithTooFewTimesForTheSplitAreLeftOut) {
    OpenGame();
    WriteLog({Complete(Stamp(2024, 1, 1, 12, 0), {1000, 2000, 3000})});
    Open(2, "10", kRuns, [&](TSplitHistoryForm& form) {
        // A run listed when the table had fewer rows.
        auto* older = new HistoryDataClass();
        older->SetDate(Stamp(2024, 1, 2, 12, 0));
        older->times = {900, 1900};
        Form->SplitData->history.Add(older);
        form.RefreshChart();
        EXPECT_EQ(ReadPlot(form).values, (std::vector<double>{10.0, 0.0}));
        Pick(form.SplitComboBox, 1);
        EXPECT_EQ(ReadPlot(form).values, (std::vector<double>{10.0, 10.0}));
    });
}

TEST_F(HistoryGraph, ATableWithoutRowsPlotsOnlyTheZeroPoints) {
    StartWindow();
    // Its only row line is empty, so the file loads without rows.
    WriteTextFile("game.txt", {"1\t0.00\t", "Empty\tBest Splits", "", ""});
    LoadTable(Dir + "game.txt");
    ASSERT_TRUE(Form->SplitData->HasFile());
    ASSERT_EQ(Form->SplitData->GetRowCount(), 0u);
    WriteLog({Stamp(2024, 1, 1, 12, 0) + "\tC", Complete(Stamp(2024, 1, 2, 12, 0), {1000})});
    Plot plot = Open(0, "10", kRuns);
    EXPECT_EQ(plot.values, (std::vector<double>{0.0, 0.0}));
    EXPECT_EQ(plot.stats, "Reset 0 out of 2 runs (0.0%)          Average Reset Time: 0.0");
}

// --- Statistics ----------------------------------------------------------------------------------

TEST_F(HistoryGraph, TheStatisticsLineGivesTheResetShareAndAverage) {
    OpenGame();
    struct Case {
        const char* shows;
        int complete;
        std::vector<int32_t> resets;
        char mode;
        std::string stats;
    };
    const std::vector<Case> cases{
        {"two of eight reset, the average in hours mode",
         6,
         {5820, 7475},
         'H',
         "Reset 2 out of 8 runs (25.0%)          Average Reset Time: 1:06.47"},
        {"three of five, the average truncated",
         2,
         {100, 101, 1},
         'H',
         "Reset 3 out of 5 runs (60.0%)          Average Reset Time: 0.67"},
        {"two thirds, rounded to one place",
         1,
         {4000, 4000},
         'S',
         "Reset 2 out of 3 runs (66.7%)          Average Reset Time: 40.00"},
        {"every run reset, the average as a count",
         0,
         {6647},
         'C',
         "Reset 1 out of 1 runs (100.0%)          Average Reset Time: 6647"},
        {"no reset", 3, {}, 'H', "Reset 0 out of 3 runs (0.0%)          Average Reset Time: 0.0"},
        // Their sum, 2,400,000,000 hundredths, does not fit in 32 bits.
        {"forty thousand resets of ten minutes", 0, std::vector<int32_t>(40000, 60000), 'H',
         "Reset 40000 out of 40000 runs (100.0%)          Average Reset Time: 10:00.00"},
    };
    for (const Case& c : cases) {
        // The average follows the timer's time format.
        Form->TimerTimeFormatMode = c.mode;
        std::vector<std::string> runs;
        for (int i = 0; i < c.complete; ++i)
            runs.push_back(Complete(Stamp(2024, 1, 1 + i, 12, 0), {100, 200, 300}));
        for (int32_t elapsed : c.resets)
            runs.push_back(Reset(Stamp(2024, 2, 1, 12, 0), elapsed));
        WriteLog(runs);
        EXPECT_EQ(Open().stats, c.stats) << c.shows;
    }
}

// --- The drawn chart -----------------------------------------------------------------------------

TEST_F(HistoryGraph, ALogOfThreeDozenRunsIsDrawnWithTurnedDateLabels) {
    OpenGame();
    rt::SetTestWallClock(Utc(2024, 4, 30, 20, 0));
    std::vector<std::string> runs;
    std::vector<double> expected;
    std::vector<std::string> labels;
    for (int i = 0; i < 36; ++i) {
        const int day = 1 + i % 28;
        const int month = i < 28 ? 3 : 4;
        const int32_t total = 12000 - 40 * i + (i % 5) * 90;
        runs.push_back(Complete(Stamp(2024, month, day, 19, i), {3000 + i, 7000 + 2 * i, total}));
        if (i % 4 == 3)
            runs.push_back(Reset(Stamp(2024, month, day, 19, 59), 2000 + 100 * i));
        expected.push_back(total * 0.01);
        labels.push_back(Stamp(2024, month, day, 19, i));
    }
    WriteLog(runs);

    QImage picture;
    Plot plot = Open(std::nullopt, "2", std::nullopt, [&](TSplitHistoryForm& form) {
        picture = form.Chart->Render();
        // Kept under the build folder, where the test runs.
        picture.save("history-graph.png");
    });
    EXPECT_EQ(plot.values, expected);
    EXPECT_EQ(plot.labels, labels);
    EXPECT_EQ(plot.stats, "Reset 9 out of 45 runs (20.0%)          Average Reset Time: 39.00");

    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.width(), SplitHistoryForm->Chart->Width());
    EXPECT_EQ(picture.height(), SplitHistoryForm->Chart->Height());
    // The line is drawn in the series' red.
    int red = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QColor pixel = picture.pixelColor(x, y);
            if (pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80)
                ++red;
        }
    EXPECT_GT(red, 100);
}
