#include "HiveLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace Settings {
namespace {

constexpr mode_t kGroupShared = 0660;

// Gives a file this program created (or owns) to the group of the folder it stands in, readable and
// writable by that group; fchmod sets the mode past the umask.
void ShareWithFolderGroup(int fd, const std::string& folder) {
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) == 0 && ::fchown(fd, static_cast<uid_t>(-1), dir.st_gid) != 0) {
        // An account outside the folder's group cannot give the file to it; the set-group-ID bit that the
        // installer puts on the folder has then given it that group already.
    }
    ::fchmod(fd, kGroupShared);
}

} // namespace

std::string ErrorText(int error) {
    return std::error_code(error, std::generic_category()).message();
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

HiveLock::HiveLock(const std::string& hivePath, std::chrono::milliseconds patience) {
    const std::string lockPath = hivePath + ".lock";
    if (!OpenLockFile(lockPath))
        return;
    // flock has no timeout of its own, so it is tried without blocking, every millisecond until the deadline.
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (::flock(m_fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            Fail("lock", lockPath, ErrorText(errno));
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            m_fd.Reset();
            m_state = State::Busy;
            m_error = "lock " + lockPath + ": held by another process for more than " +
                      std::to_string(patience.count()) + " ms";
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    m_state = State::Held;
}

bool HiveLock::OpenLockFile(const std::string& lockPath) {
    // Two rounds: the file may vanish between a failed exclusive create and the open of the existing one.
    for (int round = 0; round < 2; ++round) {
        // O_EXCL with O_CREAT never follows a link; O_NOFOLLOW says so once more.
        m_fd = Base::UniqueFd(
            ::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kGroupShared));
        if (m_fd.Valid()) {
            ShareWithFolderGroup(m_fd.Get(), FolderOf(lockPath));
            return true;
        }
        if (errno != EEXIST) {
            Fail("create", lockPath, ErrorText(errno));
            return false;
        }
        if (OpenExisting(lockPath))
            return true;
        if (!m_error.empty())
            return false;
    }
    Fail("open", lockPath, "removed and created again while opening it");
    return false;
}

// flock needs no write access, so a lock file readable by this account serves. O_NONBLOCK keeps a FIFO
// planted in the lock's place from blocking the open; it is refused right after.
bool HiveLock::OpenExisting(const std::string& lockPath) {
    m_fd = Base::UniqueFd(::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!m_fd.Valid()) {
        if (errno != ENOENT)
            Fail("open", lockPath, errno == ELOOP ? "a symbolic link" : ErrorText(errno));
        return false;
    }
    struct stat st {};
    if (::fstat(m_fd.Get(), &st) != 0) {
        Fail("open", lockPath, ErrorText(errno));
        return false;
    }
    if (!S_ISREG(st.st_mode) || st.st_nlink != 1) {
        Fail("open", lockPath, S_ISREG(st.st_mode) ? "a hard link to another file" : "not a regular file");
        return false;
    }
    // A lock left by an earlier version of the station with the creator's umask is mended by its owner.
    if (st.st_uid == ::geteuid() && (st.st_mode & kGroupShared) != kGroupShared)
        ShareWithFolderGroup(m_fd.Get(), FolderOf(lockPath));
    return true;
}

void HiveLock::Fail(const std::string& operation, const std::string& lockPath, const std::string& reason) {
    m_fd.Reset();
    m_state = State::Unopenable;
    m_error = operation + " " + lockPath + ": " + reason;
}

} // namespace Settings
