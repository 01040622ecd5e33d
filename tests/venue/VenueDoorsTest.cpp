// Two doors of one venue (VenueDesk: embedded store, sync worker) on one throwaway server: each shows
// how many are inside over both doors, counts on while the server is down and adds up once, without
// counting a row twice, when it is back; and a card scanned at one door shows as a repeat at the other.
#include "VenueDeskDb.h"

#include "Card.h"

namespace {

using namespace std::chrono_literals;

class VenueDoorsTest : public VenueDeskDbTest {
protected:
    std::unique_ptr<Venue::VenueDesk> Door(const std::string& station, int repeatMinutes = 0) const {
        return Desk("a", station, {"", repeatMinutes});
    }
    static std::optional<std::int64_t> Inside(const Venue::VenueDesk& desk) {
        return desk.VenueInsideCount(Venue::NowMicros());
    }
    // Waits for both doors to show `count`; the time it took.
    static std::chrono::milliseconds BothShow(const Venue::VenueDesk& a, const Venue::VenueDesk& b, std::int64_t count,
                                              std::chrono::milliseconds timeout) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_TRUE(WaitFor([&] { return Inside(a) == count && Inside(b) == count; }, timeout))
            << "shown: " << Inside(a).value_or(-99) << " and " << Inside(b).value_or(-99) << ", not " << count;
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    }
    std::string m_folder;
};

TEST_F(VenueDoorsTest, EachDoorShowsTheVenuesInsideCountOverBothDoors) {
    auto front = Door("front");
    auto side = Door("side");
    ASSERT_TRUE(front->Trouble().empty()) << front->Trouble();
    BothShow(*front, *side, 0, 10s);

    const MagneticStripeCards::Card card(CardScan("stripe/non_expiring.txt"));
    front->RecordCard(card, Venue::Verdict::Ok);
    front->RecordCard(card, Venue::Verdict::Ok);
    side->RecordCard(card, Venue::Verdict::UnderAge); // refused: not in
    bool stored = false;
    side->RecordDoorCount(+1, stored);
    ASSERT_TRUE(stored);
    // Each door has its own rows at once; the other door's may already have come down by now.
    EXPECT_GE(Inside(*front).value_or(-1), 2);
    EXPECT_GE(Inside(*side).value_or(-1), 1);
    EXPECT_LE(Inside(*front).value_or(99), 3);
    EXPECT_LE(Inside(*side).value_or(99), 3);
    const auto took = BothShow(*front, *side, 3, 5s);
    std::printf("both doors showed the venue's count after %lld ms\n", static_cast<long long>(took.count()));

    side->RecordDoorCount(-1, stored);
    BothShow(*front, *side, 2, 5s);
}

TEST_F(VenueDoorsTest, OfflineEachDoorCountsOnAndOnceBackTheCountAddsUpWithNothingTwice) {
    std::atomic<int> told{0}; // before the doors: their workers call into it until they stop
    auto front = Door("front");
    auto side = Door("side");
    const MagneticStripeCards::Card card(CardScan("stripe/non_expiring.txt"));
    front->RecordCard(card, Venue::Verdict::Ok);
    BothShow(*front, *side, 1, 10s);

    front->OnVenueCount([&told] { ++told; });
    SharedCluster().StopImmediate();
    ASSERT_TRUE(WaitFor([&] { return !front->Sync()->connected && !side->Sync()->connected; }, 15s));
    // The count has not changed: the window hears of the link (to repaint its clock line) all the same.
    EXPECT_GT(told.load(), 0);
    front->RecordCard(card, Venue::Verdict::Ok);
    bool stored = false;
    side->RecordDoorCount(+1, stored);
    side->RecordDoorCount(+1, stored);
    EXPECT_EQ(Inside(*front), 2) << "the door counts on from the last reading";
    EXPECT_EQ(Inside(*side), 3);

    SharedCluster().Start();
    BothShow(*front, *side, 4, 15s);
    // Later readings (uploads marked, outbox empty) hold the same rows once.
    std::this_thread::sleep_for(2500ms);
    EXPECT_EQ(Inside(*front), 4);
    EXPECT_EQ(Inside(*side), 4);
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event"), 2);
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.door_count"), 2);
}

TEST_F(VenueDoorsTest, ACardScannedAtOneDoorShowsAsARepeatAtTheOther) {
    auto front = Door("front", 10);
    auto side = Door("side", 10);
    ASSERT_TRUE(WaitFor([&] { return front->Sync()->connected && side->Sync()->connected; }, 10s));
    const MagneticStripeCards::Card card(CardScan("stripe/non_expiring.txt"));
    const MagneticStripeCards::Card other(CardScan("stripe/thirteen_character_city.txt"));
    EXPECT_EQ(front->RecordCard(card, Venue::Verdict::Ok).RepeatLine(), "");
    side->RecordCard(other, Venue::Verdict::Expired);

    std::string error;
    const auto key = Venue::IdentityKey::Load(KeyFile(), error);
    ASSERT_TRUE(key) << error;
    const std::string identity = key->IdentityOf(card);
    ASSERT_TRUE(WaitFor([&] { return side->Repeats().Last(identity, 10, Venue::NowMicros()).has_value(); }, 5s));
    EXPECT_EQ(side->RecordCard(card, Venue::Verdict::Ok).RepeatLine(), "Scanned 0 min ago at front");
    // And the other way round.
    const std::string otherIdentity = key->IdentityOf(other);
    ASSERT_TRUE(WaitFor([&] { return front->Repeats().Last(otherIdentity, 10, Venue::NowMicros()).has_value(); }, 5s));
    EXPECT_EQ(front->RecordCard(other, Venue::Verdict::Expired).RepeatLine(), "Scanned 0 min ago at side");
}

} // namespace
