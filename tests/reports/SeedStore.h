#pragma once
// A venue store file made the way the venue side makes it (the tables' DDL as agreed), filled with rows a
// test chooses, made or added to. For the reports' tests, which must not depend on the station writing it.

#include "VenueRows.h"

#include <sqlite3.h>
#include <stdexcept>
#include <string>

class SeedStore {
public:
    static constexpr const char* kDdl = R"(
    CREATE TABLE IF NOT EXISTS scan_event(
      id          TEXT PRIMARY KEY,
      venue       TEXT NOT NULL,
      station     TEXT NOT NULL,
      scanned_at  INTEGER NOT NULL,
      received_at INTEGER,
      verdict     TEXT NOT NULL,
      age         INTEGER,
      sex_code    TEXT NOT NULL DEFAULT '',
      state       TEXT NOT NULL DEFAULT '',
      format      TEXT NOT NULL DEFAULT '',
      warnings    TEXT NOT NULL DEFAULT '',
      list_hits   TEXT NOT NULL DEFAULT '',
      id_hmac     BLOB
    );
    CREATE TABLE IF NOT EXISTS door_count(
      id          TEXT PRIMARY KEY,
      venue       TEXT NOT NULL,
      station     TEXT NOT NULL,
      at          INTEGER NOT NULL,
      delta       INTEGER NOT NULL
    );)";

    explicit SeedStore(const std::string& path) {
        if (sqlite3_open(path.c_str(), &m_db) != SQLITE_OK)
            throw std::runtime_error("cannot make the seed store " + path);
        Exec("PRAGMA journal_mode=WAL");
        Exec(kDdl);
        Exec("BEGIN");
    }
    ~SeedStore() { sqlite3_close(m_db); }
    SeedStore(const SeedStore&) = delete;
    SeedStore& operator=(const SeedStore&) = delete;

    void Add(const std::string& venue, const Reports::ScanRow& s) {
        sqlite3_stmt* st = Prepare("INSERT INTO scan_event(id, venue, station, scanned_at, received_at, verdict, age, "
                                   "sex_code, state, format, warnings, list_hits, id_hmac) "
                                   "VALUES(?,?,?,?,NULL,?,?,?,?,?,?,?,?)");
        Text(st, 1, s.id);
        Text(st, 2, venue);
        Text(st, 3, s.station);
        sqlite3_bind_int64(st, 4, s.scannedAt);
        Text(st, 5, s.verdict);
        if (s.age)
            sqlite3_bind_int(st, 6, *s.age);
        Text(st, 7, s.sexCode);
        Text(st, 8, s.state);
        Text(st, 9, s.format);
        Text(st, 10, s.warnings);
        Text(st, 11, s.listHits);
        if (s.idHmac)
            sqlite3_bind_blob(st, 12, s.idHmac->data(), static_cast<int>(s.idHmac->size()), SQLITE_TRANSIENT);
        Step(st);
    }
    void Add(const std::string& venue, const Reports::DoorCountRow& d) {
        sqlite3_stmt* st = Prepare("INSERT INTO door_count(id, venue, station, at, delta) VALUES(?,?,?,?,?)");
        Text(st, 1, d.id);
        Text(st, 2, venue);
        Text(st, 3, d.station);
        sqlite3_bind_int64(st, 4, d.at);
        sqlite3_bind_int(st, 5, d.delta);
        Step(st);
    }
    void Add(const std::string& venue, const Reports::NightRows& rows) {
        for (const Reports::ScanRow& s : rows.scans)
            Add(venue, s);
        for (const Reports::DoorCountRow& d : rows.doorCounts)
            Add(venue, d);
    }
    void Commit() { Exec("COMMIT"); }

private:
    void Exec(const char* sql) {
        char* error = nullptr;
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
            const std::string cause = error ? error : "?";
            sqlite3_free(error);
            throw std::runtime_error("seed store: " + cause);
        }
    }
    sqlite3_stmt* Prepare(const char* sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql, -1, &st, nullptr) != SQLITE_OK)
            throw std::runtime_error(std::string("seed store: ") + sqlite3_errmsg(m_db));
        return st;
    }
    static void Text(sqlite3_stmt* st, int i, const std::string& t) {
        sqlite3_bind_text(st, i, t.data(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
    void Step(sqlite3_stmt* st) {
        const int rc = sqlite3_step(st);
        sqlite3_finalize(st);
        if (rc != SQLITE_DONE)
            throw std::runtime_error(std::string("seed store: ") + sqlite3_errmsg(m_db));
    }
    sqlite3* m_db = nullptr;
};
