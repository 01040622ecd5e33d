#include "SyncWorker.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>

#include "VenueTime.h"

namespace Venue {

SyncWorker::SyncWorker(SyncOptions options, IOutbox& outbox, IListSink& sink)
    : m_options(std::move(options)), m_outbox(outbox), m_sink(sink), m_uploader(m_options.batchSize),
      m_wakeFd(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

SyncWorker::~SyncWorker() {
    Stop();
    if (m_wakeFd >= 0)
        ::close(m_wakeFd);
}

void SyncWorker::Start() {
    if (m_thread.joinable())
        return;
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
}

void SyncWorker::Stop() {
    m_stop = true;
    Wake();
    if (m_thread.joinable())
        m_thread.join();
}

void SyncWorker::Wake() {
    const std::uint64_t one = 1;
    // EAGAIN means the counter is already set: the worker will look anyway.
    [[maybe_unused]] const auto written = ::write(m_wakeFd, &one, sizeof one);
}

SyncStatus SyncWorker::Status() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_status;
}

void SyncWorker::OnChange(std::function<void(const SyncStatus&)> callback) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_onChange = std::move(callback);
}

void SyncWorker::SetStatus(const std::function<void(SyncStatus&)>& change) {
    std::function<void(const SyncStatus&)> callback;
    SyncStatus copy;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const bool wasConnected = m_status.connected;
        const std::string previousError = m_status.lastError;
        change(m_status);
        if (wasConnected != m_status.connected || previousError != m_status.lastError)
            callback = m_onChange;
        copy = m_status;
    }
    if (callback)
        callback(copy);
}

// Sleeps until the deadline, a Wake, Stop, or input on the link's socket. True when woken.
bool SyncWorker::WaitWake(Clock::time_point until, int socketFd, bool* socketReady) {
    *socketReady = false;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
    pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {socketFd, POLLIN, 0}};
    const int n = ::poll(fds, socketFd >= 0 ? 2 : 1, static_cast<int>(std::max<long long>(left, 0)));
    if (n <= 0)
        return false;
    *socketReady = socketFd >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR));
    if (fds[0].revents & POLLIN) {
        std::uint64_t count = 0;
        [[maybe_unused]] const auto got = ::read(m_wakeFd, &count, sizeof count);
        return true;
    }
    return false;
}

namespace {

// Half the round trip is added to the server's reading, so the offset is right to within its spread.
std::optional<std::int64_t> ClockOffset(PgConnection& conn, Clock::time_point deadline) {
    const auto wall = [] {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::system_clock::now().time_since_epoch())
            .count();
    };
    const auto before = wall();
    PgFailure ignored;
    const auto r = conn.Exec("SELECT (extract(epoch FROM clock_timestamp()) * 1000000)::bigint", deadline, &ignored);
    const auto after = wall();
    if (!r || r->Rows() != 1)
        return std::nullopt;
    return r->Integer(0, 0) - (before + after) / 2;
}

// "0a1b..." (as encode(..., 'hex') gives it) to the bytes; empty for anything else.
std::string FromHex(const std::string& hex) {
    const auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    };
    if (hex.size() % 2 != 0)
        return {};
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = nibble(hex[i]);
        const int low = nibble(hex[i + 1]);
        if (high < 0 || low < 0)
            return {};
        bytes.push_back(static_cast<char>(high * 16 + low));
    }
    return bytes;
}

constexpr Micros kMinuteMicros = 60'000'000;
// Rows are stamped at insert and seen at commit: a batch committed this much after its stamp still counts.
constexpr Micros kCommitOverlapMicros = 30'000'000;
// Every waiting row, whatever an outage left behind.
constexpr std::size_t kAllWaiting = 10'000'000;

} // namespace

bool SyncWorker::ReadCount(PgConnection& conn, PgFailure* failure) {
    if (!m_options.onCount)
        return true;
    const Micros nightStart = NightStart(NowMicros(), m_options.dayStartHour);
    const auto server = conn.Exec(
        "SELECT (SELECT count(*) FROM kestrin.scan_event WHERE venue = $1 AND scanned_at >= $2::bigint"
        "          AND verdict IN ('ok', 'flagged', 'vip'))"
        "     + (SELECT coalesce(sum(delta), 0) FROM kestrin.door_count WHERE venue = $1 AND at >= $2::bigint)",
        {m_options.venue, std::to_string(nightStart)}, Clock::now() + m_options.statementDeadline, failure);
    if (!server || server->Rows() != 1)
        return false;
    // Uploads run on this thread only, so every row is on the server (counted above) or still waiting
    // (counted here), and the mark says which of the station's rows this reading holds.
    std::int64_t waiting = 0;
    const auto readOutbox = [&] {
        waiting = VenueInside::PendingInside(m_outbox.Pending(kAllWaiting), m_options.venue, nightStart);
    };
    VenueCount count;
    count.nightStart = nightStart;
    count.mark = m_options.mark ? m_options.mark->Read(readOutbox) : (readOutbox(), 0);
    count.total = server->Integer(0, 0) + waiting;
    m_options.onCount(count);
    return true;
}

bool SyncWorker::ReadScans(PgConnection& conn, PgFailure* failure) {
    if (!m_options.onScans || m_options.repeatMinutes <= 0)
        return true;
    const Micros from = NowMicros() - m_options.repeatMinutes * kMinuteMicros;
    const auto rows =
        conn.Exec("SELECT encode(id_hmac, 'hex'), station, scanned_at, received_at FROM kestrin.scan_event"
                  " WHERE venue = $1 AND station <> $2 AND id_hmac IS NOT NULL AND scanned_at >= $3::bigint"
                  "   AND received_at >= $4::bigint",
                  {m_options.venue, m_options.station, std::to_string(from),
                   std::to_string(std::max<Micros>(0, m_scansSeenTo - kCommitOverlapMicros))},
                  Clock::now() + m_options.statementDeadline, failure);
    if (!rows)
        return false;
    std::vector<RemoteScan> scans;
    for (int r = 0; r < rows->Rows(); ++r) {
        m_scansSeenTo = std::max<Micros>(m_scansSeenTo, rows->Integer(r, 3));
        RemoteScan scan{FromHex(rows->Text(r, 0)), rows->Text(r, 1), rows->Integer(r, 2)};
        if (!scan.idHmac.empty())
            scans.push_back(std::move(scan));
    }
    if (!scans.empty())
        m_options.onScans(scans);
    return true;
}

bool SyncWorker::ReadVenue(PgConnection& conn, PgFailure* failure) {
    return ReadCount(conn, failure) && ReadScans(conn, failure);
}

void SyncWorker::Run() {
    std::unique_ptr<PgConnection> conn;
    auto backoff = m_options.backoffMin;
    auto lastTraffic = Clock::now();
    auto nextListPoll = Clock::now();
    auto nextStatus = Clock::now();
    auto nextVenue = Clock::now();
    const bool readsVenue = m_options.onCount || (m_options.onScans && m_options.repeatMinutes > 0);
    bool uploadDue = true;
    bool listDue = true;
    const auto dropLink = [&](const PgFailure& failure) {
        conn.reset();
        SetStatus([&](SyncStatus& s) {
            s.connected = false;
            s.lastError = failure.message;
        });
    };
    while (!m_stop) {
        if (!conn) {
            PgFailure failure;
            conn = PgConnection::Connect(m_options.conninfo, Clock::now() + m_options.connectDeadline, &failure,
                                         "kestrin " + m_options.station);
            if (conn && !conn->Exec("LISTEN kestrin_list", Clock::now() + m_options.statementDeadline, &failure))
                conn.reset();
            if (!conn) {
                dropLink(failure);
                bool ready = false;
                WaitWake(Clock::now() + backoff, -1, &ready);
                backoff = std::min(backoff * 2, m_options.backoffMax);
                continue;
            }
            backoff = m_options.backoffMin;
            const auto offset = ClockOffset(*conn, Clock::now() + m_options.heartbeatDeadline);
            // The months ahead of the scan record; an older server without the function just says no.
            PgFailure ignored;
            conn->Exec("SELECT kestrin.ensure_partitions()", Clock::now() + m_options.statementDeadline, &ignored);
            lastTraffic = Clock::now();
            uploadDue = listDue = true;
            SetStatus([&](SyncStatus& s) {
                s.connected = true;
                s.clockOffsetUs = offset.value_or(s.clockOffsetUs);
                s.clockMeasured = s.clockMeasured || offset.has_value();
                s.lastError.clear();
                ++s.reconnects;
            });
        }
        PgFailure failure;
        if (listDue || Clock::now() >= nextListPoll) {
            const auto applied = ListSync::CatchUp(*conn, m_sink, Clock::now() + m_options.statementDeadline, &failure);
            if (!applied) {
                dropLink(failure);
                continue;
            }
            listDue = false;
            nextListPoll = Clock::now() + m_options.listPollEvery;
            lastTraffic = Clock::now();
            SetStatus([&](SyncStatus& s) {
                ++s.listCatchUps;
                s.listVersion = m_sink.Watermark();
            });
        }
        if (uploadDue) {
            const auto deadline = Clock::now() + m_options.statementDeadline;
            const UploadResult events = m_uploader.Upload(*conn, m_outbox, deadline);
            const auto& stopped = events.failure;
            SetStatus([&](SyncStatus& s) {
                s.uploaded += events.uploaded;
                s.quarantined += events.quarantined;
            });
            if (stopped) {
                // The link, or the server's load or shutdown: every unsent row is still pending.
                dropLink(*stopped);
                continue;
            }
            uploadDue = events.more; // more next round, after the heartbeat and the list had their turn
            if (events.uploaded) {
                lastTraffic = Clock::now();
                // The count with these rows on the server, at once; a draining backlog once it is all up.
                if (!events.more)
                    nextVenue = Clock::now();
                PgFailure ignored;
                const auto now =
                    conn->Exec("SELECT kestrin.now_us()", Clock::now() + m_options.heartbeatDeadline, &ignored);
                if (now && now->Rows() == 1)
                    SetStatus([&](SyncStatus& s) { s.lastUploadUs = now->Integer(0, 0); });
            }
        }
        if (readsVenue && Clock::now() >= nextVenue) {
            if (!ReadVenue(*conn, &failure)) {
                dropLink(failure);
                continue;
            }
            lastTraffic = Clock::now();
            nextVenue = Clock::now() + m_options.venueEvery;
        }
        if (Clock::now() >= nextStatus) {
            const SyncStatus s = Status();
            conn->Exec("SELECT kestrin.report_status($1, $2::bigint, nullif($3, '0')::bigint, $4)",
                       {m_options.station, std::to_string(m_outbox.WaitingCount()), std::to_string(s.lastUploadUs),
                        s.listVersion},
                       Clock::now() + m_options.heartbeatDeadline, &failure);
            nextStatus = Clock::now() + m_options.statusEvery;
        }
        // Hints that came in with the answers to our own statements (our own entries' among them) are
        // already read off the socket: look before sleeping on it.
        for (const auto& note : conn->TakeNotifications())
            if (note.channel == "kestrin_list")
                listDue = true;
        const auto heartbeatAt = lastTraffic + m_options.heartbeatEvery;
        auto until = std::min(heartbeatAt, std::min(nextListPoll, nextStatus));
        if (readsVenue)
            until = std::min(until, nextVenue);
        if (uploadDue || listDue)
            until = Clock::now();
        bool socketReady = false;
        if (WaitWake(until, conn->Socket(), &socketReady))
            uploadDue = true;
        if (socketReady) {
            if (!conn->ConsumeInput()) {
                dropLink(PgFailure{{}, "link lost"});
                continue;
            }
            lastTraffic = Clock::now();
            for (const auto& note : conn->TakeNotifications())
                if (note.channel == "kestrin_list")
                    listDue = true;
        }
        if (Clock::now() >= lastTraffic + m_options.heartbeatEvery) {
            if (!conn->Exec("SELECT 1", Clock::now() + m_options.heartbeatDeadline, &failure)) {
                dropLink(failure);
                continue;
            }
            lastTraffic = Clock::now();
        }
    }
}

} // namespace Venue
