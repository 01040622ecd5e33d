#pragma once
// Keeps a ListCache in step with the embedded store while the station runs: a thread of its own opens the
// store on its own connection and, every kPoll, asks SQLite whether anyone else committed (data_version);
// only then does it read the entries again. So an entry kestrin-venue (or the list sync) adds holds at the
// door within about kPoll, and the station's thread never reads the database for it. With "Keep Days" it
// also takes the identity out of older scan events, at its start and then every kPurgeEvery.

#include "ListCache.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace Venue {

class ListWatcher {
public:
    // `changed` (may be empty) is called on the watcher's thread after each reload.
    // `keepDays` > 0: scan events older than that many days lose their identity.
    ListWatcher(std::string storePath, ListCache& cache, std::function<void()> changed = {}, int keepDays = 0);
    ~ListWatcher();
    ListWatcher(const ListWatcher&) = delete;
    ListWatcher& operator=(const ListWatcher&) = delete;

    static constexpr std::chrono::milliseconds kPoll{500};
    static constexpr std::chrono::hours kPurgeEvery{1};

private:
    void Run();

    std::string m_path;
    ListCache& m_cache;
    std::function<void()> m_changed;
    int m_keepDays;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace Venue
