#pragma once
// Files the station keeps in a folder it shares with other staff accounts (the log folder, the hive's
// folder): every file it creates there is readable and writable by the group that owns the folder,
// whatever the account's umask, and nothing planted in the folder can redirect a write.
//
//   OpenFolder(path)  --> folder fd (created one level deep, setgid, when asked)
//   OpenFolderFile(folder fd, name) --> file fd: never through a symbolic link; an existing file must be a
//                                       plain file of this account or of the folder's group
//   LockWithin(fd, deadline)        --> flock that waits, but only so long

#include "UniqueFd.h"

#include <chrono>
#include <string>
#include <vector>

namespace Base {

// Files the station creates: owner and group read and write, nothing for others.
constexpr unsigned kSharedFileMode = 0660;
// Folders the station creates: the same for the group, and setgid so files made in them take the folder's
// group whoever makes them.
constexpr unsigned kSharedFolderMode = 02770;

// Opens the folder `path` (the links of the path itself are followed: an administrator chose it). When it
// is missing and `create` is set, makes it, one level only, with kSharedFolderMode. Invalid on failure,
// with errno telling why.
UniqueFd OpenFolder(const std::string& path, bool create);

struct FolderFile {
    UniqueFd fd;
    bool created = false; // this open made the file (it was empty and new)
};

// Opens `name` inside the folder `folder` with `access` (O_WRONLY | O_APPEND, or O_RDWR), creating it when
// missing with kSharedFileMode and the folder's group. A symbolic link in its place, or an existing file
// that is not a plain file with one name, or belongs neither to this account nor to the folder's group,
// is refused (invalid fd, errno ELOOP or EPERM): a planted link or hard link must not take the station's
// bytes somewhere else. A fifo is refused without blocking.
FolderFile OpenFolderFile(int folder, const std::string& name, int access);

// Opens an existing file `name` in `folder` with the same checks, without creating it.
UniqueFd OpenExistingFolderFile(int folder, const std::string& name, int access);

// flock(LOCK_EX) on `fd`, trying again until `deadline`; false when another holder kept it that long.
bool LockWithin(int fd, std::chrono::steady_clock::time_point deadline);

// The file `name` in `folder` is still the file `fd` has open (not renamed away or removed meanwhile).
bool StillNamed(int folder, const std::string& name, int fd);

// The names in the open folder `folder` ("." and ".." included); empty when it cannot be read.
std::vector<std::string> EntryNames(int folder);

} // namespace Base
