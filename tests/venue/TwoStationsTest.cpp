// Two doors of one group, each with the station's own venue code (VenueDesk: its embedded store, the
// list watcher and the sync worker) on one throwaway server: a ban made at one door shows BANNED at the
// other, and both doors' events reach the server once.
#include "VenueDeskDb.h"

#include "Card.h"

#include <QDate>

#include <cstdlib>

namespace {

using namespace std::chrono_literals;

using TwoStationsTest = VenueDeskDbTest;

TEST_F(TwoStationsTest, ABanAtOneDoorShowsBannedAtTheOther) {
    auto front = Desk("a", "front");
    auto side = Desk("b", "side");
    ASSERT_TRUE(front->Trouble().empty()) << front->Trouble();
    ASSERT_TRUE(WaitFor([&] { return front->Sync()->connected && side->Sync()->connected; }, 10s));
    // Both doors share this machine's clock with the server: each has measured the offset at its connect,
    // and it is well inside the limit the door warns at.
    for (const auto* door : {front.get(), side.get()}) {
        const std::optional<std::int64_t> offset = door->ClockOffset();
        ASSERT_TRUE(offset);
        EXPECT_LT(std::llabs(*offset), 1'000'000);
    }

    const MagneticStripeCards::Card card(CardScan("stripe/non_expiring.txt"));
    EXPECT_EQ(front->RecordCard(card, Venue::Verdict::Ok).event.verdict, Venue::Verdict::Ok);
    Venue::EntryRequest ban;
    ban.reason = Venue::Reason::Violence;
    ban.scope = Venue::Scope::Group;
    ban.until = QDate::currentDate().addMonths(6).toString(Qt::ISODate).toStdString();
    std::string error;
    ASSERT_TRUE(front->AddForLastCard(ban, error)) << error;

    // The other door's watcher finds what its sync brought into its store.
    ASSERT_TRUE(WaitFor(
        [&] {
            for (const auto& entry : side->Entries())
                if (entry.list == Venue::ListKind::Banned)
                    return true;
            return false;
        },
        5s));
    const Venue::DoorOutcome& outcome = side->RecordCard(card, Venue::Verdict::Ok);
    ASSERT_TRUE(outcome.banned);
    EXPECT_EQ(outcome.banned->reason, Venue::Reason::Violence);
    EXPECT_EQ(outcome.event.verdict, Venue::Verdict::Banned);

    EXPECT_TRUE(WaitFor([&] { return Count("SELECT count(*) FROM kestrin.scan_event") == 2; }, 10s));
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event WHERE verdict = 'banned'"), 1);
}

} // namespace
