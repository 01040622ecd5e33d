// kestrin-venue with --db against the test server: init --roles twice, a ban by the administrator read
// back by a door's role, scans as JSON lines from the server, lift by a manager and refused to a door,
// and status from what the doors reported. The hive's "Venue Database" takes the same path.

#include "TempHive.h"

#include "AdminCommands.h"
#include "AdminOptions.h"
#include "StoreOpener.h"
#include "VenueDb.h"
#include "VenueTime.h"

#include <nlohmann/json.hpp>
#include <sstream>

namespace {

using namespace VenueAdmin;

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

class PgAdminTest : public VenueDbTest {
protected:
    void SetUp() override {
        VenueDbTest::SetUp();
        if (IsSkipped())
            return;
        hive.Write({{"Venue", std::string("a")}, {"Station Name", std::string("office")}});
    }
    CommandRun Command(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        int status = kExitError;
        try {
            const AdminOptions options = ParseAdminOptions(args);
            const Venue::VenueConfig config = Venue::VenueConfig::FromSettings();
            const std::string database = ChosenDatabase(options, config);
            AdminContext context{[database] { return OpenStore(database); },
                                 config,
                                 {PrivacyProfile::Kind::Full, true},
                                 "alice",
                                 Venue::NowMicros(),
                                 out,
                                 err};
            status = RunAdmin(options, context);
        } catch (const UsageError& e) {
            err << e.what();
        }
        return {status, out.str(), err.str()};
    }
    std::string Superuser() const { return SharedCluster().ConnInfo("postgres", m_db); }

    TempHive hive;
};

TEST_F(PgAdminTest, InitWithRolesIsIdempotentAndRefusedWithoutAServer) {
    EXPECT_EQ(Command({"--db", Superuser(), "init", "--roles"}).status, kExitOk);
    const auto again = Command({"--db", Superuser(), "init", "--roles"});
    EXPECT_EQ(again.status, kExitOk) << again.err;
    EXPECT_EQ(Count("SELECT count(*) FROM pg_roles WHERE rolname IN ('kestrin_owner', 'kestrin_station', "
                    "'kestrin_manager')"),
              3);
    EXPECT_EQ(Command({"init", "--roles"}).status, kExitError); // the embedded store has no roles
    const auto unreachable = Command({"--db", "host=127.0.0.1 port=1 connect_timeout=2", "status"});
    EXPECT_EQ(unreachable.status, kExitError);
    EXPECT_NE(unreachable.err.find("venue database"), std::string::npos) << unreachable.err;
}

TEST_F(PgAdminTest, DoorsBanReachesTheServerAndScansComeBackAsJsonLines) {
    const std::string keyFile = SharedCluster().Dir() + "/" + m_db + ".key";
    ASSERT_EQ(Command({"key", "new", "--file", keyFile}).status, kExitOk);
    hive.Write({{"Venue", std::string("a")},
                {"Station Name", std::string("office")},
                {"Venue Key File", keyFile},
                {"Venue Database", ConnInfo("a")}});
    // The hive's "Venue Database": the door's own role adds the entry.
    const auto ban = Command({"ban", "add", "--state", "TX", "--number", "12345678", "--reason", "theft", "--until",
                              Venue::LocalDate(Venue::NowMicros() + 86400000000LL * 30), "--scope", "group"});
    ASSERT_EQ(ban.status, kExitOk) << ban.err;
    const std::string id = ban.out.substr(0, ban.out.find('\n'));
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.list_entry WHERE id = '" + id +
                    "' AND venue = 'a' AND list = "
                    "'banned' AND reason = 'theft'"),
              1);
    const auto listed = Command({"list", "--json"});
    ASSERT_EQ(listed.status, kExitOk) << listed.err;
    EXPECT_NE(listed.out.find(id), std::string::npos);

    auto a = Connect("a");
    Exec(*a,
         "INSERT INTO kestrin.scan_event (id, venue, station, scanned_at, verdict, age, state, format) VALUES "
         "($1::uuid, 'a', 'front', 1780000000000000, 'under-age', 19, 'TX', 'aamva')",
         {TestUuid()});
    const auto scans = Command({"scans", "--json"});
    ASSERT_EQ(scans.status, kExitOk) << scans.err;
    const auto line = nlohmann::json::parse(scans.out.substr(0, scans.out.find('\n')));
    EXPECT_EQ(line.at("verdict"), "under-age");
    EXPECT_EQ(line.at("station"), "front");
    EXPECT_EQ(line.at("age"), 19);
    EXPECT_FALSE(line.at("receivedTime").is_null());

    // A door may not lift; a manager may.
    EXPECT_EQ(Command({"lift", id, "--reason", "appeal"}).status, kExitError);
    const auto lifted =
        Command({"--db", SharedCluster().ConnInfo(Role("manager"), m_db), "lift", id, "--reason", "appeal"});
    EXPECT_EQ(lifted.status, kExitOk) << lifted.err;
    EXPECT_EQ(Command({"--db", SharedCluster().ConnInfo(Role("manager"), m_db), "lift", id, "--reason", "x"}).status,
              kExitNothing);

    // A manager bans for the venue of the hive's "Venue".
    const auto managerBan =
        Command({"--db", SharedCluster().ConnInfo(Role("manager"), m_db), "vip", "add", "--state", "TX", "--number",
                 "87654321", "--reason", "other", "--until", Venue::LocalDate(Venue::NowMicros() + 86400000000LL)});
    ASSERT_EQ(managerBan.status, kExitOk) << managerBan.err;
    EXPECT_EQ(Count("SELECT count(*) FROM kestrin.list_entry WHERE list = 'vip' AND venue = 'a' AND created_by = '" +
                    Role("manager") + "'"),
              1);
}

TEST_F(PgAdminTest, StatusShowsWhatEachDoorReported) {
    auto a = Connect("a");
    Exec(*a, "SELECT kestrin.report_status('front', 7, 1780000000000000, 'snap-1')");
    Exec(*a,
         "INSERT INTO kestrin.scan_event (id, venue, station, scanned_at, verdict) VALUES "
         "($1::uuid, 'a', 'side', 1780000000000000, 'ok')",
         {TestUuid()});
    const auto status = Command({"--db", ConnInfo("a"), "status", "--json"});
    ASSERT_EQ(status.status, kExitOk) << status.err;
    std::istringstream lines(status.out);
    std::map<std::string, nlohmann::json> byStation;
    for (std::string line; std::getline(lines, line);) {
        const auto j = nlohmann::json::parse(line);
        byStation[j.at("station")] = j;
    }
    ASSERT_EQ(byStation.size(), 2u);
    EXPECT_EQ(byStation["front"].at("waiting"), 7);
    EXPECT_EQ(byStation["front"].at("listVersion"), "snap-1");
    EXPECT_EQ(byStation["side"].at("waiting"), 0);
    EXPECT_FALSE(byStation["side"].at("lastUpload").is_null());
}

} // namespace
