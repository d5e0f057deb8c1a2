#pragma once
// Test helpers for the split table: tables of given rows, columns and times built in memory, a
// test clock that tests advance instead of sleeping, and a temporary folder for the data files.

#include "core/FileDataClass.h"

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Empties the table and gives it the columns "Best Splits", one per comparison title, and
// "Current", and rowCount rows titled "Split 1", "Split 2", ... with empty cells. No file name.
void BuildTable(FileDataClass& data, size_t rowCount, const std::vector<std::string>& comparisons = {});

// Sets the cumulative times of column c from row 0 on (column 0 included); extra rows stay.
void SetColumnTimes(FileDataClass& data, size_t c, const std::vector<int32_t>& times);

// The cumulative times of column c, one per row.
std::vector<int32_t> ColumnTimes(const FileDataClass& data, size_t c);

// Replaces the monotonic and the wall clock for the life of the object. The wall clock starts at
// 2024-03-09 18:05:00 UTC.
class TestClock {
public:
    TestClock();
    ~TestClock();
    TestClock(const TestClock&) = delete;
    TestClock& operator=(const TestClock&) = delete;

    // Moves both clocks forward by the given hundredths of a second.
    void Advance(int32_t hundredths);
};

// A fresh folder under the system's temporary folder, removed with its contents at the end.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with a trailing '/'.
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

} // namespace testsupport
