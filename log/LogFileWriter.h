#pragma once
// Appends rows to the current CSV log file:
//
//   clock, "Log Name", "Log Number" --> "<Log Name> <YYYY> <Mon> #<n>.csv" in the resolved log folder
//   row --> [header if this write created the file] row CR LF --> write, fsync --> close
//
// Nothing survives between writes. The file is held under an exclusive flock while it is written, so a
// second station on the same file is refused instead of interleaving bytes; every refusal or failure is
// reported through ILogPrompts and the row is dropped without touching what the file already held.

#include "Clock.h"
#include "ILogPrompts.h"

#include <ctime>
#include <string>
#include <sys/types.h>

class LogFileWriter {
public:
    enum class Result { Written, CannotOpen, WriteFailed };

    // Where a row went: its file and the bytes of its line (row and line end) at `offset`.
    struct WrittenRow {
        std::string path;
        off_t offset = 0;
        std::string line;
    };

    LogFileWriter(const MagneticStripeCards::Clock& clock, ILogPrompts& prompts);

    // Appends `row` and a line end; `where`, when given, learns where the line went.
    Result Write(const std::string& row, WrittenRow* where = nullptr) const;

    // Puts `row` in place of the line `where` names, which must still be the last line of its file and
    // unchanged; anything else is refused as WriteFailed and leaves the file as it was.
    Result Replace(WrittenRow& where, const std::string& row) const;

    // " %Y %b #" in the classic locale (" 2005 Jun #"); empty when the time cannot be formatted.
    static std::string DatePart(const std::tm& local);
    static std::string FileName(const std::string& logName, const std::tm& local, const std::string& logNumber);

    // Log files hold licence data: owner read/write, group read.
    static constexpr unsigned kFileMode = 0640;
    static constexpr unsigned kFolderMode = 0750;

private:
    Result Fail(Result result) const;

    const MagneticStripeCards::Clock& m_clock;
    ILogPrompts& m_prompts;
};
