#include "LogFileWriter.h"

#include "FolderFiles.h"
#include "PosixFile.h"
#include "Settings.h"
#include "StringTable.h"
#include "UniqueFd.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <locale.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Base::UniqueFd;
using Base::WriteAll;
using Result = LogFileWriter::Result;

// The name must stay a name: a separator would reach outside the log folder, a NUL would cut it short.
bool IsPlainFileName(const std::string& name) {
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

std::string LineEnd() {
    return Resources::String(Resources::IDS_LINE_END);
}

std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

class CLocale {
public:
    CLocale() : m_locale(::newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr))) {}
    ~CLocale() {
        if (m_locale)
            ::freelocale(m_locale);
    }
    CLocale(const CLocale&) = delete;
    CLocale& operator=(const CLocale&) = delete;
    locale_t Get() const { return m_locale; }

private:
    locale_t m_locale;
};

} // namespace

LogFileWriter::LogFileWriter(const MagneticStripeCards::Clock& clock, ILogPrompts& prompts, std::string runNumber)
    : m_clock(clock), m_prompts(prompts), m_run(std::move(runNumber)), m_spool(Settings::HivePath(), m_run) {}

std::string LogFileWriter::DatePart(const std::tm& local) {
    if (local.tm_mon < 0 || local.tm_mon > 11)
        return {};
    static const CLocale classic;
    if (!classic.Get())
        return {};
    char buffer[128];
    const std::size_t length = ::strftime_l(buffer, sizeof buffer, " %Y %b #", &local, classic.Get());
    return std::string(buffer, length);
}

std::string LogFileWriter::FileName(const std::string& logName, const std::tm& local, const std::string& logNumber) {
    return logName + DatePart(local) + logNumber + ".csv";
}

LogFileWriter::Attempt LogFileWriter::Append(const std::string& target, const std::string& row, WrittenRow* where,
                                             std::chrono::steady_clock::time_point deadline) const {
    const std::string folderPath = Settings::ResolvedLogFolder();
    const std::string name = Settings::GetLogName() + target;
    const std::string path = folderPath + "/" + name;
    if (!IsPlainFileName(name))
        return {Result::CannotOpen, EINVAL, path};
    const UniqueFd folder = Base::OpenFolder(folderPath, true);
    if (!folder.Valid())
        return {Result::CannotOpen, errno, path};
    const Base::FolderFile log = Base::OpenFolderFile(folder.Get(), name, O_WRONLY | O_APPEND);
    if (!log.fd.Valid())
        return {Result::CannotOpen, errno, path};
    // Others may read the file meanwhile, but no second writer gets in; one that is in is waited for.
    if (!Base::LockWithin(log.fd.Get(), deadline))
        return {Result::CannotOpen, EWOULDBLOCK, path};

    struct stat before {};
    if (::fstat(log.fd.Get(), &before) != 0)
        return {Result::WriteFailed, errno, path};
    std::string bytes = log.created ? Resources::String(Resources::IDS_LOG_HEADER) : std::string();
    const std::size_t lineStart = bytes.size();
    bytes += row;
    bytes += LineEnd();
    if (!WriteAll(log.fd.Get(), bytes)) {
        const int error = errno;
        // A part of a row would glue itself to the next one: take it back. A file this write created goes
        // again, or the next write would find it and leave it without its header.
        ::ftruncate(log.fd.Get(), before.st_size);
        if (log.created)
            ::unlinkat(folder.Get(), name.c_str(), 0);
        return {Result::WriteFailed, error, path};
    }
    // The verdict is painted only after this returns: the row must survive a power cut from now on.
    if (::fsync(log.fd.Get()) != 0)
        return {Result::WriteFailed, errno, path};
    if (log.created)
        Base::SyncFolder(folderPath);
    if (where)
        *where = {path, before.st_size + static_cast<off_t>(lineStart), bytes.substr(lineStart), {}};
    return {Result::Written, 0, path};
}

void LogFileWriter::Drain(std::chrono::steady_clock::time_point deadline, Attempt& failure) {
    std::set<std::string> blocked;
    while (true) {
        const auto& waiting = m_spool.Rows();
        const auto next = std::find_if(waiting.begin(), waiting.end(),
                                       [&blocked](const LogSpool::Row& row) { return !blocked.count(row.target); });
        if (next == waiting.end())
            return;
        // All the rows of one file in one write: a long outage is over in one fsync per file.
        const std::string target = next->target;
        const std::vector<LogSpool::Row> rows = m_spool.RowsFor(target);
        std::string lines;
        std::vector<std::string> ids;
        for (const LogSpool::Row& row : rows) {
            lines += (lines.empty() ? "" : LineEnd()) + row.text;
            ids.push_back(row.id);
        }
        WrittenRow where;
        const Attempt attempt = Append(target, lines, &where, deadline);
        if (attempt.result != Result::Written) {
            failure = attempt;
            blocked.insert(target);
            continue;
        }
        // Where the last of them went, in case its comments are still to come.
        const std::string lastLine = rows.back().text + LineEnd();
        where.offset += static_cast<off_t>(where.line.size() - lastLine.size());
        where.line = lastLine;
        m_lastDrained.emplace(ids.back(), std::move(where));
        m_spool.Remove(ids);
    }
}

bool LogFileWriter::EndsWithRows(const std::vector<LogSpool::Row>& rows) const {
    if (rows.empty())
        return false;
    const auto [folderPath, name] =
        SplitPath(Settings::ResolvedLogFolder() + "/" + Settings::GetLogName() + rows.front().target);
    const UniqueFd folder = Base::OpenFolder(folderPath, false);
    if (!folder.Valid())
        return false;
    const UniqueFd fd = Base::OpenExistingFolderFile(folder.Get(), name, O_RDONLY);
    std::string lines;
    for (const LogSpool::Row& row : rows)
        lines += row.text + LineEnd();
    struct stat info {};
    if (!fd.Valid() || ::fstat(fd.Get(), &info) != 0 || info.st_size < static_cast<off_t>(lines.size()))
        return false;
    std::string tail(lines.size(), '\0');
    const off_t offset = info.st_size - static_cast<off_t>(lines.size());
    return ::pread(fd.Get(), tail.data(), tail.size(), offset) == static_cast<ssize_t>(tail.size()) && tail == lines;
}

void LogFileWriter::Report(const Attempt& failure) {
    if (m_failing)
        return;
    m_failing = true;
    // The box says what the operator needs; the administrator learns which file and why.
    const std::string kept = m_spool.Durable() ? "the rows wait in " + m_spool.Path()
                                               : std::string("the rows are held in memory until then");
    std::fprintf(stderr, "kestrin: cannot write the scan log %s: %s; %s\n", failure.path.c_str(),
                 std::strerror(failure.error), kept.c_str());
    m_prompts.ShowCannotOpenLog();
}

LogFileWriter::Result LogFileWriter::Write(const std::string& row, WrittenRow* where) {
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    if (!m_adopted) {
        m_adopted = true;
        m_spool.AdoptLeftovers([this](const std::vector<LogSpool::Row>& rows) { return EndsWithRows(rows); });
    }
    const std::tm now = m_clock.LocalNow();
    const std::string target = DatePart(now) + m_run + ".csv";
    Attempt failure;
    Drain(deadline, failure);
    // A row goes in only behind the rows still waiting for its file.
    if (!m_spool.Waits(target)) {
        const Attempt attempt = Append(target, row, where, deadline);
        if (attempt.result == Result::Written) {
            if (m_spool.Empty())
                m_failing = false; // everything is in the log again
            else
                Report(failure);
            return Result::Written;
        }
        failure = attempt;
    }
    const std::string id = m_spool.Keep(target, row);
    if (where)
        *where = {{}, 0, {}, id};
    Report(failure);
    return m_spool.Durable() ? Result::Kept : failure.result;
}

LogFileWriter::Result LogFileWriter::Replace(WrittenRow& where, const std::string& row) {
    if (!where.keptAs.empty()) {
        if (m_spool.Replace(where.keptAs, row))
            return m_spool.Durable() ? Result::Kept : Result::WriteFailed;
        // Written out of the spool since: the row is in the log now, perhaps still as its last line.
        if (!m_lastDrained || m_lastDrained->first != where.keptAs) {
            Report({Result::WriteFailed, ENOENT, m_spool.Path()});
            return Result::WriteFailed;
        }
        where = m_lastDrained->second;
    }
    const auto [folderPath, name] = SplitPath(where.path);
    const UniqueFd folder = Base::OpenFolder(folderPath, false);
    const UniqueFd fd = folder.Valid() ? Base::OpenExistingFolderFile(folder.Get(), name, O_RDWR) : UniqueFd();
    if (!fd.Valid() || !Base::LockWithin(fd.Get(), std::chrono::steady_clock::now() + kLockWait)) {
        Report({Result::CannotOpen, errno, where.path});
        return Result::CannotOpen;
    }
    struct stat info {};
    std::string current(where.line.size(), '\0');
    if (::fstat(fd.Get(), &info) != 0 || info.st_size != where.offset + static_cast<off_t>(where.line.size()) ||
        ::pread(fd.Get(), current.data(), current.size(), where.offset) != static_cast<ssize_t>(current.size()) ||
        current != where.line) {
        Report({Result::WriteFailed, ESTALE, where.path});
        return Result::WriteFailed;
    }
    const std::string line = row + LineEnd();
    if (::ftruncate(fd.Get(), where.offset) != 0 || ::lseek(fd.Get(), 0, SEEK_END) < 0 || !WriteAll(fd.Get(), line)) {
        const int error = errno;
        // Whatever happened, the old line goes back, so the file never loses the row.
        ::ftruncate(fd.Get(), where.offset);
        ::lseek(fd.Get(), 0, SEEK_END);
        WriteAll(fd.Get(), where.line);
        ::fsync(fd.Get());
        Report({Result::WriteFailed, error, where.path});
        return Result::WriteFailed;
    }
    if (::fsync(fd.Get()) != 0) {
        Report({Result::WriteFailed, errno, where.path});
        return Result::WriteFailed;
    }
    where.line = line;
    return Result::Written;
}
