// The sync worker against a real server through its faults: an immediate server stop in the middle of
// three doors' bursts, a stalled path, entries committed out of order, and a door offline.

#include <algorithm>

#include "MemorySyncStore.h"
#include "SyncWorker.h"
#include "TcpProxy.h"
#include "VenueDb.h"

namespace {

using namespace std::chrono_literals;
using Venue::Clock;

constexpr const char* kAddEntry =
    "SELECT kestrin.add_entry($1::uuid, 'banned', decode(repeat('cd', 32), 'hex'), 1, 'theft', '', "
    "kestrin.now_us() + 86400000000, 'group', 'bar')";

struct Door {
    Door(const std::string& conninfo, const std::string& station)
        : worker(Venue::SyncOptions{conninfo, station}, store, store) {
        worker.Start();
    }
    bool Has(const std::string& entryId) const { return store.Entries().count(entryId) != 0; }
    bool Lifted(const std::string& entryId) const {
        const auto entries = store.Entries();
        const auto it = entries.find(entryId);
        return it != entries.end() && it->second.liftedAt.has_value();
    }
    Venue::MemorySyncStore store;
    Venue::SyncWorker worker;
};

class SyncWorkerTest : public VenueDbTest {};

TEST_F(SyncWorkerTest, ThreeDoorsLoseAndDuplicateNothingThroughAnImmediateServerStop) {
    const std::pair<const char*, const char*> doors[] = {{"a", "front"}, {"a", "side"}, {"b", "front"}};
    std::vector<std::unique_ptr<Door>> stations;
    for (const auto& [venue, station] : doors)
        stations.push_back(std::make_unique<Door>(ConnInfo(venue), station));
    std::atomic<long long> slowestCallUs{0};
    std::vector<std::thread> feeders;
    for (std::size_t d = 0; d < stations.size(); ++d)
        feeders.emplace_back([&, d] {
            for (int i = 0; i < 1000; ++i) {
                const auto start = Clock::now();
                stations[d]->store.Add(TestScan(doors[d].first, doors[d].second, NowUs()));
                stations[d]->worker.Wake();
                const auto took = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
                slowestCallUs = std::max<long long>(slowestCallUs, took);
                std::this_thread::sleep_for(3ms);
            }
        });
    ASSERT_TRUE(WaitFor([&] { return stations[0]->store.UploadedCount() >= 200; }, 30s));
    SharedCluster().StopImmediate();
    std::this_thread::sleep_for(1500ms);
    std::int64_t waitingWhileDown = 0;
    for (const auto& s : stations)
        waitingWhileDown += s->store.WaitingCount();
    SharedCluster().Start();
    for (auto& f : feeders)
        f.join();
    const bool drained = WaitFor(
        [&] {
            return std::all_of(stations.begin(), stations.end(),
                               [](const auto& s) { return s->store.WaitingCount() == 0; });
        },
        60s);
    ASSERT_TRUE(drained);
    EXPECT_GT(waitingWhileDown, 0) << "the stop came after the bursts, so it tested nothing";
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event"), 3000);                    // 0 lost
    EXPECT_EQ(Count("SELECT count(DISTINCT (venue, id)) FROM kestrin.scan_event"), 3000); // 0 duplicated
    EXPECT_EQ(Count("SELECT count(DISTINCT (venue, station)) FROM kestrin.scan_event"), 3);
    for (const auto& s : stations) {
        EXPECT_EQ(s->store.UploadedCount(), 1000u);
        EXPECT_GE(s->worker.Status().reconnects, 2u);
    }
    // The door's own calls never wait on the server: a wait would cost at least a connect attempt (2 s).
    EXPECT_LT(slowestCallUs.load(), 1000000);
}

TEST_F(SyncWorkerTest, StalledPathNeverDelaysTheDoorAndIsDroppedByTheHeartbeat) {
    TcpProxy proxy(SharedCluster().Port());
    Door door(ConnInfo("a", proxy.Port()), "front");
    ASSERT_TRUE(WaitFor([&] { return door.worker.Status().connected; }, 10s));
    proxy.SetMode(TcpProxy::Mode::Stall);
    std::this_thread::sleep_for(200ms); // the proxy takes up the mode at its next turn (50 ms)
    const auto stalledAt = Clock::now();
    long long slowestCallUs = 0;
    for (int i = 0; i < 50; ++i) {
        const auto start = Clock::now();
        door.store.Add(TestScan("a", "front", NowUs()));
        door.worker.Wake();
        slowestCallUs = std::max<long long>(
            slowestCallUs, std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count());
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_LT(slowestCallUs, 1000000);
    // A stall is noticed within the statement deadline, or heartbeat + its deadline, not in minutes.
    ASSERT_TRUE(WaitFor([&] { return !door.worker.Status().connected; }, 12s));
    EXPECT_LT(Clock::now() - stalledAt, 12s);
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event"), 0);
    proxy.SetMode(TcpProxy::Mode::Pass);
    ASSERT_TRUE(WaitFor([&] { return door.store.WaitingCount() == 0; }, 15s));
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event"), 50);
}

TEST_F(SyncWorkerTest, EntryCommittedBehindAYoungerOneStillArrivesWhileConnected) {
    Door door(ConnInfo("b"), "front");
    ASSERT_TRUE(WaitFor([&] { return door.worker.Status().listCatchUps >= 1; }, 10s));
    // Server and door share this machine's clock: no warning.
    EXPECT_FALSE(door.worker.Status().ClockOff()) << door.worker.Status().clockOffsetUs;
    auto older = Connect("a");
    auto younger = Connect("a");
    const std::string first = TestUuid();
    const std::string second = TestUuid();
    Exec(*older, "BEGIN");
    Exec(*older, kAddEntry, {first});
    Exec(*younger, kAddEntry, {second});
    ASSERT_TRUE(WaitFor([&] { return door.Has(second); }, 2s)) << "a committed entry took over 2 s";
    EXPECT_FALSE(door.Has(first));
    Exec(*older, "COMMIT");
    EXPECT_TRUE(WaitFor([&] { return door.Has(first); }, 2s)) << "the older transaction's entry was skipped";
}

TEST_F(SyncWorkerTest, DoorOfflineCatchesUpOutOfOrderCommitsAndLiftsWithinFiveSeconds) {
    TcpProxy proxy(SharedCluster().Port());
    Door door(ConnInfo("b", proxy.Port()), "front");
    ASSERT_TRUE(WaitFor([&] { return door.worker.Status().listCatchUps >= 1; }, 10s));
    auto older = Connect("a");
    auto younger = Connect("a");
    const std::string first = TestUuid();
    const std::string second = TestUuid();
    Exec(*older, "BEGIN");
    Exec(*older, kAddEntry, {first});
    Exec(*younger, kAddEntry, {second});
    ASSERT_TRUE(WaitFor([&] { return door.Has(second); }, 2s));

    proxy.SetMode(TcpProxy::Mode::Drop);
    ASSERT_TRUE(WaitFor([&] { return !door.worker.Status().connected; }, 12s));
    Exec(*older, "COMMIT"); // its hint goes nowhere: the door is not listening
    Venue::PgFailure failure;
    auto manager =
        Venue::PgConnection::Connect(SharedCluster().ConnInfo(Role("manager"), m_db), Clock::now() + 10s, &failure);
    ASSERT_TRUE(manager) << failure.message;
    Exec(*manager, "SELECT kestrin.lift_entry($1::uuid, 'mistaken identity')", {second});
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(door.Has(first));
    EXPECT_TRUE(door.Has(second)) << "the offline copy keeps its entries";

    proxy.SetMode(TcpProxy::Mode::Pass);
    const auto back = Clock::now();
    ASSERT_TRUE(WaitFor([&] { return door.Has(first) && door.Lifted(second); }, 5s))
        << "not caught up within 5 s of the path coming back";
    EXPECT_LT(Clock::now() - back, 5s);
}

TEST_F(SyncWorkerTest, EntryMadeAtOneDoorHoldsThereAtOnceAndAtTheOtherWithinTwoSeconds) {
    TcpProxy proxy(SharedCluster().Port());
    Door bar(ConnInfo("a", proxy.Port()), "bar");
    Door side(ConnInfo("b"), "side");
    ASSERT_TRUE(WaitFor([&] { return bar.worker.Status().connected && side.worker.Status().listCatchUps >= 1; }, 10s));

    const auto online = TestEntry(Venue::ListKind::Banned, Venue::Scope::Group, "a", '\x31');
    bar.store.Add(online);
    bar.worker.Wake();
    EXPECT_TRUE(bar.Has(online.id));
    EXPECT_TRUE(WaitFor([&] { return side.Has(online.id); }, 2s));

    // Offline: the entry holds at its own door, goes up when the path is back, and reaches the other.
    proxy.SetMode(TcpProxy::Mode::Drop);
    ASSERT_TRUE(WaitFor([&] { return !bar.worker.Status().connected; }, 12s));
    const auto offline = TestEntry(Venue::ListKind::Flagged, Venue::Scope::Group, "a", '\x32');
    bar.store.Add(offline);
    bar.worker.Wake();
    EXPECT_TRUE(bar.Has(offline.id));
    EXPECT_TRUE(bar.Has(online.id));
    std::this_thread::sleep_for(500ms);
    EXPECT_FALSE(side.Has(offline.id));
    proxy.SetMode(TcpProxy::Mode::Pass);
    EXPECT_TRUE(WaitFor([&] { return side.Has(offline.id); }, 7s));
    const auto entries = side.store.Entries();
    EXPECT_EQ(entries.at(offline.id).createdBy, "door1 " + Role("a"));
    EXPECT_EQ(entries.at(offline.id).venue, "a");
}

TEST_F(SyncWorkerTest, RowsLeftByAStoppedWorkerGoUpOnceWithTheNext) {
    TcpProxy proxy(SharedCluster().Port());
    proxy.SetMode(TcpProxy::Mode::Drop);
    Venue::MemorySyncStore store;
    for (int i = 0; i < 120; ++i)
        store.Add(TestScan("a", "front", NowUs()));
    {
        Venue::SyncWorker first(Venue::SyncOptions{ConnInfo("a", proxy.Port()), "front"}, store, store);
        first.Start();
        std::this_thread::sleep_for(1s);
    }
    EXPECT_EQ(store.WaitingCount(), 120);
    proxy.SetMode(TcpProxy::Mode::Pass);
    Venue::SyncWorker second(Venue::SyncOptions{ConnInfo("a", proxy.Port()), "front"}, store, store);
    second.Start();
    ASSERT_TRUE(WaitFor([&] { return store.WaitingCount() == 0; }, 15s));
    EXPECT_EQ(Count("SELECT count(DISTINCT id) FROM kestrin.scan_event"), 120);
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event"), 120);
}

} // namespace
