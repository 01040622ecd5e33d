#pragma once
// Keeps a ListCache in step with the embedded store while the station runs: a thread of its own opens the
// store on its own connection and, every kPoll, asks SQLite whether anyone else committed (data_version);
// only then does it read the entries again. So an entry kestrin-venue (or the list sync) adds holds at the
// door within about kPoll, and the station's thread never reads the database for it.

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
    ListWatcher(std::string storePath, ListCache& cache, std::function<void()> changed = {});
    ~ListWatcher();
    ListWatcher(const ListWatcher&) = delete;
    ListWatcher& operator=(const ListWatcher&) = delete;

    static constexpr std::chrono::milliseconds kPoll{500};

private:
    void Run();

    std::string m_path;
    ListCache& m_cache;
    std::function<void()> m_changed;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace Venue
