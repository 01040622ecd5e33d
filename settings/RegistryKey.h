#pragma once
// The small owner of one open settings key that every accessor of the store goes through. On Windows it
// stands for an HKEY; this build keeps the key in the hive file (Settings::HivePath()), and "open" means:
// the file exists, is readable and writable, parses, and has a section for the key.
//
// Open reads the hive without any lock: a write replaces the whole file by rename, so a reader always sees
// one whole version of it. Only a change takes the hive's lock ("<hive>.lock"), and only for as long as it
// takes to read the hive as it is then, change it and rename the new text into place; it waits for that
// lock at most kWritePatience, so a lock held elsewhere never freezes the caller.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Settings {

class RegistryKey {
public:
    enum class Root { LocalMachine };
    static constexpr std::uint32_t kReadWrite = 0x2001F; // KEY_READ | KEY_WRITE
    static constexpr std::chrono::milliseconds kWritePatience{250};

    enum class Status {
        Ok,
        Busy,       // another process held the lock for longer than kWritePatience
        Unopenable, // the key or its lock file cannot be opened (as for Open)
        Failed,     // the new hive could not be written or renamed into place
    };

    // One change of a REG_DWORD value: `value` replaces the stored number, or, with `add`, is added to it
    // (a missing value counts as 0; 32-bit wrap). After a change that succeeded, `value` is what was stored.
    struct NumberChange {
        std::string name;
        std::uint32_t value = 0;
        bool add = false;
    };

    RegistryKey();
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Replaces a key already held only when the new open succeeds.
    bool Open(Root root, const std::string& path, std::uint32_t access);
    void Close();

    // Succeeds only for a REG_DWORD value.
    bool QueryNumber(const std::string& name, std::uint32_t& value) const;
    // Succeeds only for a REG_SZ value that fits a buffer of `bufferSize` bytes with its NUL.
    bool QueryText(const std::string& name, std::string& text, std::size_t bufferSize) const;

    // Applies every change in one replacement of the hive file, under the hive's lock; all or none.
    Status Change(std::vector<NumberChange>& changes);
    // Creates or replaces one REG_DWORD value.
    Status SetNumber(const std::string& name, std::uint32_t value);

    // Why the last Open or Change failed: the operation, the file and the system's error text, for example
    // "read /var/lib/kestrin/registry.reg: Permission denied". Empty after a success.
    const std::string& LastError() const { return m_lastError; }

    // Test seam: runs after the new hive text is on disk and before it replaces the old file.
    static void SetBeforeReplaceHook(std::function<void()> hook);

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::string m_lastError;
};

} // namespace Settings
