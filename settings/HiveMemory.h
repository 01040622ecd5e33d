#pragma once
// What the settings store keeps about one hive file while the program runs, so that a hive that turns
// unreadable or damaged never changes the station's settings behind the operator's back:
// - the value each name had at its last successful read, and whether it was missing then;
// - changes that could not be stored yet (the hive's lock was held elsewhere), which win over the file
//   until a later write stores them;
// - which troubles are under way, so each is reported when it begins and not again until it has ended.
// It is kept per hive path: a program (or a test) that names another hive starts with nothing remembered.
// Only the user-interface thread uses the store, so there is no locking here.

#include "HiveFile.h"
#include "RegistryKey.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Settings {

class HiveMemory {
public:
    static HiveMemory& Of(const std::string& hivePath);

    // Reads. "Opened" means the key could be opened at least once: the program has run on this hive.
    void KeyOpened() { m_everOpened = true; }
    bool EverOpened() const { return m_everOpened; }
    void Remember(const std::string& name, const std::optional<HiveFile::Value>& found);
    bool Knows(const std::string& name) const { return m_last.count(name) > 0; }
    // The value at the last read that found one.
    std::optional<HiveFile::Value> LastFound(const std::string& name) const;
    // The last read's result: the value, or nothing when the name was missing then (or never read).
    std::optional<HiveFile::Value> LastRead(const std::string& name) const;

    // Changes waiting to be stored, one per name (the latest).
    void Defer(const std::string& name, std::uint32_t value);
    std::optional<std::uint32_t> Deferred(const std::string& name) const;
    std::vector<RegistryKey::NumberChange> DeferredChanges() const;
    // The changes are in the file now: none of them waits any more, and each is remembered as read.
    void Stored(const std::vector<RegistryKey::NumberChange>& changes);

    // A trouble lasts while any of its failures does: reading fails while the key cannot be opened or while
    // any value once read is gone; writing fails while changes wait. Begin is true when the trouble begins
    // with this failure, End when it ends with this one.
    enum class Trouble { Reading, Writing };
    bool Begin(Trouble trouble, const std::string& failure);
    bool End(Trouble trouble, const std::string& failure);
    std::set<std::string> Failures(Trouble trouble) const;

private:
    struct Last {
        std::optional<HiveFile::Value> found; // the value at the last read that found one
        bool missing = false;                 // the very last read found nothing
    };

    bool m_everOpened = false;
    std::map<std::string, Last> m_last;
    std::map<std::string, std::uint32_t> m_deferred;
    std::map<Trouble, std::set<std::string>> m_failures;
};

} // namespace Settings
