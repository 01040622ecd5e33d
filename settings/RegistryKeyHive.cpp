// RegistryKey over the hive file. Open reads and parses the hive without a lock. A change takes the hive's
// lock, reads the hive again as it is under that lock (so whatever another process changed since Open is
// kept), applies the change, writes the new text to a temporary file in the same folder, flushes it and
// renames it over the hive.

#include "RegistryKey.h"

#include "HiveFile.h"
#include "HiveLock.h"
#include "PosixFile.h"
#include "Settings.h"
#include "UniqueFd.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Settings {
using Base::SyncFolder;
using Base::UniqueFd;
using Base::WriteAll;
namespace {

std::function<void()>& BeforeReplaceHook() {
    static std::function<void()> hook;
    return hook;
}

std::string RootName(RegistryKey::Root) {
    return "HKEY_LOCAL_MACHINE";
}

// What a replacement of the hive keeps of the file it replaces.
struct Ownership {
    mode_t mode = 0640;
    gid_t group = static_cast<gid_t>(-1);
};

// O_NONBLOCK keeps a FIFO put in the hive's place from blocking the open; it is refused right after.
bool ReadWhole(const std::string& path, std::string& text, Ownership& ownership, std::string& error) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (!fd.Valid() || ::fstat(fd.Get(), &st) != 0) {
        error = "read " + path + ": " + ErrorText(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "read " + path + ": not a regular file";
        return false;
    }
    ownership = {st.st_mode & 07777, st.st_gid};
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = "read " + path + ": " + ErrorText(errno);
            return false;
        }
        if (n == 0)
            return true;
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

// The new hive keeps the old one's group and mode, whatever this account's own group and umask. An
// account that may not give it that group gives it the folder's.
void KeepOwnership(int fd, const Ownership& old, const std::string& folder) {
    if (::fchown(fd, static_cast<uid_t>(-1), old.group) != 0) {
        struct stat dir {};
        if (::stat(folder.c_str(), &dir) == 0 && ::fchown(fd, static_cast<uid_t>(-1), dir.st_gid) != 0) {
            // Outside both groups: the file keeps this account's group, as any file it creates would.
        }
    }
    ::fchmod(fd, old.mode);
}

// Writes the new hive beside the old one and renames it into place, so a reader sees either the whole
// old file or the whole new one, never a part.
bool ReplaceAtomically(const std::string& path, const std::string& text, const Ownership& old, std::string& error) {
    const std::string folder = FolderOf(path);
    std::string temp = folder + "/.kestrin-hive.XXXXXX";
    // mkostemp creates with O_CREAT | O_EXCL, which never follows a link planted under the chosen name.
    UniqueFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (!fd.Valid()) {
        error = "create a temporary file in " + folder + ": " + ErrorText(errno);
        return false;
    }
    KeepOwnership(fd.Get(), old, folder);
    if (!WriteAll(fd.Get(), text) || ::fsync(fd.Get()) != 0) {
        error = "write " + temp + ": " + ErrorText(errno);
        ::unlink(temp.c_str());
        return false;
    }
    fd.Reset();
    if (BeforeReplaceHook())
        BeforeReplaceHook()();
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        error = "rename " + temp + " to " + path + ": " + ErrorText(errno);
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

} // namespace

struct RegistryKey::Handle {
    std::string hivePath;
    std::string keyPath;
    std::uint32_t access = kReadWrite;
    Ownership ownership;
    HiveFile hive;

    // Reads the hive as it is now; false with the reason in `error`.
    bool Load(std::string& error) {
        constexpr std::uint32_t kWriteBits = 0x20006; // KEY_WRITE
        const int wanted = (access & kWriteBits & ~0x20000u) ? (R_OK | W_OK) : R_OK;
        if (::access(hivePath.c_str(), wanted) != 0) {
            error = "open " + hivePath + ": " + ErrorText(errno);
            return false;
        }
        std::string text;
        if (!ReadWhole(hivePath, text, ownership, error))
            return false;
        auto parsed = HiveFile::Parse(text);
        if (!parsed) {
            error = "parse " + hivePath + ": not a registry export (no \"Windows Registry Editor Version 5.00\" line)";
            return false;
        }
        if (!parsed->HasKey(keyPath)) {
            error = "find [" + keyPath + "] in " + hivePath + ": no such key";
            return false;
        }
        hive = std::move(*parsed);
        return true;
    }
};

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;

bool RegistryKey::Open(Root root, const std::string& path, std::uint32_t access) {
    auto handle = std::make_unique<Handle>();
    handle->hivePath = HivePath();
    handle->keyPath = RootName(root) + "\\" + path;
    handle->access = access;
    m_lastError.clear();
    if (!handle->Load(m_lastError))
        return false;
    m_handle = std::move(handle);
    return true;
}

void RegistryKey::Close() {
    m_handle.reset();
}

bool RegistryKey::QueryNumber(const std::string& name, std::uint32_t& value) const {
    if (!m_handle)
        return false;
    const auto found = m_handle->hive.Find(m_handle->keyPath, name);
    if (!found || found->type != HiveFile::ValueType::Number)
        return false;
    value = found->number;
    return true;
}

bool RegistryKey::QueryText(const std::string& name, std::string& text, std::size_t bufferSize) const {
    if (!m_handle)
        return false;
    const auto found = m_handle->hive.Find(m_handle->keyPath, name);
    if (!found || found->type != HiveFile::ValueType::Text || found->text.size() + 1 > bufferSize)
        return false;
    text = found->text;
    return true;
}

RegistryKey::Status RegistryKey::Change(std::vector<NumberChange>& changes) {
    m_lastError.clear();
    if (!m_handle) {
        m_lastError = "change a key that is not open";
        return Status::Unopenable;
    }
    const HiveLock lock(m_handle->hivePath, kWritePatience);
    if (lock.GetState() != HiveLock::State::Held) {
        m_lastError = lock.Error();
        return lock.GetState() == HiveLock::State::Busy ? Status::Busy : Status::Unopenable;
    }
    Handle now = *m_handle;
    if (!now.Load(m_lastError))
        return Status::Unopenable;
    std::vector<NumberChange> stored = changes;
    for (NumberChange& change : stored) {
        if (change.add) {
            const auto found = now.hive.Find(now.keyPath, change.name);
            const bool isNumber = found && found->type == HiveFile::ValueType::Number;
            change.value += isNumber ? found->number : 0u; // unsigned: 4294967295 + 1 wraps to 0
        }
        now.hive.SetNumber(now.keyPath, change.name, change.value); // the key's section exists: Load saw it
    }
    if (!ReplaceAtomically(now.hivePath, now.hive.Text(), now.ownership, m_lastError))
        return Status::Failed;
    *m_handle = std::move(now);
    changes = std::move(stored);
    return Status::Ok;
}

RegistryKey::Status RegistryKey::SetNumber(const std::string& name, std::uint32_t value) {
    std::vector<NumberChange> change{{name, value, false}};
    return Change(change);
}

void RegistryKey::SetBeforeReplaceHook(std::function<void()> hook) {
    BeforeReplaceHook() = std::move(hook);
}

} // namespace Settings
