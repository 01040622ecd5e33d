#pragma once
// An outbox and a list copy held in memory: what a simulated door of the scale benchmark uses, and the
// stand-in for the embedded store in the sync worker's tests. Thread-safe: the door adds rows while the
// worker reads and marks them. It survives no crash; the station keeps its outbox in the embedded store.

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "IListSink.h"
#include "IOutbox.h"

namespace Venue {

class MemorySyncStore : public IOutbox, public IListSink {
public:
    void Add(std::variant<ScanEvent, DoorCount, ListEntry> row);

    std::vector<OutboxRow> Pending(std::size_t limit) override;
    void MarkUploaded(const std::vector<Uploaded>& rows) override;
    void Quarantine(std::int64_t seq, const std::string& cause) override;
    std::int64_t WaitingCount() override;

    void Apply(const std::vector<ListEntry>& entries, const std::string& watermark) override;
    void ReplaceAll(const std::vector<ListEntry>& entries, const std::string& watermark) override;
    std::string Watermark() override;
    std::vector<ListEntry> AllEntries() override;

    // The door's copy of the list by id, and what became of the outbox.
    std::map<std::string, ListEntry> Entries() const;
    std::vector<std::string> QuarantinedIds() const;
    std::size_t UploadedCount() const;
    // Called on the worker's thread with the entries of each Apply, as they land.
    void OnApplied(std::function<void(const std::vector<ListEntry>&)> callback);

private:
    mutable std::mutex m_mutex;
    std::int64_t m_nextSeq = 1;
    std::deque<OutboxRow> m_pending;
    std::size_t m_uploaded = 0;
    std::vector<std::string> m_quarantined;
    std::map<std::string, ListEntry> m_entries;
    std::string m_watermark;
    std::function<void(const std::vector<ListEntry>&)> m_onApplied;
};

} // namespace Venue
