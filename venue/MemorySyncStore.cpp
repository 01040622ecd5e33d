#include "MemorySyncStore.h"

#include <algorithm>

namespace Venue {

namespace {

const std::string& IdOf(const SyncOutboxRow& row) {
    return std::visit([](const auto& r) -> const std::string& { return r.id; }, row);
}

} // namespace

void MemorySyncStore::Add(SyncOutboxRow row) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_pending.push_back(std::move(row));
}

void MemorySyncStore::AddEntry(SyncListEntry entry) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_entries[entry.id] = entry; // it holds at this door at once
    m_pendingEntries.push_back(std::move(entry));
}

std::vector<SyncOutboxRow> MemorySyncStore::PendingRows(std::size_t limit) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto n = std::min(limit, m_pending.size());
    return {m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(n)};
}

void MemorySyncStore::MarkUploaded(const std::vector<std::string>& ids, std::int64_t) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const std::set<std::string> done(ids.begin(), ids.end());
    const auto before = m_pending.size();
    m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(),
                                   [&](const SyncOutboxRow& r) { return done.count(IdOf(r)) != 0; }),
                    m_pending.end());
    m_uploaded += before - m_pending.size();
}

void MemorySyncStore::Quarantine(const std::string& id, const std::string&) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_pending.erase(
        std::remove_if(m_pending.begin(), m_pending.end(), [&](const SyncOutboxRow& r) { return IdOf(r) == id; }),
        m_pending.end());
    m_quarantined.push_back(id);
}

std::size_t MemorySyncStore::WaitingCount() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_pending.size();
}

std::vector<SyncListEntry> MemorySyncStore::PendingEntries() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_pendingEntries;
}

void MemorySyncStore::MarkEntryUploaded(const std::string& id) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_pendingEntries.erase(std::remove_if(m_pendingEntries.begin(), m_pendingEntries.end(),
                                          [&](const SyncListEntry& e) { return e.id == id; }),
                           m_pendingEntries.end());
}

void MemorySyncStore::QuarantineEntry(const std::string& id, const std::string& reason) {
    MarkEntryUploaded(id);
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_quarantined.push_back(id + " " + reason);
}

std::string MemorySyncStore::Watermark() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_watermark;
}

void MemorySyncStore::Apply(const std::vector<SyncListEntry>& entries, const std::string& watermark) {
    std::function<void(const SyncListEntry&)> callback;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& e : entries)
            m_entries[e.id] = e;
        m_watermark = watermark;
        callback = m_onApplied;
    }
    if (callback)
        for (const auto& e : entries)
            callback(e);
}

std::map<std::string, SyncListEntry> MemorySyncStore::Entries() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_entries;
}

std::vector<std::string> MemorySyncStore::QuarantinedIds() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_quarantined;
}

std::size_t MemorySyncStore::UploadedCount() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_uploaded;
}

void MemorySyncStore::OnEntryApplied(std::function<void(const SyncListEntry&)> callback) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_onApplied = std::move(callback);
}

} // namespace Venue
