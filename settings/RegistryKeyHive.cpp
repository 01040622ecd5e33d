// RegistryKey over the hive file. Every open takes an exclusive lock on "<hive>.lock" (a file that is
// never replaced, unlike the hive itself), reads and parses the hive, and keeps the lock until the key is
// closed; a write goes to a temporary file in the same folder, is flushed, and is renamed over the hive.

#include "RegistryKey.h"

#include "HiveFile.h"
#include "PosixFile.h"
#include "Settings.h"
#include "UniqueFd.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace Settings {
using Base::SyncFolder;
using Base::UniqueFd;
using Base::WriteAll;
namespace {

constexpr auto kLockPatience = std::chrono::seconds(10);

std::function<void()>& BeforeReplaceHook() {
    static std::function<void()> hook;
    return hook;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string RootName(RegistryKey::Root) {
    return "HKEY_LOCAL_MACHINE";
}

UniqueFd TakeLock(const std::string& hivePath) {
    UniqueFd fd(::open((hivePath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0660));
    if (!fd.Valid())
        return {};
    const auto deadline = std::chrono::steady_clock::now() + kLockPatience;
    while (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return {};
        if (std::chrono::steady_clock::now() > deadline)
            return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return fd;
}

// flock belongs to an open file description, so a second key opened by this process while the first is
// still held would wait for itself. Keys open at the same time in one process share one lock.
std::shared_ptr<UniqueFd> AcquireLock(const std::string& hivePath) {
    static std::mutex mutex;
    static std::map<std::string, std::weak_ptr<UniqueFd>> held;
    const std::lock_guard<std::mutex> guard(mutex);
    if (auto shared = held[hivePath].lock())
        return shared;
    UniqueFd fd = TakeLock(hivePath);
    if (!fd.Valid())
        return nullptr;
    auto shared = std::make_shared<UniqueFd>(std::move(fd));
    held[hivePath] = shared;
    return shared;
}

bool ReadWhole(const std::string& path, std::string& text, mode_t& mode) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.Valid())
        return false;
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    mode = st.st_mode & 07777;
    text.clear();
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            return true;
        text.append(buffer, static_cast<std::size_t>(n));
    }
}

// Writes the new hive beside the old one and renames it into place, so a reader sees either the whole
// old file or the whole new one, never a part.
bool ReplaceAtomically(const std::string& path, const std::string& text, mode_t mode) {
    const std::string folder = FolderOf(path);
    std::string temp = folder + "/.kestrin-hive.XXXXXX";
    UniqueFd fd(::mkstemp(temp.data()));
    if (!fd.Valid())
        return false;
    const bool written = ::fchmod(fd.Get(), mode) == 0 && WriteAll(fd.Get(), text) && ::fsync(fd.Get()) == 0;
    fd.Reset();
    if (written && BeforeReplaceHook())
        BeforeReplaceHook()();
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
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
    mode_t mode = 0640;
    std::shared_ptr<UniqueFd> lock;
    HiveFile hive;
};

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;

bool RegistryKey::Open(Root root, const std::string& path, std::uint32_t access) {
    auto handle = std::make_unique<Handle>();
    handle->hivePath = HivePath();
    handle->keyPath = RootName(root) + "\\" + path;

    constexpr std::uint32_t kWriteBits = 0x20006; // KEY_WRITE
    const int wanted = (access & kWriteBits & ~0x20000u) ? (R_OK | W_OK) : R_OK;
    if (::access(handle->hivePath.c_str(), wanted) != 0)
        return false;
    handle->lock = AcquireLock(handle->hivePath);
    if (!handle->lock)
        return false;

    std::string text;
    if (!ReadWhole(handle->hivePath, text, handle->mode))
        return false;
    auto hive = HiveFile::Parse(text);
    if (!hive || !hive->HasKey(handle->keyPath))
        return false;
    handle->hive = std::move(*hive);
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

bool RegistryKey::SetNumber(const std::string& name, std::uint32_t value) {
    if (!m_handle)
        return false;
    HiveFile changed = m_handle->hive;
    if (!changed.SetNumber(m_handle->keyPath, name, value))
        return false;
    if (!ReplaceAtomically(m_handle->hivePath, changed.Text(), m_handle->mode))
        return false;
    m_handle->hive = std::move(changed);
    return true;
}

void RegistryKey::SetBeforeReplaceHook(std::function<void()> hook) {
    BeforeReplaceHook() = std::move(hook);
}

} // namespace Settings
