#include "ListWatcher.h"

#include "EmbeddedStore.h"
#include "VenueTime.h"

#include <cstdio>
#include <memory>
#include <optional>

namespace Venue {

ListWatcher::ListWatcher(std::string storePath, ListCache& cache, std::function<void()> changed, int keepDays)
    : m_path(std::move(storePath)), m_cache(cache), m_changed(std::move(changed)), m_keepDays(keepDays),
      m_thread([this] { Run(); }) {}

ListWatcher::~ListWatcher() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void ListWatcher::Run() {
    std::unique_ptr<EmbeddedStore> store;
    std::optional<std::int64_t> seen;
    std::string lastError;
    std::optional<std::chrono::steady_clock::time_point> lastPurge;
    std::unique_lock lock(m_mutex);
    while (!m_stop) {
        lock.unlock();
        try {
            if (!store)
                store = std::make_unique<EmbeddedStore>(m_path);
            const auto now = std::chrono::steady_clock::now();
            if (m_keepDays > 0 && (!lastPurge || now - *lastPurge >= kPurgeEvery)) {
                constexpr Micros kDayMicros = 86'400'000'000LL;
                store->ForgetIdentitiesBefore(NowMicros() - m_keepDays * kDayMicros);
                lastPurge = now;
            }
            const std::int64_t version = store->DataVersion();
            // data_version does not move for this connection's own commits, and there are none: the
            // first round always loads.
            if (!seen || *seen != version) {
                m_cache.Replace(store->AllEntries());
                seen = version;
                if (m_changed)
                    m_changed();
            }
            lastError.clear();
        } catch (const std::exception& e) {
            // Tried again next round; said once per cause, not every half second.
            if (lastError != e.what())
                std::fprintf(stderr, "kestrin: the venue lists cannot be read: %s\n", e.what());
            lastError = e.what();
            store.reset();
        }
        lock.lock();
        m_wake.wait_for(lock, kPoll, [this] { return m_stop; });
    }
}

} // namespace Venue
