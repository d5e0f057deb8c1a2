#pragma once
// The titles of a split table's columns and rows, for comparing a whole table's shape at once in
// the core and the window tests.

#include "core/FileDataClass.h"

#include <string>
#include <vector>

namespace testsupport {

inline std::vector<std::string> ColumnTitles(const FileDataClass& data) {
    std::vector<std::string> titles;
    for (size_t c = 0; c < data.GetColumnCount(); ++c)
        titles.push_back(data.GetColumnTitle(c));
    return titles;
}

inline std::vector<std::string> RowTitles(const FileDataClass& data) {
    std::vector<std::string> titles;
    for (size_t r = 0; r < data.GetRowCount(); ++r)
        titles.push_back(data.GetRowTitle(r));
    return titles;
}

} // namespace testsupport
