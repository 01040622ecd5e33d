#pragma once
// One throwaway cluster per test binary and a fresh database per test, with the kestrin schema, its
// roles, two venues of group "g1" (a, b) and one of group "g2" (c), each with its own login role, and a
// manager login. Role names carry the database name, since roles are shared by the whole cluster.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "ListEntry.h"
#include "PgCluster.h"
#include "PgSchema.h"
#include "ScanEvent.h"

inline PgCluster& SharedCluster() {
    static PgCluster cluster;
    return cluster;
}

inline std::int64_t NowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// A UUID v4 as the station makes one.
inline std::string TestUuid() {
    static std::mt19937_64 random{std::random_device{}()};
    static std::mutex mutex;
    const std::lock_guard<std::mutex> lock(mutex);
    const std::uint64_t hi = (random() & 0xffffffffffff0fffULL) | 0x4000ULL;
    const std::uint64_t lo = (random() & 0x3fffffffffffffffULL) | 0x8000000000000000ULL;
    char text[37];
    std::snprintf(text, sizeof text, "%08llx-%04llx-%04llx-%04llx-%012llx", (unsigned long long)(hi >> 32),
                  (unsigned long long)((hi >> 16) & 0xffff), (unsigned long long)(hi & 0xffff),
                  (unsigned long long)(lo >> 48), (unsigned long long)(lo & 0xffffffffffffULL));
    return text;
}

inline Venue::ScanEvent TestScan(const std::string& venue, const std::string& station, std::int64_t at) {
    Venue::ScanEvent e;
    e.id = TestUuid();
    e.venue = venue;
    e.station = station;
    e.scannedAt = at;
    e.verdict = Venue::Verdict::Ok;
    e.age = 25;
    e.sexCode = "1";
    e.state = "NY";
    e.format = "aamva";
    e.idHmac = std::string(32, '\x5a');
    return e;
}

inline Venue::ListEntry TestEntry(Venue::ListKind list, Venue::Scope scope, const std::string& venue, char hmacByte) {
    Venue::ListEntry e;
    e.id = TestUuid();
    e.list = list;
    e.scope = scope;
    e.venue = venue;
    e.idHmac = std::string(32, hmacByte);
    e.reason = Venue::Reason::Violence;
    e.validUntil = std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::system_clock::now().time_since_epoch() + std::chrono::hours(24 * 30))
                       .count();
    e.createdBy = "door1 staff";
    return e;
}

// Polls until the condition holds or the timeout passes; true when it held.
inline bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < end) {
        if (condition())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return condition();
}

class VenueDbTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!PgCluster::Available())
            GTEST_SKIP() << "PostgreSQL server binaries (initdb, pg_ctl) are not installed";
        static std::atomic<int> counter{0};
        m_db = "t" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
        auto admin = SharedCluster().Admin();
        Exec(*admin, "CREATE DATABASE " + m_db);
        auto conn = SharedCluster().Admin(m_db);
        Venue::PgFailure failure;
        ASSERT_TRUE(Venue::PgSchema::Init(*conn, true, &failure)) << failure.message;
        for (const auto& [venue, group] : {std::pair{"a", "g1"}, {"b", "g1"}, {"c", "g2"}})
            ASSERT_TRUE(Venue::PgSchema::AddVenue(*conn, venue, group, Role(venue), &failure)) << failure.message;
        Exec(*conn, "DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = '" + Role("manager") +
                        "') THEN CREATE ROLE " + Role("manager") + " LOGIN IN ROLE kestrin_manager; END IF; END $$");
    }

    std::string Role(const std::string& venue) const { return "st_" + venue + "_" + m_db; }
    std::string ConnInfo(const std::string& venue, int port = 0) const {
        return SharedCluster().ConnInfo(Role(venue), m_db, port);
    }
    std::unique_ptr<Venue::PgConnection> Connect(const std::string& venue) const {
        Venue::PgFailure failure;
        auto conn =
            Venue::PgConnection::Connect(ConnInfo(venue), Venue::Clock::now() + std::chrono::seconds(10), &failure);
        EXPECT_TRUE(conn) << failure.message;
        return conn;
    }
    std::unique_ptr<Venue::PgConnection> Admin() const { return SharedCluster().Admin(m_db); }

    static Venue::PgResult Exec(Venue::PgConnection& conn, const std::string& sql,
                                const std::vector<std::optional<std::string>>& params = {}) {
        Venue::PgFailure failure;
        auto result = conn.Exec(sql, params, Venue::Clock::now() + std::chrono::seconds(30), &failure);
        if (!result)
            throw std::runtime_error(sql + ": " + failure.message);
        return std::move(*result);
    }
    // The SQLSTATE the statement fails with, or "" when it succeeds.
    static std::string FailureOf(Venue::PgConnection& conn, const std::string& sql,
                                 const std::vector<std::optional<std::string>>& params = {}) {
        Venue::PgFailure failure;
        return conn.Exec(sql, params, Venue::Clock::now() + std::chrono::seconds(30), &failure) ? "" : failure.sqlstate;
    }
    long long Count(const std::string& sql) const { return Exec(*Admin(), sql).Integer(0, 0); }

    std::string m_db;
};
