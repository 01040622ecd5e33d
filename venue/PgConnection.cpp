#include "PgConnection.h"

#include <poll.h>

#include <cerrno>
#include <map>

namespace Venue {

namespace {

std::string Trimmed(const char* text) {
    std::string s = text ? text : "";
    while (!s.empty() && (s.back() == '\n' || s.back() == ' '))
        s.pop_back();
    return s;
}

PgFailure LinkFailure(PGconn* conn, const std::string& fallback) {
    std::string message = conn ? Trimmed(PQerrorMessage(conn)) : std::string();
    return PgFailure{{}, message.empty() ? fallback : message};
}

// The user's settings win; ours fill what the user left out.
std::map<std::string, std::string> ConnectionOptions(const std::string& conninfo, const std::string& appName,
                                                     std::string* error) {
    char* parseError = nullptr;
    PQconninfoOption* parsed = PQconninfoParse(conninfo.c_str(), &parseError);
    if (!parsed) {
        *error = Trimmed(parseError ? parseError : "the connection string cannot be read");
        PQfreemem(parseError);
        return {};
    }
    std::map<std::string, std::string> options;
    for (PQconninfoOption* o = parsed; o->keyword; ++o)
        if (o->val && *o->val)
            options[o->keyword] = o->val;
    PQconninfoFree(parsed);
    // gssencmode: libpq's default "prefer" asks the Kerberos library for credentials first, which may
    // look up the realm in DNS and block the connect far beyond its deadline.
    const std::pair<const char*, std::string> defaults[] = {
        {"gssencmode", "disable"},     {"connect_timeout", "2"},     {"keepalives", "1"},
        {"keepalives_idle", "5"},      {"keepalives_interval", "2"}, {"keepalives_count", "2"},
        {"application_name", appName},
    };
    for (const auto& [key, value] : defaults)
        if (!value.empty())
            options.emplace(key, value);
    return options;
}

} // namespace

bool WaitSocket(int fd, bool forWrite, Clock::time_point deadline) {
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd p{fd, static_cast<short>(forWrite ? POLLOUT : POLLIN), 0};
        const int n = ::poll(&p, 1, static_cast<int>(left));
        if (n > 0)
            return true;
        if (n < 0 && errno != EINTR)
            return true; // let libpq report the error
    }
}

std::string QuoteConnValue(const std::string& value) {
    std::string out = "'";
    for (const char c : value) {
        if (c == '\'' || c == '\\')
            out += '\\';
        out += c;
    }
    return out + "'";
}

std::unique_ptr<PgConnection> PgConnection::Connect(const std::string& conninfo, Clock::time_point deadline,
                                                    PgFailure* failure, const std::string& applicationName) {
    std::string error;
    const auto options = ConnectionOptions(conninfo, applicationName, &error);
    if (options.empty()) {
        *failure = PgFailure{"08000", error.empty() ? "empty connection string" : error};
        return nullptr;
    }
    std::vector<const char*> keys;
    std::vector<const char*> values;
    for (const auto& [key, value] : options) {
        keys.push_back(key.c_str());
        values.push_back(value.c_str());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    PGconn* raw = PQconnectStartParams(keys.data(), values.data(), 0);
    if (!raw) {
        *failure = PgFailure{{}, "out of memory"};
        return nullptr;
    }
    std::unique_ptr<PgConnection> conn(new PgConnection(raw));
    // Server notices (IF NOT EXISTS skips and the like) are not for the door's standard error.
    PQsetNoticeProcessor(
        raw, [](void*, const char*) {}, nullptr);
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    while (state != PGRES_POLLING_OK) {
        if (state == PGRES_POLLING_FAILED || PQstatus(raw) == CONNECTION_BAD) {
            *failure = LinkFailure(raw, "connection failed");
            return nullptr;
        }
        if (!WaitSocket(PQsocket(raw), state == PGRES_POLLING_WRITING, deadline)) {
            *failure = PgFailure{{}, "timeout while connecting"};
            return nullptr;
        }
        state = PQconnectPoll(raw);
    }
    PQsetnonblocking(raw, 1);
    return conn;
}

PgConnection::~PgConnection() {
    if (m_conn)
        PQfinish(m_conn);
}

bool PgConnection::Flush(Clock::time_point deadline, PgFailure* failure) {
    for (;;) {
        const int r = PQflush(m_conn);
        if (r == 0)
            return true;
        if (r < 0 || !WaitSocket(Socket(), true, deadline)) {
            *failure = r < 0 ? LinkFailure(m_conn, "send failed") : PgFailure{{}, "timeout while sending"};
            return false;
        }
        if (!PQconsumeInput(m_conn)) {
            *failure = LinkFailure(m_conn, "link lost");
            return false;
        }
    }
}

bool PgConnection::AwaitResult(Clock::time_point deadline, PgResult* last, PgFailure* failure) {
    std::optional<PgFailure> statementFailure;
    for (;;) {
        while (PQisBusy(m_conn)) {
            if (!WaitSocket(Socket(), false, deadline)) {
                *failure = PgFailure{{}, "no answer from the server in time"};
                return false;
            }
            if (!PQconsumeInput(m_conn)) {
                *failure = LinkFailure(m_conn, "link lost");
                return false;
            }
        }
        PGresult* r = PQgetResult(m_conn);
        if (!r)
            break;
        PgResult result(r);
        const ExecStatusType status = PQresultStatus(r);
        if (status == PGRES_FATAL_ERROR) {
            const char* state = PQresultErrorField(r, PG_DIAG_SQLSTATE);
            if (!statementFailure)
                statementFailure = PgFailure{state ? state : "", Trimmed(PQresultErrorMessage(r))};
        }
        *last = std::move(result);
    }
    if (statementFailure) {
        *failure = *statementFailure;
        return false;
    }
    if (PQstatus(m_conn) == CONNECTION_BAD) {
        *failure = LinkFailure(m_conn, "link lost");
        return false;
    }
    return true;
}

std::optional<PgResult> PgConnection::Exec(const std::string& sql,
                                           const std::vector<std::optional<std::string>>& params,
                                           Clock::time_point deadline, PgFailure* failure) {
    int sent = 0;
    if (params.empty()) {
        sent = PQsendQuery(m_conn, sql.c_str());
    } else {
        std::vector<const char*> values;
        values.reserve(params.size());
        for (const auto& p : params)
            values.push_back(p ? p->c_str() : nullptr);
        sent = PQsendQueryParams(m_conn, sql.c_str(), static_cast<int>(params.size()), nullptr, values.data(), nullptr,
                                 nullptr, 0);
    }
    if (!sent) {
        *failure = LinkFailure(m_conn, "send failed");
        return std::nullopt;
    }
    if (!Flush(deadline, failure))
        return std::nullopt;
    PgResult last;
    if (!AwaitResult(deadline, &last, failure))
        return std::nullopt;
    return last;
}

bool PgConnection::ConsumeInput() {
    return PQconsumeInput(m_conn) == 1 && PQstatus(m_conn) == CONNECTION_OK;
}

std::vector<PgNotification> PgConnection::TakeNotifications() {
    std::vector<PgNotification> out;
    while (PGnotify* n = PQnotifies(m_conn)) {
        out.push_back({n->relname ? n->relname : "", n->extra ? n->extra : ""});
        PQfreemem(n);
    }
    return out;
}

} // namespace Venue
