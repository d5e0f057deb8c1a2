#include "core/support/SplitTableBuilder.h"

#include "platform/runtime/Clock.h"

#include <cstdlib>
#include <filesystem>

namespace testsupport {

void BuildTable(FileDataClass& data, size_t rowCount, const std::vector<std::string>& comparisons) {
    data.Clear();
    data.columns.push_back(std::make_unique<ColumnHeaderClass>("Best Splits"));
    for (const std::string& title : comparisons)
        data.columns.push_back(std::make_unique<ColumnHeaderClass>(title));
    data.columns.push_back(std::make_unique<ColumnHeaderClass>("Current"));
    for (size_t r = 0; r < rowCount; ++r) {
        auto row = std::make_unique<RowDataClass>(data.columns.size());
        row->title = "Split " + std::to_string(r + 1);
        data.rows.push_back(std::move(row));
    }
}

void SetColumnTimes(FileDataClass& data, size_t c, const std::vector<int32_t>& times) {
    for (size_t r = 0; r < times.size() && r < data.rows.size(); ++r)
        data.rows[r]->SetTime(c, times[r]);
}

std::vector<int32_t> ColumnTimes(const FileDataClass& data, size_t c) {
    std::vector<int32_t> times;
    for (size_t r = 0; r < data.GetRowCount(); ++r)
        times.push_back(data.GetCellTime(r, c));
    return times;
}

TestClock::TestClock() {
    rt::SetTestMonotonicClock(int64_t{1000000} * 1000000);
    rt::SetTestWallClock(int64_t{1710007500} * 1000000); // 2024-03-09 18:05:00 UTC
}

TestClock::~TestClock() {
    rt::UseSystemClocks();
}

void TestClock::Advance(int32_t hundredths) {
    rt::AdvanceTestClocks(int64_t{hundredths} * 10000);
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "lapwren-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr)
        path_ = pattern + "/";
}

TempFolder::~TempFolder() {
    if (!path_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
}

} // namespace testsupport
