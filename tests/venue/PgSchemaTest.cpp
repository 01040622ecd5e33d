// The schema and its least-privilege roles, exercised as the application's own login roles (never as
// the superuser, which skips every policy).

#include "VenueDb.h"

namespace {

constexpr const char* kAddEntry =
    "SELECT kestrin.add_entry($1::uuid, $2, decode(repeat('ab', 32), 'hex'), 1, 'violence', '', "
    "kestrin.now_us() + $3::bigint, $4, 'door1')";
constexpr const char* kMonthUs = "2592000000000";
constexpr const char* kInsertScan = "INSERT INTO kestrin.scan_event (id, venue, station, scanned_at, verdict) "
                                    "VALUES ($1::uuid, $2, 'door1', kestrin.now_us(), 'ok')";

class PgSchemaTest : public VenueDbTest {};

TEST_F(PgSchemaTest, InitTwiceKeepsRowsAndForcesRowSecurity) {
    auto admin = Admin();
    Exec(*admin, kInsertScan, {TestUuid(), "a"});
    Venue::PgFailure failure;
    ASSERT_TRUE(Venue::PgSchema::Init(*admin, true, &failure)) << failure.message;
    ASSERT_TRUE(Venue::PgSchema::Init(*admin, false, &failure)) << failure.message;
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event"), 1);
    EXPECT_EQ(
        Count("SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
              "WHERE n.nspname = 'kestrin' AND c.relkind = 'r' AND NOT (c.relrowsecurity AND c.relforcerowsecurity)"),
        0);
    EXPECT_EQ(Count("SELECT count(*) FROM pg_tables WHERE schemaname = 'kestrin' AND tableowner <> 'kestrin_owner'"),
              0);
    // The scan record by month, from two years back to three months ahead, and never a second set.
    EXPECT_EQ(Count("SELECT count(*) FROM pg_inherits WHERE inhparent = 'kestrin.scan_event'::regclass"), 28);
}

TEST_F(PgSchemaTest, StationRoleIsNoSuperuserAndKeepsToItsVenue) {
    auto a = Connect("a");
    auto b = Connect("b");
    ASSERT_EQ(Exec(*a, "SELECT current_setting('is_superuser')").Text(0, 0), "off");
    ASSERT_EQ(Exec(*a, "SELECT rolbypassrls::text FROM pg_roles WHERE rolname = current_user").Text(0, 0), "false");

    const std::string id = TestUuid();
    EXPECT_EQ(FailureOf(*a, kInsertScan, {id, "a"}), "");
    // A forged venue is refused by row security.
    EXPECT_EQ(FailureOf(*a, kInsertScan, {TestUuid(), "b"}), "42501");
    // Another venue's events are invisible, and a station can neither change nor delete events.
    EXPECT_EQ(Exec(*b, "SELECT count(*) FROM kestrin.scan_event").Integer(0, 0), 0);
    EXPECT_EQ(Exec(*a, "SELECT count(*) FROM kestrin.scan_event").Integer(0, 0), 1);
    EXPECT_EQ(FailureOf(*a, "UPDATE kestrin.scan_event SET verdict = 'banned'"), "42501");
    EXPECT_EQ(FailureOf(*a, "DELETE FROM kestrin.scan_event"), "42501");
    // The server's clock and the real login are recorded, whatever the station sends.
    EXPECT_EQ(Exec(*a, "SELECT uploaded_by FROM kestrin.scan_event").Text(0, 0), Role("a"));
    EXPECT_FALSE(Exec(*a, "SELECT received_at FROM kestrin.scan_event").IsNull(0, 0));
}

TEST_F(PgSchemaTest, ListEntriesGoThroughFunctionsAndReachTheirScope) {
    auto a = Connect("a");
    auto b = Connect("b");
    auto c = Connect("c");
    const std::string groupWide = TestUuid();
    const std::string venueOnly = TestUuid();
    ASSERT_EQ(FailureOf(*a, kAddEntry, {groupWide, "banned", kMonthUs, "group"}), "");
    ASSERT_EQ(FailureOf(*a, kAddEntry, {venueOnly, "flagged", kMonthUs, "venue"}), "");
    EXPECT_EQ(Exec(*a, "SELECT created_by || ' ' || venue || ' ' || grp FROM kestrin.list_entry WHERE id = $1::uuid",
                   {groupWide})
                  .Text(0, 0),
              Role("a") + " a g1");
    // A station naming another venue (of another group) still adds for its own.
    const std::string forged = TestUuid();
    ASSERT_EQ(FailureOf(*a, std::string(kAddEntry).replace(std::string(kAddEntry).rfind(')'), 1, ", NULL, NULL, 'c')"),
                        {forged, "vip", kMonthUs, "venue"}),
              "");
    EXPECT_EQ(
        Count("SELECT count(*) FROM kestrin.list_entry WHERE id = '" + forged + "' AND venue = 'a' AND grp = 'g1'"), 1);
    EXPECT_EQ(Exec(*a, "SELECT count(*) FROM kestrin.list_entry").Integer(0, 0), 3);
    EXPECT_EQ(Exec(*b, "SELECT id::text FROM kestrin.list_entry").Text(0, 0), groupWide); // same group, group scope

    EXPECT_EQ(Exec(*b, "SELECT count(*) FROM kestrin.list_entry").Integer(0, 0), 1);
    EXPECT_EQ(Exec(*c, "SELECT count(*) FROM kestrin.list_entry").Integer(0, 0), 0); // another group

    // Writing the table directly, or lifting, is not a station's right.
    EXPECT_EQ(FailureOf(*a, "UPDATE kestrin.list_entry SET lifted_at = 1"), "42501");
    EXPECT_EQ(FailureOf(*a, "DELETE FROM kestrin.list_entry"), "42501");
    EXPECT_EQ(FailureOf(*a,
                        "INSERT INTO kestrin.list_entry (id, grp, venue, scope, list, id_hmac, reason, valid_until, "
                        "created_by, created_at) VALUES ($1::uuid, 'g1', 'a', 'group', 'banned', "
                        "decode(repeat('ab', 32), 'hex'), 'other', 2, 'x', 1)",
                        {TestUuid()}),
              "42501");
    EXPECT_EQ(FailureOf(*a, "SELECT kestrin.lift_entry($1::uuid, 'mistake')", {groupWide}), "42501");
}

TEST_F(PgSchemaTest, ExpiryIsMandatoryAndAtMostFiveYearsOn) {
    auto a = Connect("a");
    const std::string sixYears = std::to_string(6LL * 365 * 86400 * 1000000);
    EXPECT_EQ(FailureOf(*a, kAddEntry, {TestUuid(), "banned", sixYears, "venue"}), "23514");
    EXPECT_EQ(FailureOf(*a, kAddEntry, {TestUuid(), "banned", std::nullopt, "venue"}), "23502");
    EXPECT_EQ(FailureOf(*a, kAddEntry, {TestUuid(), "banned", "-1", "venue"}), "23514");
    EXPECT_EQ(FailureOf(*a, kAddEntry, {TestUuid(), "banned", std::to_string(4LL * 365 * 86400 * 1000000), "venue"}),
              "");
}

TEST_F(PgSchemaTest, ManagerReadsEveryVenueChangesEventsAndLifts) {
    auto a = Connect("a");
    auto c = Connect("c");
    const std::string entry = TestUuid();
    ASSERT_EQ(FailureOf(*a, kAddEntry, {entry, "banned", kMonthUs, "venue"}), "");
    ASSERT_EQ(FailureOf(*a, kInsertScan, {TestUuid(), "a"}), "");
    ASSERT_EQ(FailureOf(*c, kInsertScan, {TestUuid(), "c"}), "");
    Venue::PgFailure failure;
    auto manager = Venue::PgConnection::Connect(SharedCluster().ConnInfo(Role("manager"), m_db),
                                                Venue::Clock::now() + std::chrono::seconds(10), &failure);
    ASSERT_TRUE(manager) << failure.message;
    ASSERT_EQ(Exec(*manager, "SELECT current_setting('is_superuser')").Text(0, 0), "off");
    EXPECT_EQ(Exec(*manager, "SELECT count(*) FROM kestrin.scan_event").Integer(0, 0), 2);
    EXPECT_EQ(Exec(*manager, "SELECT kestrin.lift_entry($1::uuid, 'appeal granted')::text", {entry}).Text(0, 0),
              "true");
    EXPECT_EQ(Exec(*a, "SELECT lifted_by || ' ' || lift_reason FROM kestrin.list_entry").Text(0, 0),
              Role("manager") + " appeal granted");
    EXPECT_EQ(FailureOf(*manager, "DELETE FROM kestrin.scan_event WHERE venue = 'c'"), "");
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.scan_event"), 1);
}

} // namespace
