#include "MemorySyncStore.h"

#include <algorithm>
#include <set>

namespace Venue {

namespace {

std::string IdOf(const OutboxRow& row) {
    return std::visit([](const auto& r) { return r.id; }, row.row);
}

} // namespace

void MemorySyncStore::Add(std::variant<ScanEvent, DoorCount, ListEntry> row) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (const auto* entry = std::get_if<ListEntry>(&row))
        m_entries[entry->id] = *entry; // it holds at this door at once
    m_pending.push_back({m_nextSeq++, std::move(row)});
}

std::vector<OutboxRow> MemorySyncStore::Pending(std::size_t limit) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto n = std::min(limit, m_pending.size());
    return {m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(n)};
}

void MemorySyncStore::MarkUploaded(const std::vector<Uploaded>& rows) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::set<std::int64_t> done;
    for (const auto& r : rows)
        done.insert(r.seq);
    const auto before = m_pending.size();
    m_pending.erase(
        std::remove_if(m_pending.begin(), m_pending.end(), [&](const OutboxRow& r) { return done.count(r.seq) != 0; }),
        m_pending.end());
    m_uploaded += before - m_pending.size();
}

void MemorySyncStore::Quarantine(std::int64_t seq, const std::string&) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    const auto it = std::find_if(m_pending.begin(), m_pending.end(), [&](const OutboxRow& r) { return r.seq == seq; });
    if (it == m_pending.end())
        return;
    m_quarantined.push_back(IdOf(*it));
    m_pending.erase(it);
}

std::int64_t MemorySyncStore::WaitingCount() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<std::int64_t>(m_pending.size());
}

void MemorySyncStore::Apply(const std::vector<ListEntry>& entries, const std::string& watermark) {
    std::function<void(const std::vector<ListEntry>&)> callback;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& e : entries)
            m_entries[e.id] = e;
        m_watermark = watermark;
        callback = m_onApplied;
    }
    if (callback)
        callback(entries);
}

void MemorySyncStore::ReplaceAll(const std::vector<ListEntry>& entries, const std::string& watermark) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.clear();
    }
    Apply(entries, watermark);
}

std::string MemorySyncStore::Watermark() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_watermark;
}

std::vector<ListEntry> MemorySyncStore::AllEntries() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    std::vector<ListEntry> out;
    for (const auto& [id, e] : m_entries)
        out.push_back(e);
    return out;
}

std::map<std::string, ListEntry> MemorySyncStore::Entries() const {
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

void MemorySyncStore::OnApplied(std::function<void(const std::vector<ListEntry>&)> callback) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_onApplied = std::move(callback);
}

} // namespace Venue
