#include "core/HistoryDataClass.h"

#include "core/TimeText.h"

namespace {

// A piece of the stamp by position: cut short at the end of the text, empty beyond it.
std::string Piece(const std::string& text, size_t start, size_t length) {
    if (start >= text.size())
        return std::string();
    return text.substr(start, length);
}

} // namespace

HistoryDataClass::HistoryDataClass() : minutes(0), index(0) {}

void HistoryDataClass::SetDate(const std::string& stamp) {
    const std::string year = Piece(stamp, 0, 4);
    const std::string month = Piece(stamp, 5, 2);
    const std::string day = Piece(stamp, 8, 2);
    const std::string hour = Piece(stamp, 11, 2);
    const std::string minute = Piece(stamp, 14, 2);

    sortKey = year + month + day + hour + minute;
    dateText = year + "/" + month + "/" + day + " " + hour + ":" + minute;

    // Every year divisible by 4 is a leap year: exact from 1901 to 2099, which is all a stamp of
    // the wall clock will ever hold. The pieces are at most four characters, so 64 bits cannot
    // overflow; the result wraps into 32 bits for absurd years.
    static const int64_t monthDays[11] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30};
    const int64_t y = static_cast<int64_t>(AtoL(year)) - 1901;
    const int64_t m = AtoL(month);
    int64_t days = 365 * y + y / 4;
    if (m >= 1 && m <= 12) {
        for (int64_t k = 1; k < m; ++k)
            days += monthDays[k - 1];
        if (m >= 3 && y % 4 == 3)
            days += 1;
    }
    days += static_cast<int64_t>(AtoL(day)) - 1;
    const int64_t total = days * 1440 + static_cast<int64_t>(AtoL(hour)) * 60 + AtoL(minute);
    minutes = static_cast<int32_t>(total);
}

HistoryDataListClass::HistoryDataListClass() : totalRuns(0), resetRuns(0), resetTime(0) {}

HistoryDataListClass::~HistoryDataListClass() {
    Clear();
}

unsigned HistoryDataListClass::Count() const {
    return static_cast<unsigned>(items.size());
}

void HistoryDataListClass::Clear() {
    byDay.clear();
    items.clear();
    totalRuns = 0;
    resetRuns = 0;
    resetTime = 0;
}

void HistoryDataListClass::Add(HistoryDataClass* run) {
    items.emplace_back(run);
    run->index = static_cast<int32_t>(items.size() - 1);
    byDay[run->sortKey.substr(0, 8)].push_back(run);
}

HistoryDataClass* HistoryDataListClass::Item(unsigned i) const {
    return items[i].get();
}

int32_t HistoryDataListClass::FindDay(const std::string& key) const {
    std::string day = key;
    if (day.size() < 8)
        day += "0";
    day = day.substr(0, 8);
    const auto it = byDay.lower_bound(day);
    if (it == byDay.end() || it->second.empty())
        return -1;
    return it->second.front()->index;
}
