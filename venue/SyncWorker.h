#pragma once
// The station's link to the venue server, on a thread of its own so that no scan ever waits on the
// network. It connects (bounded by connect_timeout and a deadline; keepalives 5/2/2), listens for the
// "kestrin_list" hint, catches the list up at once and on every hint, reconnect and minute, uploads the
// outbox whenever told there is something new (Wake) and after each reconnect, and sends a
// "SELECT 1" heartbeat when the link has been quiet for 5 s, giving up on it after 3 s without an
// answer (a stalled path that keepalives never notice). After a failure it waits 0.5 s, doubling to at
// most 2 s, and tries again.
//
// While connected it also reads, about every second and after each upload, the venue's other doors:
// the night's inside count (admitted scans and door counts on the server since the night's start, plus
// this door's rows still in the outbox, read under the CommitMark) and the scans with an identity of
// the last "Repeat Minutes", for the repeat window.
//
// The door talks to it through Wake() (an eventfd write that never blocks) and reads Status(); the
// worker talks back only through the IOutbox and IListSink interfaces and the callbacks of its options,
// called on its thread.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "CommitMark.h"
#include "EventUploader.h"
#include "IListSink.h"
#include "IOutbox.h"
#include "ListSync.h"
#include "VenueInside.h"

namespace Venue {

// A scan at another door of the venue, as the repeat window takes it.
struct RemoteScan {
    std::string idHmac; // raw bytes
    std::string station;
    Micros scannedAt = 0;
};

struct SyncOptions {
    std::string conninfo;
    std::string station;
    std::chrono::milliseconds connectDeadline{3000};
    std::chrono::milliseconds heartbeatEvery{5000};
    std::chrono::milliseconds heartbeatDeadline{3000};
    std::chrono::milliseconds statementDeadline{5000};
    std::chrono::milliseconds listPollEvery{60000};
    std::chrono::milliseconds statusEvery{10000};
    std::chrono::milliseconds backoffMin{500};
    std::chrono::milliseconds backoffMax{2000};
    std::size_t batchSize = 200;

    // The venue's inside count: read when `onCount` is set, for the night starting at `dayStartHour`.
    std::string venue{};
    int dayStartHour = 6;
    std::chrono::milliseconds venueEvery{1000};
    CommitMark* mark = nullptr; // the station's, when it writes the outbox while the worker reads it
    std::function<void(const VenueCount&)> onCount{};
    // The other doors' scans with an identity of the last `repeatMinutes`, when `onScans` is set.
    int repeatMinutes = 0;
    std::function<void(const std::vector<RemoteScan>&)> onScans{};
};

// How far the station's clock may be from the server's before the door says so.
constexpr std::int64_t kClockOffLimitUs = 2 * 60 * 1'000'000LL;

struct SyncStatus {
    bool connected = false;
    std::int64_t lastUploadUs = 0; // server clock of the last upload, 0 when none yet
    std::uint64_t uploaded = 0;
    std::uint64_t quarantined = 0;
    std::uint64_t reconnects = 0;
    std::uint64_t listCatchUps = 0;
    std::string listVersion;
    std::string lastError;
    // The server's clock minus this station's, measured at each connect (microseconds). Scan times come
    // from the station's clock, so a door more than two minutes off should say so.
    std::int64_t clockOffsetUs = 0;
    bool clockMeasured = false; // clockOffsetUs holds a reading
    bool ClockOff() const { return clockOffsetUs > kClockOffLimitUs || clockOffsetUs < -kClockOffLimitUs; }
};

class SyncWorker {
public:
    SyncWorker(SyncOptions options, IOutbox& outbox, IListSink& sink);
    ~SyncWorker();
    SyncWorker(const SyncWorker&) = delete;
    SyncWorker& operator=(const SyncWorker&) = delete;

    void Start();
    void Stop(); // joins; bounded by the longest statement deadline

    // New rows in the outbox. Never blocks.
    void Wake();

    SyncStatus Status() const;
    // Called on the worker's thread when connected / lastError change; a Qt caller re-posts it.
    void OnChange(std::function<void(const SyncStatus&)> callback);

private:
    void Run();
    void SetStatus(const std::function<void(SyncStatus&)>& change);
    bool WaitWake(Clock::time_point until, int socketFd, bool* socketReady);
    bool ReadVenue(PgConnection& conn, PgFailure* failure);
    bool ReadCount(PgConnection& conn, PgFailure* failure);
    bool ReadScans(PgConnection& conn, PgFailure* failure);

    SyncOptions m_options;
    IOutbox& m_outbox;
    IListSink& m_sink;
    EventUploader m_uploader;
    int m_wakeFd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
    mutable std::mutex m_mutex;
    SyncStatus m_status;
    std::function<void(const SyncStatus&)> m_onChange;
    Micros m_scansSeenTo = 0; // server clock: the newest receive time of the scans read so far
};

} // namespace Venue
