#include "SqliteDb.h"

#include "FolderFiles.h"
#include "VenueError.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>

namespace Venue {
namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A missing file is made here, not by SQLite, so that it takes the shared mode and the folder's group like
// the log files; SQLite gives its -wal and -shm files the mode of the database file. An existing file is
// never opened here: closing any descriptor of a file drops every POSIX lock this process holds on it,
// the locks of SQLite's other connections in the process too, and another process would then take itself
// for the last user of the file and delete the write-ahead log under them.
void CreateShared(const std::string& path) {
    const Base::UniqueFd folder = Base::OpenFolder(FolderOf(path), false);
    if (!folder.Valid())
        throw VenueError("cannot open the folder of " + path + ": " + std::strerror(errno));
    struct stat info {};
    if (::fstatat(folder.Get(), NameOf(path).c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return;
    const Base::FolderFile file = Base::OpenFolderFile(folder.Get(), NameOf(path), O_RDWR);
    if (!file.fd.Valid())
        throw VenueError("cannot create " + path + ": " + std::strerror(errno));
}

} // namespace

void SqliteDb::Closer::operator()(sqlite3* db) const {
    sqlite3_close_v2(db);
}

SqliteDb::SqliteDb(const std::string& path, bool create) : m_path(path) {
    if (create)
        CreateShared(path);
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_FULLMUTEX, nullptr);
    m_db.reset(raw);
    if (rc != SQLITE_OK)
        throw VenueError("cannot open " + path + ": " + (raw ? sqlite3_errmsg(raw) : sqlite3_errstr(rc)));
    sqlite3_busy_timeout(m_db.get(), static_cast<int>(kBusyWait.count()));
    Exec("PRAGMA journal_mode=WAL");
    Exec("PRAGMA synchronous=FULL");
    Exec("PRAGMA foreign_keys=ON");
}

void SqliteDb::Exec(const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(m_db.get(), sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK)
        return;
    const std::string cause = error ? error : sqlite3_errmsg(m_db.get());
    sqlite3_free(error);
    throw VenueError(m_path + ": " + cause);
}

SqliteStatement SqliteDb::Prepare(const std::string& sql) {
    return SqliteStatement(m_db.get(), sql);
}

std::int64_t SqliteDb::Changes() const {
    return sqlite3_changes64(m_db.get());
}

SqliteDb::Transaction::Transaction(SqliteDb& db) : m_db(db) {
    m_db.Exec("BEGIN IMMEDIATE");
}

SqliteDb::Transaction::~Transaction() {
    if (m_done)
        return;
    try {
        m_db.Exec("ROLLBACK");
    } catch (const VenueError&) {
        // Nothing more to do: SQLite rolls back an unfinished transaction when the connection closes.
    }
}

void SqliteDb::Transaction::Commit() {
    m_db.Exec("COMMIT");
    m_done = true;
}

} // namespace Venue
