// RegistryKey over the Windows registry itself (built only on Windows).

#include "RegistryKey.h"

#include <windows.h>

#include <vector>

namespace Settings {

struct RegistryKey::Handle {
    HKEY key = nullptr;
    ~Handle() {
        if (key)
            RegCloseKey(key);
    }
};

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;

bool RegistryKey::Open(Root, const std::string& path, std::uint32_t access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, static_cast<REGSAM>(access), &key) != ERROR_SUCCESS)
        return false;
    auto handle = std::make_unique<Handle>();
    handle->key = key;
    m_handle = std::move(handle);
    return true;
}

void RegistryKey::Close() {
    m_handle.reset();
}

bool RegistryKey::IsOpen() const {
    return m_handle != nullptr;
}

bool RegistryKey::QueryNumber(const std::string& name, std::uint32_t& value) const {
    if (!m_handle)
        return false;
    DWORD type = 0;
    DWORD data = 0;
    DWORD size = sizeof data;
    if (RegQueryValueExA(m_handle->key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD)
        return false;
    value = data;
    return true;
}

bool RegistryKey::QueryText(const std::string& name, std::string& text, std::size_t bufferSize) const {
    if (!m_handle || bufferSize == 0)
        return false;
    std::vector<char> buffer(bufferSize, '\0');
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(bufferSize);
    if (RegQueryValueExA(m_handle->key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)
        return false;
    buffer.back() = '\0';
    text = buffer.data();
    return true;
}

bool RegistryKey::SetNumber(const std::string& name, std::uint32_t value) {
    if (!m_handle)
        return false;
    const DWORD data = value;
    return RegSetValueExA(m_handle->key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

void RegistryKey::SetBeforeReplaceHook(std::function<void()>) {}

} // namespace Settings
