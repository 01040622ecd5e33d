#pragma once
// One libpq connection owned by one thread (libpq allows no sharing). Every wait is bounded: the
// connection is made with PQconnectStartParams + PQconnectPoll against a deadline, and each statement is
// sent and awaited on the socket against a deadline, so a stalled path (a proxy that ACKs and forwards
// nothing, which keepalives never notice) costs at most that deadline. TCP keepalives 5/2/2 and a
// connect_timeout are added unless the connection string sets them.
//
//   conninfo -> Connect(deadline) -> Exec(sql, params, deadline) -> PgResult | PgFailure
//                                 -> TakeNotifications() after input arrived on Socket()

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <libpq-fe.h>

#include "PgFailure.h"
#include "PgResult.h"

namespace Venue {

using Clock = std::chrono::steady_clock;

struct PgNotification {
    std::string channel;
    std::string payload;
};

class PgConnection {
public:
    // Null on failure, with the cause in *failure.
    static std::unique_ptr<PgConnection> Connect(const std::string& conninfo, Clock::time_point deadline,
                                                 PgFailure* failure, const std::string& applicationName = {});

    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Runs one statement ($1.. text parameters; a null optional is SQL NULL). Several statements
    // without parameters may be sent in one text; the last result is kept.
    std::optional<PgResult> Exec(const std::string& sql, const std::vector<std::optional<std::string>>& params,
                                 Clock::time_point deadline, PgFailure* failure);
    std::optional<PgResult> Exec(const std::string& sql, Clock::time_point deadline, PgFailure* failure) {
        return Exec(sql, {}, deadline, failure);
    }

    // Reads what the server sent (notifications) without waiting. False when the link is gone.
    bool ConsumeInput();
    std::vector<PgNotification> TakeNotifications();

    int Socket() const { return PQsocket(m_conn); }
    bool Ok() const { return PQstatus(m_conn) == CONNECTION_OK; }

private:
    explicit PgConnection(PGconn* conn) : m_conn(conn) {}
    bool Flush(Clock::time_point deadline, PgFailure* failure);
    bool AwaitResult(Clock::time_point deadline, PgResult* last, PgFailure* failure);

    PGconn* m_conn = nullptr;
};

// Waits for the socket to become readable (or writable) until the deadline; false on timeout.
bool WaitSocket(int fd, bool forWrite, Clock::time_point deadline);

// The libpq connection string quoted for one keyword=value pair.
std::string QuoteConnValue(const std::string& value);

} // namespace Venue
