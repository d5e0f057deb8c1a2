#pragma once
// What the split file targets expect of a save.

#include "core/FileDataClass.h"

#include <climits>
#include <cstdint>

namespace fuzzsupport {

// Whether a save can carry every value of the table. It cannot carry the most negative time (no
// time text expresses it, nor the best segment that would lead to it), nor, on the last row,
// which is never hideable, an image name that itself begins with the hideable prefix.
inline bool RoundTripsExactly(const FileDataClass& table) {
    if (table.startOffset == INT32_MIN)
        return false;
    int32_t previous = 0;
    for (const auto& row : table.rows) {
        for (const auto& cell : row->cells) {
            if (cell->time == INT32_MIN)
                return false;
        }
        const int32_t best = row->cells[0]->time;
        if (static_cast<int32_t>(static_cast<uint32_t>(best) - static_cast<uint32_t>(previous)) == INT32_MIN)
            return false;
        previous = best;
    }
    return table.rows.empty() || !table.rows.back()->imageFileName.starts_with("H|");
}

} // namespace fuzzsupport
