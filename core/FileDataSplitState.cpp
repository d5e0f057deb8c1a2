// The split state file: the run in progress (its split file, elapsed time, splits made and their
// times), kept so that a restart or a crash can resume it as a paused run.

#include "core/FileDataClass.h"
#include "core/TextHelpers.h"
#include "core/TimeText.h"
#include "platform/runtime/TextFile.h"

#include <algorithm>
#include <cstdio>

namespace {

const char kStateMagic[] = "LPWSplitState\t";

std::string FileTime(int32_t value) {
    return FormatTime(value, true, false, 'H');
}

} // namespace

void FileDataClass::SaveSplitState() {
    std::string path = defaultStateFileName;
    std::string name;
    if (!fileName.empty()) {
        path = stateFileName.empty() ? SplitStateFileName() : stateFileName;
        name = NameWithoutFolder(fileName);
        // Written any other way, the name would lead the restore to another file, or to none.
        // No state is written then, and any file already at the path stays as it was.
        if (!FitsInField(name))
            return;
    }

    const size_t last = columns.empty() ? 0 : columns.size() - 1;
    std::string text;
    text.reserve(64 + name.size() + currentSplit * 12);
    text += kStateMagic;
    text += name;
    text += lineEnd;
    text += FileTime(timer->Elapsed());
    text += '\t';
    char number[16];
    std::snprintf(number, sizeof number, "%d", static_cast<int>(currentSplit));
    text += number;
    text += lineEnd;
    for (size_t i = 0; i < currentSplit && i < rows.size(); ++i) {
        text += FileTime(rows[i]->GetTime(last));
        text += lineEnd;
    }

    // Rewritten on every display tick while a run goes on: renamed over the old file so a crash
    // never leaves half a state, but not synced, which would cost far more than a tick.
    rt::TextOutFile out;
    if (!out.Open(path, false))
        return;
    WriteLine(out, text);
    out.Close();
}

void FileDataClass::LoadSplitState(const std::string& path) {
    Clear();

    std::string text;
    if (!rt::ReadTextFile(path, text))
        return;
    // No state the program wrote holds a NUL or a Ctrl-Z: one that does is damaged, its times
    // are not the run's, and a NUL in the name would cut short the split file it opens.
    if (!text.starts_with(kStateMagic) || HoldsStrayBytes(text))
        return;
    StringList lines;
    SplitLines(text, lines);
    if (lines.size() < 2)
        return;

    StringList header;
    SplitFields(lines[0], header);
    StringList fields;
    if (header.size() < 2 || header[1].empty()) {
        // A state saved without a split file: only the plain timer comes back.
        SplitFields(lines[1], fields);
        if (!fields.empty())
            timer->Reset(ParseTime(fields[0], 'H'));
        return;
    }

    // The split file is always looked up beside the state file: a folder in the stored name is
    // dropped, so a state file cannot point the saves at a file elsewhere.
    LoadSplitFile(FolderOf(path) + NameWithoutFolder(header[1]));
    if (columns.empty()) {
        Clear();
        return;
    }
    stateFileName = path;

    SplitFields(lines[1], fields);
    if (!fields.empty())
        timer->Reset(ParseTime(fields[0], 'H'));
    if (fields.size() >= 2) {
        // Stored unsigned: a negative count reads as very large and ends at the last row.
        currentSplit = static_cast<uint32_t>(AtoL(fields[1]));
        if (rows.empty())
            currentSplit = 0; // no row can be in progress, and none has a time to restore
        else if (currentSplit > rows.size() - 1)
            currentSplit = static_cast<uint32_t>(rows.size() - 1);
    }

    const size_t last = columns.size() - 1;
    const size_t end = std::min<size_t>(static_cast<size_t>(currentSplit) + 2, lines.size());
    for (size_t k = 2; k < end; ++k)
        rows[k - 2]->SetTime(last, ParseTime(lines[k], 'H'));
}
