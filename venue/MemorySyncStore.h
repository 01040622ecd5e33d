#pragma once
// An outbox and a list copy held in memory: what a simulated door of the scale benchmark uses, and the
// stand-in for the embedded store in the worker's tests. Thread-safe: the door adds rows while the
// worker reads and marks them. It survives no crash; the real station keeps its outbox in SQLite.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "SyncListSink.h"
#include "SyncOutbox.h"

namespace Venue {

class MemorySyncStore : public SyncOutbox, public SyncListSink {
public:
    void Add(SyncOutboxRow row);
    void AddEntry(SyncListEntry entry);

    std::vector<SyncOutboxRow> PendingRows(std::size_t limit) override;
    void MarkUploaded(const std::vector<std::string>& ids, std::int64_t receivedAt) override;
    void Quarantine(const std::string& id, const std::string& reason) override;
    std::size_t WaitingCount() override;
    std::vector<SyncListEntry> PendingEntries() override;
    void MarkEntryUploaded(const std::string& id) override;
    void QuarantineEntry(const std::string& id, const std::string& reason) override;

    std::string Watermark() override;
    void Apply(const std::vector<SyncListEntry>& entries, const std::string& watermark) override;

    // For the door (and tests): the copy of the list, and what became of the outbox.
    std::map<std::string, SyncListEntry> Entries() const;
    std::vector<std::string> QuarantinedIds() const;
    std::size_t UploadedCount() const;
    // Called (on the worker's thread) for each entry as it lands in the copy.
    void OnEntryApplied(std::function<void(const SyncListEntry&)> callback);

private:
    mutable std::mutex m_mutex;
    std::deque<SyncOutboxRow> m_pending;
    std::size_t m_uploaded = 0;
    std::vector<std::string> m_quarantined;
    std::vector<SyncListEntry> m_pendingEntries;
    std::map<std::string, SyncListEntry> m_entries;
    std::string m_watermark;
    std::function<void(const SyncListEntry&)> m_onApplied;
};

} // namespace Venue
