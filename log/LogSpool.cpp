#include "LogSpool.h"

#include "FolderFiles.h"
#include "PosixFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Base::UniqueFd;

std::string RowRecord(const LogSpool::Row& row) {
    return "R " + row.id + " " + std::to_string(row.target.size()) + " " + std::to_string(row.text.size()) + "\n" +
           row.target + row.text + "\n";
}

std::string TextRecord(const std::string& id, const std::string& text) {
    return "T " + id + " " + std::to_string(text.size()) + "\n" + text + "\n";
}

std::string DoneRecord(const std::string& id) {
    return "D " + id + "\n";
}

// Digits only, so the run number can never reach outside the spool's name.
std::string Digits(const std::string& text) {
    std::string digits;
    std::copy_if(text.begin(), text.end(), std::back_inserter(digits), [](char c) { return c >= '0' && c <= '9'; });
    return digits.empty() ? std::string("0") : digits;
}

std::string RandomIdBase() {
    std::random_device random;
    char text[17];
    std::snprintf(text, sizeof text, "%08x%08x", static_cast<unsigned>(random()), static_cast<unsigned>(random()));
    return text;
}

std::string ReadAll(int fd) {
    std::string bytes;
    char buffer[65536];
    off_t offset = 0;
    while (true) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(n));
        offset += n;
    }
}

// One record of a journal: its kind, its id and the lengths its header gives.
struct RecordHeader {
    char kind = 0;
    std::string id;
    std::uint64_t first = 0;
    std::uint64_t second = 0;
};

bool ParseHeader(const std::string& line, RecordHeader& header) {
    char kind = 0;
    char id[64] = {};
    unsigned long long first = 0;
    unsigned long long second = 0;
    const int fields = std::sscanf(line.c_str(), "%c %63s %llu %llu", &kind, id, &first, &second);
    const int wanted = kind == 'R' ? 4 : kind == 'T' ? 3 : kind == 'D' ? 2 : 0;
    if (wanted == 0 || fields != wanted || line.find('\0') != std::string::npos)
        return false;
    header = {kind, id, first, second};
    return true;
}

} // namespace

struct LogSpool::Leftover {
    std::string name;
    UniqueFd fd; // locked: its station has stopped, and no other station takes it meanwhile
    Journal journal;
    std::uint64_t started = 0;
};

LogSpool::LogSpool(std::string hivePath, const std::string& run) : m_hivePath(std::move(hivePath)) {
    const std::size_t slash = m_hivePath.rfind('/');
    m_folderPath = slash == std::string::npos ? "." : slash == 0 ? "/" : m_hivePath.substr(0, slash);
    const std::string hiveName = slash == std::string::npos ? m_hivePath : m_hivePath.substr(slash + 1);
    m_prefix = hiveName + ".spool.";
    // The start time orders the leftovers of stopped runs; the random part keeps two spools started in the
    // same second apart, and makes the row ids unique across runs.
    m_idBase = RandomIdBase();
    m_name = m_prefix + Digits(run) + "." + std::to_string(std::time(nullptr)) + "." + m_idBase;
    m_path = m_folderPath + "/" + m_name;
}

LogSpool::~LogSpool() {
    // Rows still waiting stay in the file for the next start; an empty journal goes.
    if (m_file.Valid() && m_rows.empty() && m_folder.Valid())
        ::unlinkat(m_folder.Get(), m_name.c_str(), 0);
}

std::string LogSpool::Keep(const std::string& target, const std::string& text) {
    Row row{m_idBase + "-" + std::to_string(++m_nextId), target, text};
    m_rows.push_back(row);
    Record(RowRecord(row));
    return row.id;
}

bool LogSpool::Replace(const std::string& id, const std::string& text) {
    const auto it = std::find_if(m_rows.begin(), m_rows.end(), [&id](const Row& row) { return row.id == id; });
    if (it == m_rows.end())
        return false;
    it->text = text;
    Record(TextRecord(id, text));
    return true;
}

bool LogSpool::Waits(const std::string& target) const {
    return std::any_of(m_rows.begin(), m_rows.end(), [&target](const Row& row) { return row.target == target; });
}

std::vector<LogSpool::Row> LogSpool::RowsFor(const std::string& target) const {
    std::vector<Row> rows;
    std::copy_if(m_rows.begin(), m_rows.end(), std::back_inserter(rows),
                 [&target](const Row& row) { return row.target == target; });
    return rows;
}

void LogSpool::Remove(const std::vector<std::string>& ids) {
    const std::set<std::string> gone(ids.begin(), ids.end());
    m_rows.erase(std::remove_if(m_rows.begin(), m_rows.end(), [&gone](const Row& row) { return gone.count(row.id); }),
                 m_rows.end());
    if (!m_file.Valid() && m_rows.empty())
        return; // kept in memory only, and nothing left to keep
    if (m_rows.empty() && m_file.Valid() && ::ftruncate(m_file.Get(), 0) == 0 && ::fsync(m_file.Get()) == 0) {
        m_journalUpToDate = true;
        return;
    }
    std::string records;
    for (const std::string& id : ids)
        records += DoneRecord(id);
    Record(records);
}

void LogSpool::Record(const std::string& record) {
    if (m_file.Valid() && m_journalUpToDate && AppendRecord(record))
        return;
    // No journal yet, or it missed a change: write it whole.
    m_journalUpToDate = false;
    Rewrite();
}

bool LogSpool::AppendRecord(const std::string& record) {
    struct stat before {};
    if (::fstat(m_file.Get(), &before) != 0)
        return false;
    if (Base::WriteAll(m_file.Get(), record) && ::fsync(m_file.Get()) == 0)
        return true;
    ::ftruncate(m_file.Get(), before.st_size); // no torn record for a later adoption to stop at
    return false;
}

// The whole journal into a new file that is locked before it takes the spool's name, so the name never
// shows an unlocked file that another station could take for a stopped one's.
void LogSpool::Rewrite() {
    if (!m_folder.Valid())
        m_folder = Base::OpenFolder(m_folderPath, false);
    if (!m_folder.Valid())
        return;
    const std::string temporary = "." + m_name + ".new";
    Base::FolderFile file = Base::OpenFolderFile(m_folder.Get(), temporary, O_RDWR | O_APPEND);
    if (!file.fd.Valid())
        return;
    std::string journal;
    for (const Row& row : m_rows)
        journal += RowRecord(row);
    const bool ready = ::ftruncate(file.fd.Get(), 0) == 0 && ::flock(file.fd.Get(), LOCK_EX | LOCK_NB) == 0 &&
                       Base::WriteAll(file.fd.Get(), journal) && ::fsync(file.fd.Get()) == 0 &&
                       ::renameat(m_folder.Get(), temporary.c_str(), m_folder.Get(), m_name.c_str()) == 0;
    if (!ready) {
        ::unlinkat(m_folder.Get(), temporary.c_str(), 0);
        return;
    }
    Base::SyncFolder(m_folderPath);
    m_file = std::move(file.fd);
    m_journalUpToDate = true;
}

LogSpool::Journal LogSpool::Parse(const std::string& bytes) {
    Journal journal;
    std::vector<Row> rows;
    std::set<std::string> done;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t eol = bytes.find('\n', pos);
        RecordHeader header;
        if (eol == std::string::npos || !ParseHeader(bytes.substr(pos, eol - pos), header))
            break;
        const std::size_t body = eol + 1;
        const std::uint64_t length = header.kind == 'R' ? header.first + header.second : header.first;
        if (header.kind == 'D') {
            done.insert(header.id);
            journal.done.push_back(header.id);
            pos = body;
            continue;
        }
        if (header.first > bytes.size() || header.second > bytes.size() || length >= bytes.size() - body ||
            bytes[body + length] != '\n')
            break;
        if (header.kind == 'R') {
            rows.push_back(
                {header.id, bytes.substr(body, header.first), bytes.substr(body + header.first, header.second)});
        } else {
            for (Row& row : rows)
                if (row.id == header.id)
                    row.text = bytes.substr(body, header.first);
        }
        pos = body + length + 1;
    }
    for (Row& row : rows)
        if (!done.count(row.id))
            journal.waiting.push_back(std::move(row));
    return journal;
}

std::vector<LogSpool::Leftover> LogSpool::LockLeftovers(int folder) const {
    std::vector<Leftover> leftovers;
    for (const std::string& name : Base::EntryNames(folder)) {
        if (name.compare(0, m_prefix.size(), m_prefix) != 0 || name == m_name)
            continue;
        UniqueFd fd = Base::OpenExistingFolderFile(folder, name, O_RDWR);
        // A lock that cannot be had belongs to a station that is still running.
        if (!fd.Valid() || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0 || !Base::StillNamed(folder, name, fd.Get()))
            continue;
        unsigned long long run = 0;
        unsigned long long started = 0;
        std::sscanf(name.c_str() + m_prefix.size(), "%llu.%llu", &run, &started);
        Journal journal = Parse(ReadAll(fd.Get()));
        leftovers.push_back({name, std::move(fd), std::move(journal), started});
    }
    std::stable_sort(leftovers.begin(), leftovers.end(), [](const Leftover& a, const Leftover& b) {
        return a.started != b.started ? a.started < b.started : a.name < b.name;
    });
    return leftovers;
}

void LogSpool::AdoptLeftovers(const AlreadyInLog& alreadyInLog) {
    if (!m_folder.Valid())
        m_folder = Base::OpenFolder(m_folderPath, false);
    if (!m_folder.Valid())
        return;
    std::vector<Leftover> leftovers = LockLeftovers(m_folder.Get());
    if (leftovers.empty())
        return;
    std::set<std::string> done;
    for (const Leftover& leftover : leftovers)
        done.insert(leftover.journal.done.begin(), leftover.journal.done.end());
    // Each stopped station may have put one file's waiting rows into the log just before it stopped.
    for (const Leftover& leftover : leftovers) {
        std::map<std::string, std::vector<Row>> byTarget;
        for (const Row& row : leftover.journal.waiting)
            if (!done.count(row.id))
                byTarget[row.target].push_back(row);
        for (const auto& [target, rows] : byTarget)
            if (alreadyInLog(rows))
                for (const Row& row : rows)
                    done.insert(row.id);
    }
    std::vector<Row> adopted;
    for (const Leftover& leftover : leftovers)
        for (const Row& row : leftover.journal.waiting)
            if (done.insert(row.id).second) // also drops a row met twice
                adopted.push_back(row);
    if (!adopted.empty()) {
        const bool wasUpToDate = m_journalUpToDate;
        m_rows.insert(m_rows.begin(), adopted.begin(), adopted.end());
        m_journalUpToDate = false;
        Rewrite();
        if (!m_journalUpToDate) {
            // Rows this run could lose would come back from the leftovers at the next start as well:
            // leave them to a station that can keep them.
            m_rows.erase(m_rows.begin(), m_rows.begin() + static_cast<std::ptrdiff_t>(adopted.size()));
            m_journalUpToDate = wasUpToDate;
            return;
        }
    }
    for (const Leftover& leftover : leftovers)
        if (::unlinkat(m_folder.Get(), leftover.name.c_str(), 0) != 0)
            ::ftruncate(leftover.fd.Get(), 0);
    Base::SyncFolder(m_folderPath);
}
