// The run log: one line appended for every finished run and every run reset before its end, read
// back into the run history for the graph. Also the names of the files that live beside the split
// file (the run log and the split state).

#include "core/FileDataClass.h"
#include "core/TextHelpers.h"
#include "core/TimeText.h"
#include "platform/runtime/TextFile.h"

#include <cstdio>
#include <ctime>
#include <string_view>

namespace {

const char kLogMagic[] = "LPWSplitLog\t";

std::string FileTime(int32_t value) {
    return FormatTime(value, true, false, 'H');
}

bool IsPadding(char c) {
    return c == '\0' || c == '\x1A';
}

size_t LastFolderSeparator(const std::string& name) {
    return name.find_last_of("/\\:");
}

} // namespace

std::string FileDataClass::DerivedFileName(const std::string& name, const std::string& suffix) {
    // The last '.' of the whole path counts, even when it lies in a folder name: files already
    // stored beside their split files carry names made this way.
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return name + suffix + ".txt";
    return name.substr(0, dot) + suffix + name.substr(dot);
}

std::string FileDataClass::NameWithoutFolder(const std::string& name) {
    const size_t sep = LastFolderSeparator(name);
    return sep == std::string::npos ? name : name.substr(sep + 1);
}

std::string FileDataClass::FolderOf(const std::string& name) {
    const size_t sep = LastFolderSeparator(name);
    return sep == std::string::npos ? std::string() : name.substr(0, sep + 1);
}

std::string FileDataClass::RunLogFileName() const {
    return DerivedFileName(fileName, "-RunLog");
}

std::string FileDataClass::SplitStateFileName() const {
    return DerivedFileName(fileName, "-SplitState");
}

void FileDataClass::AppendRunLog() {
    LogRun();
}

std::string FileDataClass::LogRun() {
    if (fileName.empty())
        return std::string();

    TimeValRecord now;
    GetTimeOfDay(&now, nullptr);
    // The clock never reads before 1970, so the 32-bit seconds are taken unsigned: stamps stay
    // right past 2038.
    const std::time_t seconds = static_cast<std::time_t>(static_cast<uint32_t>(now.tv_sec));
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "%04d/%02d/%02d %02d:%02d", utc.tm_year + 1900, utc.tm_mon + 1,
                  utc.tm_mday, utc.tm_hour, utc.tm_min);

    const size_t last = columns.empty() ? 0 : columns.size() - 1;
    std::string line = stamp;
    if (IsRunComplete()) {
        line += "\tC";
        for (const auto& row : rows) {
            line += '\t';
            line += FileTime(row->GetTime(last));
        }
    } else {
        line += "\tR";
        for (size_t i = 0; i < currentSplit && i < rows.size(); ++i) {
            line += '\t';
            line += FileTime(rows[i]->GetTime(last));
        }
        line += '\t';
        line += FileTime(timer->Elapsed());
    }
    line += lineEnd;

    // A log without text (missing, empty, or only what a power cut left) gets its header; the
    // header and the run line go down in one write, so a crash never leaves half a line.
    std::string header = kLogMagic;
    AppendField(header, NameWithoutFolder(fileName));
    header += lineEnd;
    return rt::AppendTextFile(RunLogFileName(), line, header) ? line : std::string();
}

void FileDataClass::UnlogRun(const std::string& line) {
    // Only the line's own bytes are written over, and only while nothing follows them: a line
    // another program appended since is never lost, and neither is the header written with it.
    if (!fileName.empty())
        rt::CutAppendedText(RunLogFileName(), line);
}

void FileDataClass::LoadRunLog() {
    history.Clear();
    if (fileName.empty())
        return;

    std::string text;
    if (!rt::ReadTextFile(RunLogFileName(), text))
        return;
    // A log that a power cut left as NULs gets its header on a line after them, as the appender
    // never cuts them off.
    if (!text.empty() && IsPadding(text[0]))
        text.erase(0, text.find_first_not_of(std::string_view("\0\x1A\r\n", 4)));
    // The split file named in the header is not compared with the open one.
    if (!text.starts_with(kLogMagic))
        return;
    StringList lines;
    SplitLines(text, lines);
    if (lines.size() < 2)
        return;

    const size_t n = rows.size();
    StringList fields;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string& line = lines[i];
        // A line that begins with a NUL is none: a run taken back, what was written of one that
        // did not fit, or a power cut's padding.
        if (!line.empty() && line[0] == '\0')
            continue;
        // A Ctrl-Z or NULs that ended the text when a run was appended after them without the
        // appenders' turn are no part of the last field.
        while (!line.empty() && IsPadding(line.back()))
            line.pop_back();
        SplitFields(line, fields);
        if (fields.size() < 2)
            continue;
        const std::string& kind = fields[1];
        if (kind == "C") {
            ++history.totalRuns;
            // A run logged when the table had fewer rows is counted but not listed.
            if (fields.size() < n + 2)
                continue;
            auto run = std::make_unique<HistoryDataClass>();
            run->SetDate(fields[0]);
            run->times.reserve(n);
            for (size_t k = 2; k < n + 2; ++k)
                run->times.push_back(ParseTime(fields[k], 'H'));
            history.Add(run.release());
        } else if (kind == "R" && fields.size() >= 3) {
            ++history.totalRuns;
            ++history.resetRuns;
            history.resetTime += ParseTime(fields.back(), 'H');
        }
    }
}
