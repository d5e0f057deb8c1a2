// The split file: the document the user opens, one tab-separated text of the whole table except
// the run in progress. Read whole, written whole through an atomic replace.

#include "core/FileDataClass.h"
#include "core/TextHelpers.h"
#include "core/TimeText.h"
#include "platform/runtime/TextFile.h"

#include <algorithm>
#include <string_view>

namespace {

const char kStateMagic[] = "LPWSplitState\t";
const char kLogMagic[] = "LPWSplitLog\t";

std::string FileTime(int32_t value) {
    return FormatTime(value, true, false, 'H');
}

bool BreaksField(char c) {
    return c == '\t' || c == '\r' || c == '\n' || c == '\0' || c == '\x1a';
}

} // namespace

void FileDataClass::AppendField(std::string& text, const std::string& field) {
    const size_t start = text.size();
    text += field;
    for (size_t i = start; i < text.size(); ++i) {
        if (BreaksField(text[i]))
            text[i] = ' ';
    }
}

bool FileDataClass::HoldsStrayBytes(const std::string& text) {
    return text.find_first_of(std::string_view("\0\x1a", 2)) != std::string::npos;
}

bool FileDataClass::FitsInField(const std::string& text) {
    return std::none_of(text.begin(), text.end(), BreaksField);
}

bool FileDataClass::FitsSplitFile(size_t rowCount, size_t columnCount) {
    // The counts are checked before their product, which then cannot overflow.
    return columnCount <= kMaxSplitFileColumns && rowCount <= kMaxSplitFileRows &&
           rowCount * columnCount <= kMaxSplitFileCells;
}

void FileDataClass::LoadSplitFile(const std::string& name) {
    // Cleared first, so every refusal leaves an empty table without a file name.
    Clear();

    std::string text;
    if (!rt::ReadTextFile(name, text))
        return;
    // No split file the program wrote holds a NUL or a Ctrl-Z: one that does comes from a disk
    // that lost power or from elsewhere. Loaded, the next save would write it back changed, its
    // rows shifted where such bytes took a line end's place; refused, it stays as it is.
    if (HoldsStrayBytes(text))
        return;
    if (text.starts_with(kStateMagic) || text.starts_with(kLogMagic))
        return;

    StringList lines;
    SplitLines(text, lines);
    if (lines.size() < 4)
        return;
    StringList fields;
    SplitFields(lines[0], fields);
    if (fields.size() < 2)
        return;
    StringList titles;
    SplitFields(lines[1], titles);
    if (titles.empty())
        titles.emplace_back();

    // The table's size, known before anything is built: a table too big to hold is refused.
    const size_t n = std::max<size_t>(titles.size(), 2);
    const size_t pairedLines = lines.size() & ~static_cast<size_t>(1);
    size_t rowCount = 0;
    for (size_t i = 2; i < pairedLines; i += 2)
        if (!lines[i].empty())
            ++rowCount;
    if (!FitsSplitFile(rowCount, n))
        return;

    fileName = name;
    totalAttempts = static_cast<int32_t>(AtoL(fields[0]));
    startOffset = ParseTime(fields[1], 'H');
    if (fields.size() > 2)
        titleImageFileName = fields[2];

    title = titles[0];
    // Whatever the file calls its best and current columns, they keep their own titles.
    columns.push_back(std::make_unique<ColumnHeaderClass>("Best Splits"));
    for (size_t f = 2; f < titles.size(); ++f)
        columns.push_back(std::make_unique<ColumnHeaderClass>(titles[f]));
    columns.push_back(std::make_unique<ColumnHeaderClass>("Current"));

    StringList a;
    StringList b;
    int32_t bestSum = 0;
    rows.reserve(rowCount);
    for (size_t i = 2; i < pairedLines; i += 2) {
        SplitFields(lines[i], a);
        if (a.empty())
            continue; // an empty first line costs the whole pair
        SplitFields(lines[i + 1], b);
        if (a.size() < n)
            a.resize(n);
        if (b.size() < n)
            b.resize(n);

        auto row = std::make_unique<RowDataClass>(n);
        row->title = a[0];
        row->imageFileName = b[0];
        if (row->imageFileName.starts_with("H|")) {
            row->imageFileName.erase(0, 2);
            row->hideable = true;
        }
        // The file holds best segments; the table holds their running sum.
        bestSum = WrapAdd(bestSum, ParseTime(a[1], 'H'));
        row->cells[0]->time = bestSum;
        // A field holds no TAB and no line break, so its escaped form is the field itself.
        row->cells[0]->notes = b[1];
        for (size_t c = 1; c + 1 < n; ++c) {
            row->cells[c]->time = ParseTime(a[c + 1], 'H');
            row->cells[c]->notes = b[c + 1];
        }
        rows.push_back(std::move(row));
    }
    if (!rows.empty())
        rows.back()->hideable = false;
    currentSplit = 0;
}

void FileDataClass::SaveSplitFile() {
    if (fileName.empty())
        return;

    const size_t n = columns.size();
    std::string text;
    text.reserve(64 + rows.size() * 24 * (n + 1));
    text += IntToString(totalAttempts);
    text += '\t';
    text += FileTime(startOffset);
    text += '\t';
    AppendField(text, titleImageFileName);
    text += lineEnd;

    AppendField(text, title);
    for (size_t c = 0; c + 1 < n; ++c) {
        text += '\t';
        AppendField(text, columns[c]->title);
    }
    // The reader counts the columns by the fields of this line and drops one trailing empty
    // field: a last comparison column without a title would vanish with all its times. One more
    // TAB keeps it, and reads the same everywhere.
    if (n >= 3 && columns[n - 2]->title.empty())
        text += '\t';
    text += lineEnd;

    std::string lineB;
    int32_t previousBest = 0;
    for (const auto& row : rows) {
        AppendField(text, row->title);
        lineB.clear();
        if (row->hideable)
            lineB += "H|";
        AppendField(lineB, row->imageFileName);
        for (size_t c = 0; c + 1 < n; ++c) {
            const ColumnDataClass& cell = *row->cells[c];
            text += '\t';
            if (c == 0) {
                text += FileTime(WrapSub(cell.time, previousBest));
                previousBest = cell.time;
            } else {
                text += FileTime(cell.time);
            }
            lineB += '\t';
            if (!cell.notes.empty())
                AppendField(lineB, EscapeText(UnescapeText(cell.notes)));
        }
        text += lineEnd;
        text += lineB;
        text += lineEnd;
    }
    // A file needs four lines to be read at all. A table without rows (loaded from a file whose
    // only row pair began with an empty line) gets an empty pair, which the reader skips, so the
    // saved file opens again instead of being refused from then on.
    if (rows.empty()) {
        text += lineEnd;
        text += lineEnd;
    }

    // Synced and renamed over the old file: a crash or power cut leaves the old file or the new.
    rt::TextOutFile out;
    if (!out.Open(fileName, true))
        return;
    WriteLine(out, text);
    out.Close();
}
