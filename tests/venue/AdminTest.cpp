#include "TempHive.h"
#include "VenueTestFiles.h"

#include "AdminCommands.h"
#include "AdminOptions.h"
#include "EmbeddedStore.h"
#include "StoreOpener.h"
#include "VenueTime.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace {

using namespace VenueAdmin;

constexpr Venue::Micros kNow = 1'780'000'000'000'000LL; // 2026-05-28

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

class AdminTest : public ::testing::Test {
protected:
    void SetUp() override { hive.Write({{"Venue", std::string("north")}, {"Station Name", std::string("office")}}); }

    CommandRun Command(const std::vector<std::string>& args,
                       PrivacyProfile profile = {PrivacyProfile::Kind::Full, true}) {
        std::ostringstream out;
        std::ostringstream err;
        int status = kExitError;
        try {
            const AdminOptions options = ParseAdminOptions(args);
            const Venue::VenueConfig config = Venue::VenueConfig::FromSettings();
            const std::string database = ChosenDatabase(options, config);
            AdminContext context{[database] { return OpenStore(database); }, config, profile, "alice", kNow, out, err};
            status = RunAdmin(options, context);
        } catch (const UsageError& e) {
            err << e.what();
        }
        return {status, out.str(), err.str()};
    }
    std::string Ban(const std::string& number, const std::string& until = "2026-12-31") {
        const CommandRun run = Command({"ban", "add", "--state", "TX", "--number", number, "--reason", "violence",
                                        "--until", until, "--note", "fight"});
        EXPECT_EQ(run.status, kExitOk) << run.err;
        return run.out.substr(0, run.out.find('\n'));
    }

    TempHive hive;
};

struct UsageCase {
    std::string name;
    std::vector<std::string> args;
};

class UsageTest : public AdminTest, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(UsageTest, MistakesExitWithTwoAndSayWhy) {
    const CommandRun run = Command(GetParam().args);
    EXPECT_EQ(run.status, kExitError);
    EXPECT_FALSE(run.err.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Admin, UsageTest,
    ::testing::Values(
        UsageCase{"no_command", {}}, UsageCase{"unknown_command", {"purge"}},
        UsageCase{"unknown_option", {"--fast", "list"}},
        UsageCase{"reason_outside_the_set",
                  {"ban", "add", "--state", "TX", "--number", "1", "--reason", "rude", "--until", "2026-12-31"}},
        UsageCase{"no_expiry", {"ban", "add", "--state", "TX", "--number", "1", "--reason", "theft"}},
        UsageCase{"bad_date",
                  {"flag", "add", "--state", "TX", "--number", "1", "--reason", "theft", "--until", "31/12/2026"}},
        UsageCase{"scan_and_number",
                  {"vip", "add", "--scan", "f", "--state", "TX", "--number", "1", "--reason", "other", "--until",
                   "2026-12-31"}},
        UsageCase{"bad_scope",
                  {"vip", "add", "--state", "TX", "--number", "1", "--reason", "other", "--until", "2026-12-31",
                   "--scope", "world"}},
        UsageCase{"lift_without_reason", {"lift", "abc"}}, UsageCase{"bad_since", {"scans", "--since", "yesterday"}},
        UsageCase{"no_key_file",
                  {"ban", "add", "--state", "TX", "--number", "1", "--reason", "theft", "--until", "2026-12-31"}},
        UsageCase{"expiry_beyond_five_years",
                  {"ban", "add", "--state", "TX", "--number", "1", "--reason", "theft", "--until", "2032-01-01"}},
        UsageCase{"unknown_state",
                  {"ban", "add", "--state", "QQ", "--number", "1", "--reason", "theft", "--until", "2026-12-31"}},
        UsageCase{"database_unreachable", {"--db", "host=127.0.0.1 port=1", "list"}}),
    [](const auto& row) { return row.param.name; });

TEST_F(AdminTest, EmptyStoreFindsNothing) {
    EXPECT_EQ(Command({"init"}).status, kExitOk);
    EXPECT_EQ(Command({"init"}).status, kExitOk);
    EXPECT_EQ(Command({"list"}).status, kExitNothing);
    EXPECT_EQ(Command({"scans", "--json"}).status, kExitNothing);
    EXPECT_EQ(Command({"status"}).status, kExitNothing);
    EXPECT_EQ(Command({"lift", "no-such-id", "--reason", "x"}).status, kExitNothing);
}

TEST_F(AdminTest, BanListLiftRoundTrip) {
    ASSERT_EQ(Command({"key", "new"}).status, kExitOk);
    EXPECT_EQ(Command({"key", "new"}).status, kExitError); // never replaced
    const std::string id = Ban("12345678");
    ASSERT_EQ(id.size(), 36u);
    CommandRun list = Command({"list", "--json"});
    ASSERT_EQ(list.status, kExitOk);
    nlohmann::json entry = nlohmann::json::parse(list.out);
    EXPECT_EQ(entry["id"], id);
    EXPECT_EQ(entry["list"], "banned");
    EXPECT_EQ(entry["reason"], "violence");
    EXPECT_EQ(entry["venue"], "north");
    EXPECT_EQ(entry["createdBy"], "office alice");
    EXPECT_EQ(entry["scope"], "venue");
    EXPECT_TRUE(entry["liftedAt"].is_null());
    EXPECT_EQ(entry["idHmac"].get<std::string>().size(), 64u);

    EXPECT_EQ(Command({"lift", id, "--reason", "appeal granted"}).status, kExitOk);
    EXPECT_EQ(Command({"lift", id, "--reason", "again"}).status, kExitNothing);
    entry = nlohmann::json::parse(Command({"list", "--json"}).out);
    EXPECT_EQ(entry["liftReason"], "appeal granted");
    EXPECT_EQ(entry["liftedBy"], "office alice");
}

// The scan record a line of JSON per event, with exactly the documented keys.
TEST_F(AdminTest, ScansPrintOneObjectALineWithTheDocumentedKeys) {
    {
        Venue::EmbeddedStore store(Venue::EmbeddedStore::DefaultPath());
        Venue::ScanEvent e;
        e.venue = "north";
        e.station = "door-1";
        e.verdict = Venue::Verdict::Banned;
        e.age = 30;
        e.warnings = "iin-jurisdiction,expiry-before-issue";
        e.listHits = "entry-1";
        for (int i = 0; i < 3; ++i) {
            e.id = "00000000-0000-4000-8000-00000000000" + std::to_string(i);
            e.scannedAt = kNow + i * 1'000'000;
            store.RecordScan(e);
        }
        e.id = "elsewhere";
        e.venue = "south";
        store.RecordScan(e);
    }
    const CommandRun run = Command({"scans", "--since", Venue::IsoText(kNow + 1'000'000), "--json"});
    ASSERT_EQ(run.status, kExitOk) << run.err;
    std::istringstream lines(run.out);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        const auto object = nlohmann::json::parse(line);
        std::vector<std::string> keys;
        for (const auto& item : object.items())
            keys.push_back(item.key());
        std::sort(keys.begin(), keys.end());
        EXPECT_EQ(keys, (std::vector<std::string>{"age", "format", "id", "listHits", "receivedTime", "scanTime",
                                                  "sexCode", "state", "station", "venue", "verdict", "warnings"}));
        EXPECT_EQ(object["verdict"], "banned");
        EXPECT_EQ(object["warnings"], nlohmann::json::array({"iin-jurisdiction", "expiry-before-issue"}));
        EXPECT_TRUE(object["receivedTime"].is_null());
        EXPECT_EQ(object["venue"], "north");
    }
    EXPECT_EQ(count, 2);
    const CommandRun status = Command({"status", "--json"});
    ASSERT_EQ(status.status, kExitOk);
    const auto station = nlohmann::json::parse(status.out.substr(0, status.out.find('\n')));
    EXPECT_EQ(station["station"], "door-1");
    EXPECT_EQ(station["waiting"], 4);
    EXPECT_TRUE(station["lastUpload"].is_null());
    EXPECT_TRUE(station.contains("listVersion"));
}

// A scanned card names the person; the profile decides whether the entry keeps the name.
TEST_F(AdminTest, EntriesFromAScanKeepWhatTheProfileAllows) {
    ASSERT_EQ(Command({"key", "new"}).status, kExitOk);
    const std::string scan = std::string(KESTRIN_TEST_DATA) + "/card/aamva/expired_yesterday.txt";
    const std::vector<std::string> add{"flag", "add", "--scan", scan, "--reason", "fake-id", "--until", "2026-12-31"};
    ASSERT_EQ(Command(add, {PrivacyProfile::Kind::Full, true}).status, kExitOk);
    ASSERT_EQ(Command(add, {PrivacyProfile::Kind::Minimal, true}).status, kExitOk);
    std::istringstream lines(Command({"list", "--json"}).out);
    std::vector<nlohmann::json> entries;
    for (std::string line; std::getline(lines, line);)
        entries.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0]["idHmac"], entries[1]["idHmac"]);
    const int full = entries[0].contains("displayName") ? 0 : 1;
    EXPECT_EQ(entries[full]["displayName"], "Morales Isabel Maria");
    EXPECT_EQ(entries[full]["birthDate"], "1999-07-04");
    EXPECT_FALSE(entries[1 - full].contains("displayName"));
    EXPECT_FALSE(entries[1 - full].contains("birthDate"));
    EXPECT_EQ(Command({"ban", "add", "--scan", "/nonexistent", "--reason", "theft", "--until", "2026-12-31"}).status,
              kExitError);
}

} // namespace
