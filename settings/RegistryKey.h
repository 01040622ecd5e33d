#pragma once
// The small owner of one open settings key that every accessor of the store goes through. On Windows it
// stands for an HKEY; this build keeps the key in the hive file (Settings::HivePath()), and "open" means:
// the file exists, is readable and writable, parses, and has a section for the key. While open, the key
// holds the hive's lock, so a read-modify-write through one RegistryKey is atomic across processes.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace Settings {

class RegistryKey {
public:
    enum class Root { LocalMachine };
    static constexpr std::uint32_t kReadWrite = 0x2001F; // KEY_READ | KEY_WRITE

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
    // Creates or replaces a REG_DWORD value; the hive file is replaced atomically.
    bool SetNumber(const std::string& name, std::uint32_t value);

    // Test seam: runs after the new hive text is on disk and before it replaces the old file.
    static void SetBeforeReplaceHook(std::function<void()> hook);

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
};

} // namespace Settings
