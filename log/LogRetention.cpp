#include "LogRetention.h"

#include "FolderFiles.h"
#include "Settings.h"
#include "StringTable.h"
#include "UnknownSwipeFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace LogRetention {
namespace {

constexpr std::int64_t kSecondsPerDay = 24 * 60 * 60;
// A row longer than this is not looked for; the file then counts by its last change.
constexpr std::size_t kTailBytes = 64 * 1024;

constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsDigits(const std::string& text, std::size_t from, std::size_t count) {
    if (from + count > text.size() || count == 0)
        return false;
    return std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                       text.begin() + static_cast<std::ptrdiff_t>(from + count),
                       [](char c) { return c >= '0' && c <= '9'; });
}

int MonthIndex(const std::string& text) {
    for (int i = 0; i < 12; ++i)
        if (text == kMonths[i])
            return i;
    return -1;
}

// The last line of the file, without its line end; empty when there is none within kTailBytes.
std::string LastLine(int fd, off_t size) {
    const off_t start = std::max<off_t>(0, size - static_cast<off_t>(kTailBytes));
    std::string tail(static_cast<std::size_t>(size - start), '\0');
    if (::pread(fd, tail.data(), tail.size(), start) != static_cast<ssize_t>(tail.size()))
        return {};
    while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r'))
        tail.pop_back();
    const std::size_t newline = tail.rfind('\n');
    if (newline == std::string::npos)
        return start == 0 ? tail : std::string();
    return tail.substr(newline + 1);
}

std::time_t LogFileTime(int folder, const std::string& name, const struct stat& info) {
    const Base::UniqueFd fd(::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    std::time_t when = 0;
    if (fd.Valid() && RowTime(LastLine(fd.Get(), info.st_size), when))
        return when;
    return info.st_mtime;
}

bool IsUnknownSwipeFile(const std::string& name) {
    const std::string current = Resources::PathString(Resources::IDS_UNKNOWN_FILE).substr(1);
    return name == current || name == current + MagneticStripeCards::UnknownSwipeFile::kPreviousSuffix;
}

} // namespace

bool IsLogFileName(const std::string& name) {
    // Walk back from ".csv": the run number, " #", the month, a space, the year, a space.
    const std::string extension = ".csv";
    if (name.size() < extension.size() ||
        name.compare(name.size() - extension.size(), extension.size(), extension) != 0)
        return false;
    std::size_t end = name.size() - extension.size();
    std::size_t digits = 0;
    while (digits < end && name[end - digits - 1] >= '0' && name[end - digits - 1] <= '9')
        ++digits;
    if (digits == 0 || end < digits + 11)
        return false;
    end -= digits; // name[..end) ends with " YYYY Mon #"
    const std::size_t start = end - 11;
    return name.compare(end - 2, 2, " #") == 0 && name[start] == ' ' && IsDigits(name, start + 1, 4) &&
           name[start + 5] == ' ' && MonthIndex(name.substr(start + 6, 3)) >= 0;
}

bool RowTime(const std::string& row, std::time_t& when) {
    // "Www Mmm dd hh:mm:ss yyyy" in its quotes: 26 characters.
    if (row.size() < 26 || row[0] != '"' || row[25] != '"')
        return false;
    const std::string text = row.substr(1, 24);
    char month[4] = {};
    int day = 0, hour = 0, minute = 0, second = 0, year = 0;
    char end = 0;
    if (std::sscanf(text.c_str(), "%*3s %3s %2d %2d:%2d:%2d %4d%c", month, &day, &hour, &minute, &second, &year,
                    &end) != 6)
        return false;
    const int monthIndex = MonthIndex(month);
    if (monthIndex < 0)
        return false;
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = monthIndex;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    when = std::mktime(&local);
    return when != static_cast<std::time_t>(-1);
}

std::vector<std::string> DeleteExpired(const std::string& folderPath, std::int64_t keepDays,
                                       const MagneticStripeCards::Clock& clock) {
    std::vector<std::string> deleted;
    if (keepDays <= 0)
        return deleted;
    const Base::UniqueFd folder = Base::OpenFolder(folderPath, false);
    if (!folder.Valid())
        return deleted;
    std::tm local = clock.LocalNow();
    const std::int64_t cutoff = static_cast<std::int64_t>(std::mktime(&local)) - keepDays * kSecondsPerDay;
    for (const std::string& name : Base::EntryNames(folder.Get())) {
        const bool isLog = IsLogFileName(name);
        if (!isLog && !IsUnknownSwipeFile(name))
            continue;
        struct stat info {};
        if (::fstatat(folder.Get(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode))
            continue;
        const std::time_t last = isLog ? LogFileTime(folder.Get(), name, info) : info.st_mtime;
        if (static_cast<std::int64_t>(last) < cutoff && ::unlinkat(folder.Get(), name.c_str(), 0) == 0)
            deleted.push_back(name);
    }
    std::sort(deleted.begin(), deleted.end());
    return deleted;
}

void Sweep() noexcept {
    try {
        const std::int32_t days = Settings::GetKeepDays();
        if (days <= 0)
            return;
        const std::string folder = Settings::ResolvedLogFolder();
        const std::vector<std::string> deleted =
            DeleteExpired(folder, days, MagneticStripeCards::SystemClock::Instance());
        for (const std::string& name : deleted)
            std::fprintf(stderr, "kestrin: deleted %s/%s, older than the %d days kept\n", folder.c_str(), name.c_str(),
                         days);
    } catch (...) {
        // Retention tries again tomorrow; the station goes on.
    }
}

} // namespace LogRetention
