#include "LogFileWriter.h"

#include "PosixFile.h"
#include "Settings.h"
#include "StringTable.h"
#include "UniqueFd.h"

#include <cerrno>
#include <fcntl.h>
#include <locale.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Base::SyncFolder;
using Base::UniqueFd;
using Base::WriteAll;

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder the file goes to: the resolved log folder, created one level deep when missing; when it can
// be neither found nor made, the directory the station was started in.
std::string PrepareFolder() {
    const std::string folder = Settings::ResolvedLogFolder();
    if (IsDirectory(folder))
        return folder;
    ::mkdir(folder.c_str(), LogFileWriter::kFolderMode);
    if (IsDirectory(folder))
        return folder;
    return Settings::StartDirectory();
}

// The name must stay a name: a separator would reach outside the log folder, a NUL would cut it short.
bool IsPlainFileName(const std::string& name) {
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

struct OpenedLog {
    UniqueFd fd;
    bool created = false;
};

// Create-or-open that learns which of the two happened.
OpenedLog OpenLog(const std::string& path) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        UniqueFd created(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC,
                                static_cast<mode_t>(LogFileWriter::kFileMode)));
        if (created.Valid())
            return {std::move(created), true};
        if (errno != EEXIST)
            return {};
        UniqueFd existing(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
        if (existing.Valid())
            return {std::move(existing), false};
        if (errno != ENOENT) // removed between the two opens: try creating it again
            return {};
    }
    return {};
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

LogFileWriter::LogFileWriter(const MagneticStripeCards::Clock& clock, ILogPrompts& prompts)
    : m_clock(clock), m_prompts(prompts) {}

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

LogFileWriter::Result LogFileWriter::Fail(Result result) const {
    m_prompts.ShowCannotOpenLog();
    return result;
}

LogFileWriter::Result LogFileWriter::Write(const std::string& row, WrittenRow* where) const {
    const std::tm now = m_clock.LocalNow();
    const std::string folder = PrepareFolder();
    const std::string name = FileName(Settings::GetLogName(), now, Settings::GetLogNumberText());
    if (!IsPlainFileName(name))
        return Fail(Result::CannotOpen);
    const std::string path = folder + "/" + name;
    OpenedLog log = OpenLog(path);
    if (!log.fd.Valid())
        return Fail(Result::CannotOpen);
    // Others may read the file meanwhile, but no second writer gets in.
    if (::flock(log.fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return Fail(Result::CannotOpen);

    struct stat before {};
    if (::fstat(log.fd.Get(), &before) != 0)
        return Fail(Result::WriteFailed);
    std::string bytes = log.created ? Resources::String(Resources::IDS_LOG_HEADER) : std::string();
    const std::size_t lineStart = bytes.size();
    bytes += row;
    bytes += Resources::String(Resources::IDS_LINE_END);
    if (!WriteAll(log.fd.Get(), bytes)) {
        // A part of a row would glue itself to the next one: take it back. A file this write created goes
        // again, or the next write would find it and leave it without its header.
        ::ftruncate(log.fd.Get(), before.st_size);
        if (log.created)
            ::unlink(path.c_str());
        return Fail(Result::WriteFailed);
    }
    // The verdict is on the screen; the row must survive a power cut from now on.
    if (::fsync(log.fd.Get()) != 0)
        return Fail(Result::WriteFailed);
    if (log.created)
        SyncFolder(folder);
    if (where)
        *where = {path, before.st_size + static_cast<off_t>(lineStart), bytes.substr(lineStart)};
    return Result::Written;
}

LogFileWriter::Result LogFileWriter::Replace(WrittenRow& where, const std::string& row) const {
    const UniqueFd fd(::open(where.path.c_str(), O_RDWR | O_CLOEXEC));
    if (!fd.Valid() || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
        return Fail(Result::CannotOpen);
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || info.st_size != where.offset + static_cast<off_t>(where.line.size()))
        return Fail(Result::WriteFailed);
    std::string current(where.line.size(), '\0');
    if (::pread(fd.Get(), current.data(), current.size(), where.offset) != static_cast<ssize_t>(current.size()) ||
        current != where.line)
        return Fail(Result::WriteFailed);
    const std::string line = row + Resources::String(Resources::IDS_LINE_END);
    if (::ftruncate(fd.Get(), where.offset) != 0 || ::lseek(fd.Get(), 0, SEEK_END) < 0 || !WriteAll(fd.Get(), line)) {
        // Whatever happened, the old line goes back, so the file never loses the row.
        ::ftruncate(fd.Get(), where.offset);
        ::lseek(fd.Get(), 0, SEEK_END);
        WriteAll(fd.Get(), where.line);
        ::fsync(fd.Get());
        return Fail(Result::WriteFailed);
    }
    if (::fsync(fd.Get()) != 0)
        return Fail(Result::WriteFailed);
    where.line = line;
    return Result::Written;
}
