#pragma once
// Rows the log folder could not take yet, kept in the order they came until the log takes them again:
//
//   Keep(target, row) --> the queue in memory, and a record in this run's spool file next to the hive
//   Rows / Remove     --> the writer puts the waiting rows into the log, each file's in their order, before
//                         any new row for that file
//   AdoptLeftovers    --> rows a stopped station left in its spool file join the front of the queue
//
// The spool file "<hive>.spool.<run>.<start time>.<random>" is a journal of binary-safe records:
//   R <id> <target length> <row length>\n<target><row>\n    a row kept
//   T <id> <row length>\n<row>\n                              that row's text replaced (its comments came)
//   D <id>\n                                                  that row is in the log now
// This run holds it under an flock, so another station can tell a live spool from a stopped one's. It is
// emptied whenever nothing waits, and removed at a clean exit with nothing waiting. Every row has an id
// unique across runs, so a leftover adopted twice (a crash in the middle of an adoption) gives no row
// twice.

#include "UniqueFd.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class LogSpool {
public:
    struct Row {
        std::string id;
        std::string target; // the log file's name after its "Log Name" part (" 2005 Jun #7.csv")
        std::string text;   // the row, without its line end
    };

    // The spool lies next to `hivePath`, named after it and this run's number `run`.
    LogSpool(std::string hivePath, const std::string& run);
    ~LogSpool();
    LogSpool(const LogSpool&) = delete;
    LogSpool& operator=(const LogSpool&) = delete;

    bool Empty() const { return m_rows.empty(); }
    std::size_t Size() const { return m_rows.size(); }
    const std::deque<Row>& Rows() const { return m_rows; }
    // Whether a row for the log file `target` waits.
    bool Waits(const std::string& target) const;
    // The rows for `target`, oldest first.
    std::vector<Row> RowsFor(const std::string& target) const;
    // These rows are in the log now.
    void Remove(const std::vector<std::string>& ids);

    // Puts a row behind those already waiting and returns its id.
    std::string Keep(const std::string& target, const std::string& text);
    // Gives the waiting row `id` a new text; false when no such row waits.
    bool Replace(const std::string& id, const std::string& text);

    // Every waiting row is also in the spool file, so a restart does not lose it.
    bool Durable() const { return m_file.Valid() && m_journalUpToDate; }
    const std::string& Path() const { return m_path; }

    // Whether the log already ends with `rows` (all of one file's waiting rows, in order): a station that
    // stopped between writing them and recording that has left them in its spool as well.
    using AlreadyInLog = std::function<bool(const std::vector<Row>& rows)>;
    // Takes over the rows that stopped stations left in their spool files next to the hive, in front of
    // this run's own. Only done when they can be journalled here, so that the leftover files can go.
    void AdoptLeftovers(const AlreadyInLog& alreadyInLog);

    // Parses a spool journal: the rows still waiting, in order. A torn last record ends it.
    struct Journal {
        std::vector<Row> waiting;
        std::vector<std::string> done;
    };
    static Journal Parse(const std::string& bytes);

private:
    struct Leftover;

    bool AppendRecord(const std::string& record);
    void Rewrite();
    void Record(const std::string& record);
    std::vector<Leftover> LockLeftovers(int folder) const;

    std::string m_hivePath;
    std::string m_folderPath;
    std::string m_prefix; // "<hive file name>.spool."
    std::string m_name;   // this run's spool file, in m_folderPath
    std::string m_path;
    std::string m_idBase;
    std::uint64_t m_nextId = 0;
    std::deque<Row> m_rows;
    Base::UniqueFd m_folder;
    Base::UniqueFd m_file;
    bool m_journalUpToDate = true;
};
