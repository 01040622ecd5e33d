// The upload of a door's outbox against a real server: exactly one row per scan whatever is resent,
// both rows when another venue replays a UUID, and a poison row set aside while the rest go up.

#include "EventUploader.h"
#include "MemorySyncStore.h"
#include "VenueDb.h"

namespace {

using Venue::Clock;

class EventUploaderTest : public VenueDbTest {
protected:
    Venue::UploadResult Upload(Venue::PgConnection& conn, Venue::MemorySyncStore& store, std::size_t batch = 200) {
        return Venue::EventUploader(batch).Upload(conn, store, Clock::now() + std::chrono::seconds(30));
    }
};

TEST_F(EventUploaderTest, ResentRowsAfterALostReplyStayOneRowEach) {
    auto a = Connect("a");
    Venue::MemorySyncStore first;
    Venue::MemorySyncStore again; // the same rows, as if the commit's reply never arrived
    const std::int64_t base = NowUs();
    for (int i = 0; i < 450; ++i) {
        const auto scan = TestScan("a", "door1", base + i);
        first.Add(scan);
        again.Add(scan);
    }
    const auto sent = Upload(*a, first, 64);
    ASSERT_FALSE(sent.failure) << sent.failure->message;
    EXPECT_EQ(sent.inserted, 450u);
    const auto resent = Upload(*a, again, 64);
    ASSERT_FALSE(resent.failure) << resent.failure->message;
    EXPECT_EQ(resent.uploaded, 450u);
    EXPECT_EQ(resent.inserted, 0u);
    EXPECT_EQ(again.WaitingCount(), 0);
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event"), 450);
    // Times arrive to the microsecond as the door stored them.
    EXPECT_EQ(Count("SELECT max(scanned_at) FROM kestrin.scan_event"), base + 449);
}

TEST_F(EventUploaderTest, UuidReplayedFromAnotherVenueKeepsBothRows) {
    auto a = Connect("a");
    auto b = Connect("b");
    Venue::MemorySyncStore doorA;
    Venue::MemorySyncStore doorB;
    auto scan = TestScan("a", "door1", NowUs());
    doorA.Add(scan);
    scan.venue = "b";
    scan.station = "side";
    doorB.Add(scan);
    ASSERT_FALSE(Upload(*a, doorA).failure);
    const auto replay = Upload(*b, doorB);
    ASSERT_FALSE(replay.failure);
    EXPECT_EQ(replay.inserted, 1u);
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event WHERE id = '" + scan.id + "'"), 2);
    EXPECT_EQ(Count("SELECT count(DISTINCT venue) FROM kestrin.scan_event"), 2);
}

TEST_F(EventUploaderTest, PoisonRowsAreQuarantinedAndTheRestDrainInOrder) {
    auto a = Connect("a");
    Venue::MemorySyncStore door;
    std::vector<std::string> good;
    std::vector<std::string> poison;
    const std::int64_t base = NowUs();
    for (int i = 0; i < 30; ++i) {
        auto scan = TestScan("a", "door1", base + i);
        if (i == 7) {
            scan.idHmac.pop_back(); // the server's check wants 32 bytes: 23514
            poison.push_back(scan.id);
        } else if (i == 13) {
            scan.scannedAt -= 3LL * 366 * 86400 * 1000000; // a clock three years off: no partition, 23514
            poison.push_back(scan.id);
        } else if (i == 19) {
            scan.venue = "b"; // row security refuses another venue: 42501
            poison.push_back(scan.id);
        } else {
            good.push_back(scan.id);
        }
        door.Add(scan);
        if (i % 10 == 5) {
            Venue::DoorCount in{TestUuid(), "a", "door1", base + i, +1};
            door.Add(in);
            good.push_back(in.id);
        }
        if (i == 25) {
            Venue::DoorCount twice{TestUuid(), "a", "door1", base + i, +2}; // 23514
            door.Add(twice);
            poison.push_back(twice.id);
        }
    }
    const auto result = Upload(*a, door, 8);
    ASSERT_FALSE(result.failure) << result.failure->message;
    EXPECT_EQ(result.quarantined, 4u);
    EXPECT_EQ(door.QuarantinedIds(), poison);
    EXPECT_EQ(door.WaitingCount(), 0);
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event") + Count("SELECT count(*) FROM kestrin.door_count"),
              static_cast<long long>(good.size()));
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.door_count WHERE delta = 1"), 3);
}

TEST_F(EventUploaderTest, EntriesMadeAtTheDoorGoUpOnceAndABadOneIsSetAside) {
    auto a = Connect("a");
    Venue::MemorySyncStore door;
    const auto ok = TestEntry(Venue::ListKind::Banned, Venue::Scope::Group, "a", '\x11');
    auto tooLong = TestEntry(Venue::ListKind::Banned, Venue::Scope::Group, "a", '\x22');
    tooLong.validUntil += 6LL * 365 * 86400 * 1000000;
    auto lifted = ok;
    lifted.liftedAt = 1;
    lifted.liftReason = "mistake"; // a station's role may not lift
    door.Add(ok);
    door.Add(tooLong);
    door.Add(ok); // a retry of the same entry changes nothing
    door.Add(lifted);
    const auto result = Upload(*a, door);
    ASSERT_FALSE(result.failure) << result.failure->message;
    EXPECT_EQ(result.uploaded, 2u);
    EXPECT_EQ(result.quarantined, 2u);
    EXPECT_EQ(door.QuarantinedIds(), (std::vector<std::string>{tooLong.id, ok.id}));
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.list_entry"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.list_entry WHERE lifted_at IS NULL AND created_by = '" + Role("a") +
                    "' AND station = 'door1'"),
              1);
    EXPECT_EQ(door.WaitingCount(), 0);
}

} // namespace
