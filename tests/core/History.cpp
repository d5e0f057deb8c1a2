#include "core/HistoryDataClass.h"

#include <gtest/gtest.h>

TEST(HistoryDate, stamps_give_their_text_sort_key_and_minutes_since_1901) {
    const struct {
        const char* stamp;
        const char* dateText;
        const char* sortKey;
        int32_t minutes;
    } cases[] = {
        {"1901/01/01 00:00", "1901/01/01 00:00", "190101010000", 0},
        {"1901/01/02 00:00", "1901/01/02 00:00", "190101020000", 1440},
        {"1901/03/01 00:00", "1901/03/01 00:00", "190103010000", 59 * 1440},
        // 1904 is a leap year: its March starts a day later.
        {"1904/03/01 00:00", "1904/03/01 00:00", "190403010000", (3 * 365 + 59 + 1) * 1440},
        {"1904/02/29 23:59", "1904/02/29 23:59", "190402292359", (3 * 365 + 59 + 1) * 1440 - 1},
        {"2024/03/09 18:05", "2024/03/09 18:05", "202403091805", 64'791'005},
        // The separators are not looked at; only the positions count.
        {"2024-03-09T18.05", "2024/03/09 18:05", "202403091805", 64'791'005},
        // Pieces beyond the end are empty and read as 0; a month of 0 adds no month lengths.
        {"2024/03/0", "2024/03/0 :", "2024030", 64'776'960},
        {"", "// :", "", -999'851'040},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stamp);
        HistoryDataClass run;
        run.SetDate(c.stamp);
        EXPECT_EQ(run.dateText, c.dateText);
        EXPECT_EQ(run.sortKey, c.sortKey);
        EXPECT_EQ(run.minutes, c.minutes);
    }
}

TEST(HistoryDate, absurd_years_wrap_instead_of_overflowing) {
    HistoryDataClass run;
    run.SetDate("9999/12/31 99:99");
    EXPECT_EQ(run.sortKey, "999912319999");
    // 4,259,753,559 minutes do not fit in 32 bits.
    EXPECT_EQ(run.minutes, -35'213'737);
}

namespace {

HistoryDataClass* LoggedRun(const char* stamp) {
    auto* run = new HistoryDataClass;
    run->SetDate(stamp);
    return run;
}

} // namespace

TEST(HistoryList, runs_are_indexed_by_utc_day_in_log_order) {
    HistoryDataListClass list;
    list.Add(LoggedRun("2024/03/09 18:05"));
    list.Add(LoggedRun("2024/03/12 08:00"));
    list.Add(LoggedRun("2024/03/09 23:59"));
    list.Add(LoggedRun("2024/03/15 12:00"));
    ASSERT_EQ(list.Count(), 4u);
    EXPECT_EQ(list.Item(2)->index, 2);
    ASSERT_EQ(list.byDay.size(), 3u);
    EXPECT_EQ(list.byDay["20240309"], (std::vector<HistoryDataClass*>{list.Item(0), list.Item(2)}));

    const struct {
        const char* key;
        int32_t index;
    } days[] = {
        {"20240309", 0},  // a day with two runs: the earlier
        {"20240310", 1},  // a day without runs: the next logged day
        {"20240101", 0},  // before every run
        {"20240316", -1}, // after every run
        {"2024031", 1},   // seven characters look up "20240310"
        {"202403151200", 3},
    };
    for (const auto& d : days) {
        SCOPED_TRACE(d.key);
        EXPECT_EQ(list.FindDay(d.key), d.index);
    }

    list.totalRuns = 7;
    list.resetRuns = 3;
    list.resetTime = 900;
    list.Clear();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_TRUE(list.byDay.empty());
    EXPECT_EQ(list.totalRuns + list.resetRuns + list.resetTime, 0);
    EXPECT_EQ(list.FindDay("20240309"), -1);
}
