#include "FolderFiles.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace Base {
namespace {

constexpr auto kLockRetry = std::chrono::milliseconds(5);

// The folder's group takes the file, and the mode is set after the fact: the umask of whoever starts the
// station must not lock the other staff accounts out. Failures leave the file as the process made it.
void ShareWithFolderGroup(int fd, int folder) {
    struct stat folderInfo {};
    struct stat fileInfo {};
    if (::fstat(folder, &folderInfo) == 0 && ::fstat(fd, &fileInfo) == 0 && fileInfo.st_gid != folderInfo.st_gid)
        (void)::fchown(fd, static_cast<uid_t>(-1), folderInfo.st_gid);
    (void)::fchmod(fd, kSharedFileMode);
}

// What the station may write into: a plain file with a single name, of this account or of the folder's
// group (another staff account's file in the shared folder).
bool IsTrustedFile(int fd, int folder) {
    struct stat info {};
    struct stat folderInfo {};
    if (::fstat(fd, &info) != 0 || ::fstat(folder, &folderInfo) != 0)
        return false;
    return S_ISREG(info.st_mode) && info.st_nlink == 1 &&
           (info.st_uid == ::geteuid() || info.st_gid == folderInfo.st_gid);
}

// Back to blocking writes once the file is known to be a plain file (O_NONBLOCK was only there so that a
// planted fifo cannot hang the open).
UniqueFd Checked(UniqueFd fd, int folder) {
    if (!fd.Valid())
        return fd;
    if (!IsTrustedFile(fd.Get(), folder)) {
        errno = EPERM;
        return {};
    }
    const int flags = ::fcntl(fd.Get(), F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd.Get(), F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

} // namespace

UniqueFd OpenFolder(const std::string& path, bool create) {
    if (path.empty()) {
        errno = ENOENT;
        return {};
    }
    UniqueFd folder(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Valid() || errno != ENOENT || !create)
        return folder;
    const bool made = ::mkdir(path.c_str(), kSharedFolderMode) == 0;
    if (!made && errno != EEXIST)
        return {};
    // mkdir leaves the setgid bit to the parent and the group bits to the umask; both are set here, on a
    // folder this call made (one that appeared meanwhile keeps what its maker gave it). A link planted in
    // the moment between mkdir and this open is not followed.
    folder = UniqueFd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.Valid() && made)
        (void)::fchmod(folder.Get(), kSharedFolderMode);
    return folder;
}

FolderFile OpenFolderFile(int folder, const std::string& name, int access) {
    const int flags = access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    for (int attempt = 0; attempt < 2; ++attempt) {
        UniqueFd created(::openat(folder, name.c_str(), flags | O_CREAT | O_EXCL, kSharedFileMode));
        if (created.Valid()) {
            ShareWithFolderGroup(created.Get(), folder);
            return {Checked(std::move(created), folder), true};
        }
        if (errno != EEXIST) // O_EXCL never follows a link: a planted one also ends up here
            return {};
        UniqueFd existing(::openat(folder, name.c_str(), flags));
        if (existing.Valid())
            return {Checked(std::move(existing), folder), false};
        if (errno != ENOENT) // removed between the two opens: try creating it again
            return {};
    }
    return {};
}

UniqueFd OpenExistingFolderFile(int folder, const std::string& name, int access) {
    return Checked(UniqueFd(::openat(folder, name.c_str(), access | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC)), folder);
}

bool LockWithin(int fd, std::chrono::steady_clock::time_point deadline) {
    while (true) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(kLockRetry);
    }
}

bool StillNamed(int folder, const std::string& name, int fd) {
    struct stat named {};
    struct stat open {};
    return ::fstatat(folder, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && ::fstat(fd, &open) == 0 &&
           named.st_dev == open.st_dev && named.st_ino == open.st_ino;
}

namespace {
struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};
} // namespace

std::vector<std::string> EntryNames(int folder) {
    std::vector<std::string> names;
    // A copy, since closedir closes the descriptor it was opened on.
    const int copy = ::dup(folder);
    if (copy < 0)
        return names;
    const std::unique_ptr<DIR, DirCloser> dir(::fdopendir(copy));
    if (!dir) {
        ::close(copy);
        return names;
    }
    // The copy shares the read position with `folder`, which an earlier listing may have moved.
    ::rewinddir(dir.get());
    while (const dirent* entry = ::readdir(dir.get()))
        names.emplace_back(entry->d_name);
    return names;
}

} // namespace Base
