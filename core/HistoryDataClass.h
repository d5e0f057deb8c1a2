#pragma once
// The run history: the complete runs read from a run log, indexed by UTC day, and the counts of
// all logged runs and of the runs reset before their end. It is filled by the run-log loader and
// read by the history graph; it neither reads nor writes files itself.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// One logged complete run.
class HistoryDataClass {
public:
    HistoryDataClass();

    // Sets dateText, sortKey and minutes from a "YYYY/MM/DD hh:mm" stamp, read by position.
    void SetDate(const std::string& stamp);

    std::string dateText;       // the stamp rebuilt as "YYYY/MM/DD hh:mm"
    std::string sortKey;        // "YYYYMMDDhhmm"; its first 8 characters are the day key
    int32_t minutes;            // minutes from 1901-01-01 00:00 to the stamp
    int32_t index;              // position in the history list
    std::vector<int32_t> times; // cumulative split times, one per row of the table when loaded
};

// The run history. Owns its items; byDay only points at them.
class HistoryDataListClass {
public:
    HistoryDataListClass();
    ~HistoryDataListClass();
    HistoryDataListClass(const HistoryDataListClass&) = delete;
    HistoryDataListClass& operator=(const HistoryDataListClass&) = delete;

    unsigned Count() const;
    void Clear();
    // Takes ownership of run, appends it and indexes it under its day.
    void Add(HistoryDataClass* run);
    // No range test: callers pass 0 <= i < Count().
    HistoryDataClass* Item(unsigned i) const;
    // The list index of the first run of the first logged day at or after the key, or -1.
    int32_t FindDay(const std::string& key) const;

    std::vector<std::unique_ptr<HistoryDataClass>> items;
    std::map<std::string, std::vector<HistoryDataClass*>> byDay;
    int32_t totalRuns;
    int32_t resetRuns;
    // The sum of many 32-bit reset times: 64 bits, so that it cannot wrap.
    int64_t resetTime;
};
