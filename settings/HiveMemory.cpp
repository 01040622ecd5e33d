#include "HiveMemory.h"

#include <memory>

namespace Settings {

HiveMemory& HiveMemory::Of(const std::string& hivePath) {
    static std::map<std::string, std::unique_ptr<HiveMemory>> memories;
    std::unique_ptr<HiveMemory>& memory = memories[hivePath];
    if (!memory)
        memory = std::make_unique<HiveMemory>();
    return *memory;
}

void HiveMemory::Remember(const std::string& name, const std::optional<HiveFile::Value>& found) {
    Last& last = m_last[name];
    last.missing = !found;
    if (found)
        last.found = found;
}

std::optional<HiveFile::Value> HiveMemory::LastFound(const std::string& name) const {
    const auto it = m_last.find(name);
    return it == m_last.end() ? std::nullopt : it->second.found;
}

std::optional<HiveFile::Value> HiveMemory::LastRead(const std::string& name) const {
    const auto it = m_last.find(name);
    if (it == m_last.end() || it->second.missing)
        return std::nullopt;
    return it->second.found;
}

void HiveMemory::Defer(const std::string& name, std::uint32_t value) {
    m_deferred[name] = value;
}

std::optional<std::uint32_t> HiveMemory::Deferred(const std::string& name) const {
    const auto it = m_deferred.find(name);
    return it == m_deferred.end() ? std::nullopt : std::optional<std::uint32_t>(it->second);
}

std::vector<RegistryKey::NumberChange> HiveMemory::DeferredChanges() const {
    std::vector<RegistryKey::NumberChange> changes;
    for (const auto& [name, value] : m_deferred)
        changes.push_back({name, value, false});
    return changes;
}

void HiveMemory::Stored(const std::vector<RegistryKey::NumberChange>& changes) {
    for (const RegistryKey::NumberChange& change : changes) {
        m_deferred.erase(change.name);
        Remember(change.name, HiveFile::Value{HiveFile::ValueType::Number, {}, change.value});
    }
}

bool HiveMemory::Begin(Trouble trouble, const std::string& failure) {
    std::set<std::string>& failures = m_failures[trouble];
    const bool began = failures.empty();
    failures.insert(failure);
    return began;
}

bool HiveMemory::End(Trouble trouble, const std::string& failure) {
    std::set<std::string>& failures = m_failures[trouble];
    return failures.erase(failure) > 0 && failures.empty();
}

std::set<std::string> HiveMemory::Failures(Trouble trouble) const {
    const auto it = m_failures.find(trouble);
    return it == m_failures.end() ? std::set<std::string>() : it->second;
}

} // namespace Settings
