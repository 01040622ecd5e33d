// Several doors on one server: N simulated stations, each the real sync worker (upload and list
// catch-up on its own thread and connection) over an in-memory outbox, scanning once a second against a
// throwaway PostgreSQL cluster on loopback (or --db SUPERUSER-CONNINFO). A manager adds a group-wide
// ban once a second; every door's copy records when it arrives. Prints, per N: events per second the
// server took, the outbox backlog at the end (growing = the server falls behind), and list propagation
// p50 / p95 / max from the ban's commit to its arrival at each door, and how many readings of their
// venue's inside count the doors made a second (each door also reads its venue's recent scans for the
// repeat window, as a door does).
//
//   venue_sync_bench [--db CONNINFO] [--seconds S] [N ...]      (default: 20 s, N = 10 50 200)

#include "MemorySyncStore.h"
#include "PgSchema.h"
#include "SyncWorker.h"
#include "VenueTime.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Venue::Clock;

constexpr int kDoorsPerVenue = 4;

std::string Run(const std::string& cmd) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(cmd.c_str(), "r"), &pclose);
    std::string out;
    char buffer[128];
    while (pipe && fgets(buffer, sizeof buffer, pipe.get()))
        out += buffer;
    while (!out.empty() && (out.back() == '\n' || out.back() == ' '))
        out.pop_back();
    return out;
}

struct Cluster {
    std::string dir;
    std::string admin; // superuser conninfo
    ~Cluster() {
        if (!dir.empty())
            Run(std::string(KESTRIN_PG_CLUSTER_SCRIPT) + " destroy " + dir);
    }
};

std::unique_ptr<Venue::PgConnection> Connect(const std::string& conninfo) {
    Venue::PgFailure failure;
    auto conn = Venue::PgConnection::Connect(conninfo, Clock::now() + 10s, &failure);
    if (!conn)
        throw std::runtime_error("connect: " + failure.message);
    return conn;
}

void Exec(Venue::PgConnection& conn, const std::string& sql, const std::vector<std::optional<std::string>>& p = {}) {
    Venue::PgFailure failure;
    if (!conn.Exec(sql, p, Clock::now() + 60s, &failure))
        throw std::runtime_error(sql + ": " + failure.message);
}

std::string RandomUuid() {
    return Venue::NewUuid();
}

struct Arrivals {
    std::mutex mutex;
    std::map<std::string, Clock::time_point> committed; // entry id -> commit seen by the writer
    std::vector<double> latencies;                      // seconds, one per (entry, door)
};

struct Figures {
    double eventsPerSecond = 0;
    std::int64_t backlogEnd = 0;
    std::int64_t backlogMax = 0;
    double p50 = 0, p95 = 0, max = 0;
    double countReadsPerSecond = 0; // the doors' readings of their venue's count, all doors together
    std::size_t samples = 0, expected = 0;
};

double Percentile(std::vector<double> v, double p) {
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

Figures RunLoad(const std::string& base, Venue::PgConnection& admin, int stations, int seconds) {
    Exec(admin, "TRUNCATE kestrin.scan_event, kestrin.list_entry, kestrin.station_status");
    const int venues = (stations + kDoorsPerVenue - 1) / kDoorsPerVenue;
    for (int v = 0; v < venues; ++v) {
        Venue::PgFailure failure;
        if (!Venue::PgSchema::AddVenue(admin, "v" + std::to_string(v), "chain", "bench_v" + std::to_string(v),
                                       &failure))
            throw std::runtime_error(failure.message);
    }
    Arrivals arrivals;
    std::vector<std::unique_ptr<Venue::MemorySyncStore>> stores;
    std::vector<std::unique_ptr<Venue::SyncWorker>> workers;
    std::atomic<std::uint64_t> readings{0};
    for (int s = 0; s < stations; ++s) {
        stores.push_back(std::make_unique<Venue::MemorySyncStore>());
        stores.back()->OnApplied([&arrivals](const std::vector<Venue::ListEntry>& entries) {
            const auto now = Clock::now();
            const std::lock_guard<std::mutex> lock(arrivals.mutex);
            for (const auto& e : entries) {
                const auto it = arrivals.committed.find(e.id);
                if (it != arrivals.committed.end())
                    arrivals.latencies.push_back(std::chrono::duration<double>(now - it->second).count());
            }
        });
        Venue::SyncOptions options{base + " user=bench_v" + std::to_string(s / kDoorsPerVenue),
                                   "door" + std::to_string(s)};
        // As a door runs: the venue's inside count and the other doors' recent scans, read every second.
        options.venue = "v" + std::to_string(s / kDoorsPerVenue);
        options.onCount = [&readings](const Venue::VenueCount&) { ++readings; };
        options.repeatMinutes = 10;
        options.onScans = [](const std::vector<Venue::RemoteScan>&) {};
        workers.push_back(std::make_unique<Venue::SyncWorker>(options, *stores.back(), *stores.back()));
        workers.back()->Start();
    }
    std::this_thread::sleep_for(3s); // every door connected and loaded

    auto manager = Connect(base + " user=bench_manager");
    std::atomic<bool> stop{false};
    std::int64_t backlogMax = 0;
    std::thread writer([&] {
        int made = 0;
        while (!stop) {
            const std::string id = RandomUuid();
            const auto before = Clock::now();
            {
                const std::lock_guard<std::mutex> lock(arrivals.mutex);
                arrivals.committed[id] = before; // the commit follows; a door cannot see it sooner
            }
            try {
                Exec(*manager,
                     "SELECT kestrin.add_entry($1::uuid, 'banned', decode(md5($1::text) || md5($1::text), 'hex'), 1, "
                     "'other', '', "
                     "kestrin.now_us() + 86400000000, 'group', 'office', NULL, NULL, 'v0')",
                     {id});
            } catch (const std::exception& e) {
                std::cerr << "venue_sync_bench: the ban was refused: " << e.what() << '\n';
                return;
            }
            ++made;
            std::this_thread::sleep_for(1s);
        }
    });
    const auto start = Clock::now();
    const std::uint64_t readingsAtStart = readings;
    Venue::PgFailure failure;
    const auto counted = [&] {
        auto r = admin.Exec("SELECT count(*) FROM kestrin.scan_event", Clock::now() + 30s, &failure);
        return r ? r->Integer(0, 0) : 0;
    };
    // One scan a second at each door, spread over the second.
    for (int second = 0; second < seconds; ++second) {
        const auto tick = start + std::chrono::seconds(second);
        for (int s = 0; s < stations; ++s) {
            std::this_thread::sleep_until(tick + std::chrono::microseconds(1000000LL * s / stations));
            Venue::ScanEvent e;
            e.id = RandomUuid();
            e.venue = "v" + std::to_string(s / kDoorsPerVenue);
            e.station = "door" + std::to_string(s);
            e.scannedAt = Venue::NowMicros();
            e.verdict = Venue::Verdict::Ok;
            e.age = 30;
            e.format = "aamva";
            e.idHmac = std::string(32, 'k');
            stores[static_cast<std::size_t>(s)]->Add(e);
            workers[static_cast<std::size_t>(s)]->Wake();
        }
        std::int64_t waiting = 0;
        for (auto& st : stores)
            waiting += st->WaitingCount();
        backlogMax = std::max(backlogMax, waiting);
    }
    const auto elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    const double countReadsPerSecond = static_cast<double>(readings - readingsAtStart) / elapsed;
    std::this_thread::sleep_for(1500ms); // the last ban reaches the doors
    stop = true;
    writer.join();
    Figures f;
    for (auto& st : stores)
        f.backlogEnd += st->WaitingCount();
    f.backlogMax = backlogMax;
    f.countReadsPerSecond = countReadsPerSecond;
    f.eventsPerSecond = static_cast<double>(counted()) / elapsed;
    for (auto& w : workers)
        w->Stop();
    const std::lock_guard<std::mutex> lock(arrivals.mutex);
    f.samples = arrivals.latencies.size();
    f.expected = arrivals.committed.size() * static_cast<std::size_t>(stations);
    f.p50 = Percentile(arrivals.latencies, 0.50);
    f.p95 = Percentile(arrivals.latencies, 0.95);
    f.max = Percentile(arrivals.latencies, 1.0);
    return f;
}

} // namespace

int main(int argc, char** argv) {
    std::string db;
    int seconds = 20;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--db" && i + 1 < argc)
            db = argv[++i];
        else if (a == "--seconds" && i + 1 < argc)
            seconds = std::atoi(argv[++i]);
        else
            sizes.push_back(std::atoi(a.c_str()));
    }
    if (sizes.empty())
        sizes = {10, 50, 200};
    try {
        Cluster cluster;
        std::string base; // host and port, no user
        if (db.empty()) {
            char pattern[] = "/tmp/kpg-bench-XXXXXX";
            if (!mkdtemp(pattern))
                throw std::runtime_error("mkdtemp failed");
            cluster.dir = pattern;
            const std::string port = Run(std::string(KESTRIN_PG_CLUSTER_SCRIPT) + " create " + cluster.dir);
            if (port.empty())
                throw std::runtime_error("the cluster did not start");
            base = "host=127.0.0.1 port=" + port + " dbname=postgres";
            db = base + " user=postgres";
        } else {
            base = db;
        }
        auto admin = Connect(db);
        Venue::PgFailure failure;
        if (!Venue::PgSchema::Init(*admin, true, &failure))
            throw std::runtime_error(failure.message);
        Exec(*admin, "DO $$ BEGIN IF NOT EXISTS (SELECT 1 FROM pg_roles WHERE rolname = 'bench_manager') THEN "
                     "CREATE ROLE bench_manager LOGIN IN ROLE kestrin_manager; END IF; END $$");
        std::printf("%8s %10s %12s %12s %9s %9s %9s %10s %9s\n", "stations", "events/s", "backlog.max", "backlog.end",
                    "p50 s", "p95 s", "max s", "arrivals", "counts/s");
        for (const int n : sizes) {
            const Figures f = RunLoad(base, *admin, n, seconds);
            std::printf("%8d %10.1f %12lld %12lld %9.3f %9.3f %9.3f %5zu/%zu %9.1f\n", n, f.eventsPerSecond,
                        static_cast<long long>(f.backlogMax), static_cast<long long>(f.backlogEnd), f.p50, f.p95, f.max,
                        f.samples, f.expected, f.countReadsPerSecond);
            std::fflush(stdout);
        }
    } catch (const std::exception& e) {
        std::cerr << "venue_sync_bench: " << e.what() << '\n';
        return 2;
    }
    return 0;
}
