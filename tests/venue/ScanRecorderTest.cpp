#include "TempHive.h"
#include "VenueTestFiles.h"

#include "Card.h"
#include "Clock.h"
#include "EmbeddedStore.h"
#include "ListWatcher.h"
#include "ScanRecorder.h"
#include "VenueDesk.h"
#include "VenueTime.h"

#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace Venue;

constexpr Micros kMinute = 60'000'000;
constexpr Micros kDay = 1440 * kMinute;
constexpr Micros kStart = 1'780'000'000'000'000LL;

ListEntry Entry(const std::string& id, const std::string& identity, ListKind list, Reason reason = Reason::Theft) {
    ListEntry e;
    e.id = id;
    e.idHmac = identity;
    e.list = list;
    e.reason = reason;
    e.createdAt = kStart;
    e.validUntil = kStart + 10 * kDay;
    e.venue = "north";
    e.createdBy = "door-2 staff";
    return e;
}

class ScanRecorderTest : public ::testing::Test {
protected:
    ScanRecorderTest()
        : store(hive.Dir() + "/venue.db"), recorder(Config(), &store, lists, repeats, [this] { return now; }) {}

    static VenueConfig Config() {
        VenueConfig config;
        config.venue = "north";
        config.station = "door-1";
        config.repeatMinutes = 10;
        return config;
    }
    DoorFacts Facts(Verdict verdict, const std::string& who = "person-a") const {
        DoorFacts facts;
        facts.verdict = verdict;
        facts.age = verdict == Verdict::UnderAge ? 19 : 30;
        facts.identity = Identity(who);
        return facts;
    }
    static std::string Identity(const std::string& who) { return TestKey().Identity("636015", who); }

    TempHive hive;
    EmbeddedStore store;
    ListCache lists;
    RepeatWindow repeats;
    Micros now = kStart + kMinute;
    ScanRecorder recorder;
    const PrivacyProfile full{PrivacyProfile::Kind::Full, true};
};

struct VerdictCase {
    std::string name;
    Verdict cardVerdict;
    std::vector<ListKind> lists;
    Verdict eventVerdict;
    bool bannedShown;
    bool flaggedShown;
    bool vipShown;
};

class VerdictTest : public ScanRecorderTest, public ::testing::WithParamInterface<VerdictCase> {};

// Banned overrides every verdict, a minor's too; flagged and VIP name an admitted card only, but their
// line and mark are shown whatever the verdict.
TEST_P(VerdictTest, ListsShapeTheVerdict) {
    const VerdictCase& c = GetParam();
    int n = 0;
    for (const ListKind list : c.lists)
        lists.Put(Entry("e" + std::to_string(++n), Identity("person-a"), list));
    const DoorOutcome outcome = recorder.Record(Facts(c.cardVerdict), full);
    EXPECT_EQ(outcome.event.verdict, c.eventVerdict);
    EXPECT_EQ(outcome.banned.has_value(), c.bannedShown);
    EXPECT_EQ(outcome.flagged.has_value(), c.flaggedShown);
    EXPECT_EQ(outcome.vip, c.vipShown);
    EXPECT_EQ(std::count(outcome.event.listHits.begin(), outcome.event.listHits.end(), ',') + 1 -
                  (outcome.event.listHits.empty() ? 1 : 0),
              static_cast<long>(c.lists.size()));
    ASSERT_TRUE(outcome.stored) << outcome.storeError;
    EXPECT_EQ(store.Scans("north", std::nullopt).back(), outcome.event);
}

INSTANTIATE_TEST_SUITE_P(
    Door, VerdictTest,
    ::testing::Values(
        VerdictCase{"no_entry", Verdict::Ok, {}, Verdict::Ok, false, false, false},
        VerdictCase{"banned_adult", Verdict::Ok, {ListKind::Banned}, Verdict::Banned, true, false, false},
        VerdictCase{"banned_minor", Verdict::UnderAge, {ListKind::Banned}, Verdict::Banned, true, false, false},
        VerdictCase{"flagged_adult", Verdict::Ok, {ListKind::Flagged}, Verdict::Flagged, false, true, false},
        VerdictCase{"flagged_expired", Verdict::Expired, {ListKind::Flagged}, Verdict::Expired, false, true, false},
        VerdictCase{"vip_adult", Verdict::Ok, {ListKind::Vip}, Verdict::Vip, false, false, true},
        VerdictCase{
            "vip_and_banned", Verdict::Ok, {ListKind::Vip, ListKind::Banned}, Verdict::Banned, true, false, true},
        VerdictCase{
            "flagged_and_vip", Verdict::Ok, {ListKind::Vip, ListKind::Flagged}, Verdict::Flagged, false, true, true}),
    [](const auto& row) { return row.param.name; });

TEST_F(ScanRecorderTest, ExpiredAndLiftedEntriesNoLongerHold) {
    ListEntry ban = Entry("ban", Identity("person-a"), ListKind::Banned);
    lists.Put(ban);
    now = ban.validUntil - 1;
    EXPECT_TRUE(recorder.Record(Facts(Verdict::Ok), full).banned);
    now = ban.validUntil;
    EXPECT_FALSE(recorder.Record(Facts(Verdict::Ok), full).banned);
    now = kStart + kDay;
    ban.liftedAt = now - 1;
    lists.Put(ban);
    EXPECT_EQ(recorder.Record(Facts(Verdict::Ok), full).event.verdict, Verdict::Ok);
}

TEST_F(ScanRecorderTest, RepeatScansWithinTheWindowSayWhenAndWhere) {
    EXPECT_TRUE(recorder.Record(Facts(Verdict::Ok), full).RepeatLine().empty());
    now += 3 * kMinute + 20'000'000;
    EXPECT_EQ(recorder.Record(Facts(Verdict::Ok), full).RepeatLine(), "Scanned 3 min ago at door-1");
    repeats.Note(Identity("person-a"), now + kMinute, "side-door", 10);
    now += 2 * kMinute;
    EXPECT_EQ(recorder.Record(Facts(Verdict::Ok), full).RepeatLine(), "Scanned 1 min ago at side-door");
    EXPECT_TRUE(recorder.Record(Facts(Verdict::Ok, "person-b"), full).RepeatLine().empty());
    now += 11 * kMinute;
    EXPECT_TRUE(recorder.Record(Facts(Verdict::Ok), full).RepeatLine().empty());
}

TEST_F(ScanRecorderTest, NoRetentionKeepsNoIdentityButStillMatches) {
    lists.Put(Entry("ban", Identity("person-a"), ListKind::Banned));
    const DoorOutcome outcome = recorder.Record(Facts(Verdict::Ok), {PrivacyProfile::Kind::NoRetention, true});
    EXPECT_TRUE(outcome.banned);
    EXPECT_TRUE(outcome.event.idHmac.empty());
    const auto rows = store.Select("SELECT count(*) FROM scan_event WHERE id_hmac IS NOT NULL", {});
    EXPECT_EQ(std::get<std::int64_t>(rows[0][0]), 0);
}

// A store that cannot take the event costs the door nothing but the record.
TEST_F(ScanRecorderTest, WithoutAStoreTheVerdictStillComes) {
    lists.Put(Entry("ban", Identity("person-a"), ListKind::Banned));
    ScanRecorder storeless(Config(), nullptr, lists, repeats, [this] { return now; });
    const DoorOutcome outcome = storeless.Record(Facts(Verdict::Ok), full);
    EXPECT_EQ(outcome.event.verdict, Verdict::Banned);
    EXPECT_FALSE(outcome.stored);
    EXPECT_FALSE(outcome.storeError.empty());
}

TEST_F(ScanRecorderTest, EventsCarryTheCardsNonPersonalFacts) {
    const MagneticStripeCards::FixedClock clock(2026, 3, 10, 14, 5, 33);
    const MagneticStripeCards::Card card(CardScan("aamva/expired_yesterday.txt"), clock);
    const IdentityKey key = TestKey();
    const DoorFacts facts = DoorFacts::OfCard(card, Verdict::Expired, &key);
    EXPECT_EQ(facts.age, 26);
    EXPECT_EQ(facts.state, "CA");
    EXPECT_EQ(facts.format, "aamva");
    EXPECT_EQ(facts.sexCode, card.SexCode());
    EXPECT_EQ(facts.identity, key.IdentityOf(card));
    EXPECT_TRUE(DoorFacts::OfCard(card, Verdict::Expired, nullptr).identity.empty());
    EXPECT_EQ(DoorFacts::OfUnknown().format, "unknown");
}

// A phone's licence: its verdict as judged, format "mdl", the verified jurisdiction, and neither an age
// (it proves "over NN", no number) nor an identity (the station never asks for its number), whatever the profile.
TEST_F(ScanRecorderTest, MobileLicencesAreEventsOfFormatMdl) {
    struct Case {
        bool verified;
        bool ofAge;
        Verdict verdict;
        std::string state;
    };
    for (const Case& c : {Case{true, true, Verdict::Ok, "UT"}, Case{true, false, Verdict::UnderAge, "UT"},
                          Case{false, true, Verdict::Unknown, ""}, Case{false, false, Verdict::Unknown, ""}}) {
        SCOPED_TRACE(std::string(CodeOf(c.verdict)));
        now += kMinute;
        const DoorOutcome outcome = recorder.Record(DoorFacts::OfMobile(c.verified, c.ofAge, "UT"), full);
        ASSERT_TRUE(outcome.stored) << outcome.storeError;
        const ScanEvent stored = store.Scans("north", std::nullopt).back();
        EXPECT_EQ(stored, outcome.event);
        EXPECT_EQ(stored.format, "mdl");
        EXPECT_EQ(stored.verdict, c.verdict);
        EXPECT_EQ(stored.state, c.state);
        EXPECT_FALSE(stored.age);
        EXPECT_TRUE(stored.idHmac.empty());
        EXPECT_TRUE(stored.sexCode.empty());
        EXPECT_TRUE(outcome.RepeatLine().empty());
    }
    const auto rows = store.Select("SELECT count(*) FROM scan_event WHERE format = 'mdl' AND age IS NULL AND "
                                   "id_hmac IS NULL",
                                   {});
    EXPECT_EQ(std::get<std::int64_t>(rows[0][0]), 4);
}

// kestrin-venue writes to the file on its own connection; the door's copy follows by itself.
TEST_F(ScanRecorderTest, TheWatcherBringsEntriesAddedElsewhere) {
    ListWatcher watcher(hive.Dir() + "/venue.db", lists);
    {
        EmbeddedStore admin(hive.Dir() + "/venue.db");
        admin.AddEntry(Entry("from-admin", Identity("person-c"), ListKind::Banned));
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (lists.Matches(Identity("person-c"), "north", now).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(recorder.Record(Facts(Verdict::Ok, "person-c"), full).event.verdict, Verdict::Banned);
}

// "Keep Days" reaches the events of a running door without the station's thread touching the file.
TEST_F(ScanRecorderTest, TheWatcherForgetsIdentitiesPastKeepDays) {
    ScanEvent old;
    old.id = "old";
    old.venue = "north";
    old.station = "door-1";
    old.scannedAt = NowMicros() - 3 * kDay;
    old.verdict = Verdict::Ok;
    old.idHmac = Identity("person-d");
    store.RecordScan(old);
    ListWatcher watcher(hive.Dir() + "/venue.db", lists, {}, 2);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!store.Scans("north", std::nullopt).front().idHmac.empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(store.Scans("north", std::nullopt).front().idHmac.empty());
}

} // namespace

namespace {

// The station's venue as the window uses it: an entry made from the last card holds at once, and the
// event of that card is in the store; without a key nothing can be put on a list, but verdicts go on.
TEST(VenueDeskTest, LastCardGoesOnAListAndHoldsAtOnce) {
    const TempHive hive;
    std::string error;
    VenueConfig config;
    config.venue = "north";
    config.station = "door-1";
    config.keyFile = hive.Dir() + "/venue.key";
    ASSERT_TRUE(IdentityKey::Create(config.keyFile, error)) << error;
    Micros now = kStart;
    VenueDesk desk(config, hive.Dir() + "/venue.db", [&now] { return now; });
    EXPECT_TRUE(desk.Trouble().empty()) << desk.Trouble();
    EXPECT_FALSE(desk.HasLastCard());
    EXPECT_FALSE(desk.AddForLastCard({}, error));

    const MagneticStripeCards::FixedClock clock(2026, 3, 10, 14, 5, 33);
    const MagneticStripeCards::Card card(CardScan("aamva/expired_yesterday.txt"), clock);
    EXPECT_EQ(desk.RecordCard(card, Verdict::Expired).event.verdict, Verdict::Expired);
    ASSERT_TRUE(desk.HasLastCard());
    EntryRequest request;
    request.list = ListKind::Banned;
    request.reason = Reason::FakeId;
    request.until = "2026-07-01";
    const auto id = desk.AddForLastCard(request, error);
    ASSERT_TRUE(id) << error;
    now += kMinute;
    const DoorOutcome& again = desk.RecordCard(card, Verdict::Ok);
    ASSERT_TRUE(again.banned);
    EXPECT_EQ(again.banned->id, *id);
    EXPECT_EQ(again.event.verdict, Verdict::Banned);
    EXPECT_TRUE(again.stored);

    ASSERT_TRUE(desk.Lift(*id, "mistaken", error)) << error;
    EXPECT_FALSE(desk.Lift(*id, "again", error));
    EXPECT_FALSE(desk.RecordCard(card, Verdict::Ok).banned);
    EXPECT_FALSE(desk.RecordUnknown().banned);
    EXPECT_FALSE(desk.HasLastCard());
}

// After a phone, "Ban Last Card..." has no card: the one scanned before must not be put on a list as if
// it were the phone's holder.
TEST(VenueDeskTest, APhoneLeavesNoLastCardForTheLists) {
    const TempHive hive;
    std::string error;
    VenueConfig config;
    config.venue = "north";
    config.station = "door-1";
    config.keyFile = hive.Dir() + "/venue.key";
    ASSERT_TRUE(IdentityKey::Create(config.keyFile, error)) << error;
    VenueDesk desk(config, hive.Dir() + "/venue.db", [] { return kStart; });
    const MagneticStripeCards::FixedClock clock(2026, 3, 10, 14, 5, 33);
    desk.RecordCard(MagneticStripeCards::Card(CardScan("aamva/expired_yesterday.txt"), clock), Verdict::Expired);
    ASSERT_TRUE(desk.HasLastCard());
    const DoorOutcome& outcome = desk.RecordMobile(true, false, "UT");
    EXPECT_TRUE(outcome.stored) << outcome.storeError;
    EXPECT_EQ(outcome.event.verdict, Verdict::UnderAge);
    EXPECT_EQ(outcome.event.station, "door-1");
    EXPECT_FALSE(desk.HasLastCard());
    EXPECT_FALSE(desk.AddForLastCard({ListKind::Banned, Reason::Other, "2026-07-01", "", Scope::Venue}, error));
    ASSERT_TRUE(desk.LastOutcome());
    EXPECT_EQ(desk.LastOutcome()->event.format, "mdl");
}

TEST(VenueDeskTest, WithoutAKeyTheDoorStillRecords) {
    const TempHive hive;
    VenueConfig config;
    config.venue = "north";
    config.station = "door-1";
    config.keyFile = hive.Dir() + "/missing.key";
    VenueDesk desk(config, hive.Dir() + "/venue.db", [] { return kStart; });
    EXPECT_NE(desk.Trouble().find("missing.key"), std::string::npos);
    const MagneticStripeCards::FixedClock clock(2026, 3, 10, 14, 5, 33);
    const MagneticStripeCards::Card card(CardScan("aamva/expired_yesterday.txt"), clock);
    EXPECT_TRUE(desk.RecordCard(card, Verdict::Expired).stored);
    std::string error;
    EXPECT_FALSE(desk.AddForLastCard({}, error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(desk.MissesLists()) << "a door that never had lists is not nagged";
}

TEST(VenueDeskTest, ADoorWithoutAKeyButWithListsSaysItMissesThem) {
    const TempHive hive;
    {
        EmbeddedStore admin(hive.Dir() + "/venue.db");
        admin.AddEntry(Entry("e1", std::string(32, 'e'), ListKind::Banned));
    }
    VenueConfig config;
    config.venue = "north";
    config.keyFile = hive.Dir() + "/missing.key";
    EXPECT_TRUE(VenueDesk(config, hive.Dir() + "/venue.db", [] { return kStart; }).MissesLists());
    std::string error;
    config.keyFile = hive.Dir() + "/venue.key";
    ASSERT_TRUE(IdentityKey::Create(config.keyFile, error)) << error;
    EXPECT_FALSE(VenueDesk(config, hive.Dir() + "/venue.db", [] { return kStart; }).MissesLists());
}

} // namespace
