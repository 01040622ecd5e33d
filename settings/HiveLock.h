#pragma once
// The lock that serialises changes of the settings hive: an exclusive flock on "<hive>.lock", a file that
// is never replaced (the hive itself is, by rename). Every staff account of the hive folder's group takes
// it, so the station creates it readable and writable by that group whatever the creating account's
// umask. Anyone in that group can also plant files in the folder, so no link is followed: a symbolic link,
// a hard link or anything but a regular file in the lock's place makes the lock unopenable.
//
// Held from construction until destruction; closing the descriptor releases the flock.

#include "UniqueFd.h"

#include <chrono>
#include <string>

namespace Settings {

class HiveLock {
public:
    enum class State { Held, Busy, Unopenable };

    // Waits at most `patience` while another process holds the lock.
    HiveLock(const std::string& hivePath, std::chrono::milliseconds patience);

    State GetState() const { return m_state; }
    // When not held: the operation, the lock file and the reason, e.g. "lock /x/registry.reg.lock: ...".
    const std::string& Error() const { return m_error; }

private:
    bool OpenLockFile(const std::string& lockPath);
    bool OpenExisting(const std::string& lockPath);
    void Fail(const std::string& operation, const std::string& lockPath, const std::string& reason);

    Base::UniqueFd m_fd;
    State m_state = State::Unopenable;
    std::string m_error;
};

// The system's text for an error number, e.g. "Permission denied".
std::string ErrorText(int error);

// The folder a path names a file in ("." for a bare name).
std::string FolderOf(const std::string& path);

} // namespace Settings
