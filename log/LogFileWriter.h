#pragma once
// Appends rows to this run's CSV log file:
//
//   clock, "Log Name", run number --> "<Log Name> <YYYY> <Mon> #<run>.csv" in the resolved log folder
//   row --> rows still waiting in the spool first, each file's in order --> [header if this write created
//           the file] row CR LF --> write, fsync --> close
//   the log folder or file cannot take it --> the row waits in the spool (LogSpool); the first failure
//           after everything was written is reported, on standard error and with the box
//
// The run number is the one the station got at its start, whatever other stations on the same hive do to
// "Log Number" later, so one run keeps to one file a month. Nothing is ever written anywhere but the log
// folder. The file is held under an exclusive flock while it is written; a writer that meets another's
// lock waits for it, but only kLockWait. A file is never opened through a symbolic link, and a file the
// writer creates is readable and writable by the log folder's group.

#include "Clock.h"
#include "ILogPrompts.h"
#include "LogSpool.h"

#include <chrono>
#include <ctime>
#include <optional>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

class LogFileWriter {
public:
    enum class Result {
        Written,    // the row is in the log
        Kept,       // not yet: it waits in the spool file next to the hive, also across a restart, and goes
                    // into the log, in order, at the next write that succeeds
        CannotOpen, // not yet, and held in memory only (the spool file cannot be written either): lost if
        WriteFailed // the station stops before the log folder is back
    };

    // Where a row went: its file and the bytes of its line (row and line end) at `offset`; or, for a row
    // that waits, its id in the spool.
    struct WrittenRow {
        std::string path;
        off_t offset = 0;
        std::string line;
        std::string keptAs;
    };

    // `runNumber` names this run's files: the "Log Number" the station raised at its start.
    LogFileWriter(const MagneticStripeCards::Clock& clock, ILogPrompts& prompts, std::string runNumber);

    // Appends `row` and a line end, after any rows still waiting; `where`, when given, learns where it went.
    Result Write(const std::string& row, WrittenRow* where = nullptr);

    // Puts `row` in place of the line `where` names, which must still be the last line of its file and
    // unchanged; anything else is refused as WriteFailed and leaves the file as it was. A row that still
    // waits in the spool takes the new text there (Kept).
    Result Replace(WrittenRow& where, const std::string& row);

    // " %Y %b #" in the classic locale (" 2005 Jun #"); empty when the time cannot be formatted.
    static std::string DatePart(const std::tm& local);
    static std::string FileName(const std::string& logName, const std::tm& local, const std::string& logNumber);

    const LogSpool& Spool() const { return m_spool; }

    // How long a write waits for another writer's lock on the log file, in all.
    static constexpr std::chrono::milliseconds kLockWait{300};

private:
    struct Attempt {
        Result result = Result::Written;
        int error = 0;
        std::string path;
    };

    Attempt Append(const std::string& target, const std::string& row, WrittenRow* where,
                   std::chrono::steady_clock::time_point deadline) const;
    // Puts the waiting rows into the log, one write per file, each file's rows in their order. A file that
    // cannot take its rows keeps them waiting; `failure` tells the last such failure.
    void Drain(std::chrono::steady_clock::time_point deadline, Attempt& failure);
    bool EndsWithRows(const std::vector<LogSpool::Row>& rows) const;
    void Report(const Attempt& failure);

    const MagneticStripeCards::Clock& m_clock;
    ILogPrompts& m_prompts;
    std::string m_run;
    LogSpool m_spool;
    bool m_adopted = false;
    bool m_failing = false;                                          // reported, and no write has succeeded since
    std::optional<std::pair<std::string, WrittenRow>> m_lastDrained; // spool id and where that row went
};
