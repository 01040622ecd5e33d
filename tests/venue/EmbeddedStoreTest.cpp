#include "TempHive.h"

#include "EmbeddedStore.h"
#include "VenueError.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using namespace Venue;

constexpr Micros kDay = 86'400'000'000LL;
constexpr Micros kNow = 1'780'000'000'000'000LL; // June 2026

ScanEvent Event(const std::string& id, Micros at, const std::string& station = "door-1") {
    ScanEvent e;
    e.id = id;
    e.venue = "north";
    e.station = station;
    e.scannedAt = at;
    e.verdict = Verdict::Ok;
    e.age = 24;
    e.sexCode = "F";
    e.state = "TX";
    e.format = "aamva";
    e.warnings = "iin-jurisdiction";
    e.idHmac = std::string(32, '\x5a');
    return e;
}

ListEntry Entry(const std::string& id, const std::string& identity, ListKind list = ListKind::Banned) {
    ListEntry e;
    e.id = id;
    e.idHmac = identity;
    e.list = list;
    e.reason = Reason::Violence;
    e.note = "fight at the bar";
    e.createdAt = kNow;
    e.validUntil = kNow + 30 * kDay;
    e.venue = "north";
    e.createdBy = "door-1 staff";
    return e;
}

class EmbeddedStoreTest : public ::testing::Test {
protected:
    std::string Path() const { return hive.Dir() + "/venue.db"; }
    TempHive hive;
};

// Whatever was committed is there after the connection is gone, field for field; the file is the
// station group's, like the log files.
TEST_F(EmbeddedStoreTest, EventsAndEntriesSurviveReopening) {
    ScanEvent unknown = Event("00000000-0000-4000-8000-000000000002", kNow + 1);
    unknown.verdict = Verdict::Unknown;
    unknown.age.reset();
    unknown.idHmac.clear();
    {
        EmbeddedStore store(Path());
        store.RecordScan(Event("00000000-0000-4000-8000-000000000001", kNow));
        store.RecordScan(unknown);
        store.AddEntry(Entry("e1", std::string(32, 'a')));
    }
    EmbeddedStore reopened(Path());
    const auto scans = reopened.Scans("north", std::nullopt);
    ASSERT_EQ(scans.size(), 2u);
    EXPECT_EQ(scans[0], Event("00000000-0000-4000-8000-000000000001", kNow));
    EXPECT_EQ(scans[1], unknown);
    ASSERT_EQ(reopened.Entries().size(), 1u);
    EXPECT_EQ(reopened.Entries()[0], Entry("e1", std::string(32, 'a')));
    struct stat info {};
    ASSERT_EQ(::stat(Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0660u);
    EXPECT_EQ(EmbeddedStore::DefaultPath(), hive.Dir() + "/venue.db");
}

// The station holds two connections on the file (the door and the list watcher) while kestrin-venue comes
// and goes in other processes: every commit of the door stays visible to the next process. (The way this
// once broke, a descriptor closed beside SQLite's that dropped the door's locks so that kestrin-venue
// deleted the write-ahead log under it, showed only with the real station: venue_e2e.sh checks that.)
TEST_F(EmbeddedStoreTest, CommitsSurviveASecondConnectionAndAnotherProcessComingAndGoing) {
    EmbeddedStore door(Path());
    EmbeddedStore watcher(Path());
    (void)watcher.DataVersion();
    door.RecordScan(Event("before", kNow));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            EmbeddedStore admin(Path(), false);
            admin.AddEntry(Entry("from-admin", std::string(32, 'a')));
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    door.RecordScan(Event("after", kNow + 1));
    const pid_t reader = ::fork();
    ASSERT_GE(reader, 0);
    if (reader == 0) {
        try {
            EmbeddedStore admin(Path(), false);
            ::_exit(admin.Scans("north", std::nullopt).size() == 2 ? 0 : 2);
        } catch (...) {
            ::_exit(1);
        }
    }
    ASSERT_EQ(::waitpid(reader, &status, 0), reader);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "another process does not see both events";
    door.RecordScan(Event("last", kNow + 2));
    EXPECT_EQ(EmbeddedStore(Path()).Scans("north", std::nullopt).size(), 3u);
}

TEST_F(EmbeddedStoreTest, AnEventIdIsStoredOnce) {
    EmbeddedStore store(Path());
    store.RecordScan(Event("a", kNow));
    EXPECT_THROW(store.RecordScan(Event("a", kNow + 5)), VenueError);
    EXPECT_EQ(store.Scans("", std::nullopt).size(), 1u);
    EXPECT_EQ(store.WaitingCount(), 1);
}

// The upload worker's view: rows in the order they were made, all kinds interleaved, until marked.
TEST_F(EmbeddedStoreTest, OutboxKeepsOrderUntilMarkedAndSkipsQuarantined) {
    EmbeddedStore store(Path());
    store.RecordScan(Event("s1", kNow));
    store.RecordDoorCount({"c1", "north", "door-1", kNow + 1, +1});
    store.AddEntry(Entry("e1", std::string(32, 'a')));
    store.RecordScan(Event("s2", kNow + 2));
    ASSERT_TRUE(store.Lift("e1", "door-1 manager", "mistaken identity", kNow + 3));

    auto pending = store.Pending(10);
    ASSERT_EQ(pending.size(), 5u);
    EXPECT_EQ(std::get<ScanEvent>(pending[0].row).id, "s1");
    EXPECT_EQ(std::get<DoorCount>(pending[1].row), (DoorCount{"c1", "north", "door-1", kNow + 1, +1}));
    EXPECT_EQ(std::get<ListEntry>(pending[2].row).id, "e1");
    EXPECT_EQ(std::get<ScanEvent>(pending[3].row).id, "s2");
    EXPECT_TRUE(std::get<ListEntry>(pending[4].row).liftedAt.has_value());
    for (std::size_t i = 1; i < pending.size(); ++i)
        EXPECT_LT(pending[i - 1].seq, pending[i].seq);

    store.MarkUploaded({{pending[0].seq, kNow + 100}, {pending[1].seq, kNow + 101}});
    store.Quarantine(pending[2].seq, "23514 no partition");
    pending = store.Pending(10);
    ASSERT_EQ(pending.size(), 2u);
    EXPECT_EQ(std::get<ScanEvent>(pending[0].row).id, "s2");
    EXPECT_EQ(store.WaitingCount(), 2);
    EXPECT_EQ(store.Scans("north", std::nullopt)[0].receivedAt, kNow + 100);
    EXPECT_EQ(store.Pending(1).size(), 1u);

    // The same rows marked again change nothing; the status shows what is left and when it went.
    store.MarkUploaded({{pending[0].seq, kNow + 200}, {pending[0].seq, kNow + 300}});
    EXPECT_EQ(store.Scans("north", std::nullopt)[1].receivedAt, kNow + 200);
    const auto status = store.Status();
    ASSERT_EQ(status.size(), 1u);
    EXPECT_EQ(status[0].station, "door-1");
    EXPECT_EQ(status[0].waiting, 0);
    EXPECT_EQ(status[0].lastUpload, kNow + 200);
}

struct EntryCase {
    std::string name;
    ListEntry entry;
    bool matches;
};

std::vector<EntryCase> MatchCases() {
    const std::string person(32, 'p');
    std::vector<EntryCase> cases;
    cases.push_back({"holding", Entry("x", person), true});
    ListEntry expired = Entry("x", person);
    expired.createdAt = kNow - 40 * kDay;
    expired.validUntil = kNow;
    cases.push_back({"expired_at_this_moment", expired, false});
    ListEntry lifted = Entry("x", person);
    lifted.liftedAt = kNow - 1;
    lifted.liftedBy = "door-1 manager";
    cases.push_back({"lifted", lifted, false});
    ListEntry otherVenue = Entry("x", person);
    otherVenue.venue = "south";
    cases.push_back({"other_venue_scope_venue", otherVenue, false});
    otherVenue.scope = Scope::Group;
    cases.push_back({"other_venue_scope_group", otherVenue, true});
    cases.push_back({"other_person", Entry("x", std::string(32, 'q')), false});
    return cases;
}

class MatchTest : public ::testing::TestWithParam<EntryCase> {
protected:
    TempHive hive;
};

TEST_P(MatchTest, MatchesOnlyHoldingEntriesOfThisVenueOrGroup) {
    EmbeddedStore store(hive.Dir() + "/venue.db");
    store.Apply({GetParam().entry}, "w1");
    EXPECT_EQ(store.Matches(std::string(32, 'p'), "north", kNow).size(), GetParam().matches ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Lists, MatchTest, ::testing::ValuesIn(MatchCases()),
                         [](const auto& row) { return row.param.name; });

TEST_F(EmbeddedStoreTest, NewEntriesMustEndWithinFiveYears) {
    EmbeddedStore store(Path());
    ListEntry past = Entry("past", std::string(32, 'a'));
    past.validUntil = past.createdAt;
    EXPECT_THROW(store.AddEntry(past), VenueError);
    ListEntry far = Entry("far", std::string(32, 'a'));
    far.validUntil = far.createdAt + (5 * 365 + 3) * kDay;
    EXPECT_THROW(store.AddEntry(far), VenueError);
    ListEntry fiveYears = Entry("five", std::string(32, 'a'));
    fiveYears.validUntil = fiveYears.createdAt + (5 * 365 + 1) * kDay;
    EXPECT_NO_THROW(store.AddEntry(fiveYears));
    ListEntry noIdentity = Entry("none", "");
    EXPECT_THROW(store.AddEntry(noIdentity), VenueError);
    EXPECT_EQ(store.Entries().size(), 1u);
}

TEST_F(EmbeddedStoreTest, LiftingTwiceOrAnUnknownEntryFindsNothing) {
    EmbeddedStore store(Path());
    store.AddEntry(Entry("e1", std::string(32, 'a')));
    EXPECT_TRUE(store.Lift("e1", "m", "appeal granted", kNow + 1));
    EXPECT_FALSE(store.Lift("e1", "m", "again", kNow + 2));
    EXPECT_FALSE(store.Lift("nope", "m", "x", kNow + 2));
    EXPECT_EQ(store.Entries()[0].liftReason, "appeal granted");
    EXPECT_TRUE(store.Matches(std::string(32, 'a'), "north", kNow + 5).empty());
}

// A catch-up that reads an entry again, or reads it from before its lift, never brings it back.
TEST_F(EmbeddedStoreTest, SyncAppliesIdempotentlyAndNeverUndoesALift) {
    EmbeddedStore store(Path());
    const ListEntry fromServer = Entry("e1", std::string(32, 'a'));
    store.Apply({fromServer}, "snap-1");
    store.Apply({fromServer}, "snap-2");
    ASSERT_EQ(store.AllEntries().size(), 1u);
    EXPECT_EQ(store.Watermark(), "snap-2");
    ASSERT_TRUE(store.Lift("e1", "door-1 manager", "appeal", kNow + 1));
    store.Apply({fromServer}, "snap-3");
    EXPECT_EQ(store.AllEntries()[0].liftReason, "appeal");
    EXPECT_TRUE(store.Matches(std::string(32, 'a'), "north", kNow + 2).empty());
}

TEST_F(EmbeddedStoreTest, FullReloadKeepsEntriesStillWaitingForUpload) {
    EmbeddedStore store(Path());
    store.Apply({Entry("old", std::string(32, 'o'))}, "snap-1");
    store.AddEntry(Entry("local", std::string(32, 'l')));
    store.ReplaceAll({Entry("server", std::string(32, 's'))}, "sum-9");
    std::vector<std::string> ids;
    for (const auto& e : store.AllEntries())
        ids.push_back(e.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"local", "server"}));
    EXPECT_EQ(store.Watermark(), "sum-9");
}

TEST_F(EmbeddedStoreTest, AnotherConnectionsCommitMovesTheDataVersion) {
    EmbeddedStore watcher(Path());
    const auto before = watcher.DataVersion();
    EmbeddedStore admin(Path());
    admin.AddEntry(Entry("e1", std::string(32, 'a')));
    EXPECT_NE(watcher.DataVersion(), before);
    EXPECT_EQ(watcher.Matches(std::string(32, 'a'), "north", kNow).size(), 1u);
}

TEST_F(EmbeddedStoreTest, ADoorWithoutAServerKeepsNoOutbox) {
    EmbeddedStore store(Path(), false);
    store.RecordScan(Event("s1", kNow));
    store.AddEntry(Entry("e1", std::string(32, 'a')));
    EXPECT_EQ(store.WaitingCount(), 0);
    EXPECT_TRUE(store.Pending(10).empty());
    EXPECT_EQ(store.Status()[0].waiting, 0);
    EXPECT_EQ(store.Scans("north", std::nullopt).size(), 1u);
}

TEST_F(EmbeddedStoreTest, KeepDaysTakesTheIdentityOutOfOlderEventsOnly) {
    EmbeddedStore store(Path());
    store.RecordScan(Event("old", kNow - 8 * kDay));
    store.RecordScan(Event("new", kNow - kDay));
    EXPECT_EQ(store.ForgetIdentitiesBefore(kNow - 7 * kDay), 1);
    const auto scans = store.Scans("north", std::nullopt);
    ASSERT_EQ(scans.size(), 2u);
    EXPECT_TRUE(scans[0].idHmac.empty());
    EXPECT_EQ(scans[0].verdict, Verdict::Ok);
    EXPECT_EQ(scans[1].idHmac, std::string(32, '\x5a'));
    EXPECT_EQ(store.ForgetIdentitiesBefore(kNow - 7 * kDay), 0);
}

TEST_F(EmbeddedStoreTest, ReportsSelectWithPlaceholders) {
    EmbeddedStore store(Path());
    store.RecordScan(Event("s1", kNow));
    store.RecordScan(Event("s2", kNow + kDay));
    const auto rows = store.Select("SELECT id, age, received_at FROM scan_event WHERE venue = ? AND scanned_at >= ?"
                                   " AND scanned_at < ?",
                                   {std::string("north"), kNow, kNow + 1});
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(std::get<std::string>(rows[0][0]), "s1");
    EXPECT_EQ(std::get<std::int64_t>(rows[0][1]), 24);
    EXPECT_TRUE(std::holds_alternative<std::nullptr_t>(rows[0][2]));
    EXPECT_THROW(store.Select("SELECT nope FROM nowhere", {}), VenueError);
}

TEST_F(EmbeddedStoreTest, AFileThatIsNoDatabaseIsRefusedAndKept) {
    { std::ofstream(Path(), std::ios::binary) << std::string(4096, 'x'); }
    ::chmod(Path().c_str(), 0660);
    EXPECT_THROW(EmbeddedStore store(Path()), VenueError);
    std::ifstream in(Path(), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string(4096, 'x'));
}

} // namespace
