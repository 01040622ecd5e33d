#pragma once
// A counter of the station's local commits, shared by the station (which writes scan events and door
// counts) and the sync worker (which reads the outbox). A commit and its mark happen as one step, and so
// do the worker's read of the outbox and of the mark, so every row with a mark at or below the one read
// was either on the server or in the outbox at that read, and every later one in neither.

#include <cstdint>
#include <mutex>

namespace Venue {

class CommitMark {
public:
    // Runs the local commit; the mark of the rows it made.
    template <class Work> std::uint64_t Commit(Work&& commit) {
        const std::lock_guard lock(m_mutex);
        commit();
        return ++m_mark;
    }
    // Runs a read of the outbox; the mark of the last commit it sees.
    template <class Work> std::uint64_t Read(Work&& read) {
        const std::lock_guard lock(m_mutex);
        read();
        return m_mark;
    }

private:
    std::mutex m_mutex;
    std::uint64_t m_mark = 0;
};

} // namespace Venue
