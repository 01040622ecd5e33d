// The same seeded nights on a throwaway PostgreSQL server: the events and door counts go up as a door's
// uploads do (PgStore, as the venue's station role), and the report is read through the same query layer
// as on the embedded store, as that role. Every figure against the seed's own counts; another venue's
// rows in the period stay out, as the WHERE and the row security both keep them. A group's report (a
// manager's login) is the sum of its venues' nights, and a venue's login is refused it.

#include "EventQuery.h"
#include "PgStore.h"
#include "ReportCommandLine.h"
#include "SeedCounts.h"
#include "SeedEvents.h"
#include "VenueDb.h"
#include "VenueStoreSql.h"

#include <nlohmann/json.hpp>

#include <sstream>

namespace {

using namespace Reports;

class ReportPg : public VenueDbTest {
protected:
    // A night's own rows (not its noise) as `venue`'s login uploads them.
    void UploadAs(const std::string& venue, const NightRows& rows) {
        Venue::PgStore store(ConnInfo(venue));
        RecordRows(store, venue, rows);
    }

    ReportCommandSetup SetupAs(const std::string& login, const std::string& venue, std::int64_t now) {
        ReportCommandSetup setup;
        setup.venue = venue;
        setup.opener = [this, login] {
            return std::make_unique<VenueStoreSql>(std::make_unique<Venue::PgStore>(ConnInfo(login)));
        };
        setup.now = [now] { return now; };
        return setup;
    }

    // Venue "a" gets the night, venue "b" (its own login) the rows of another venue in the period.
    void Upload(const SeededNight& night) {
        Venue::PgStore a(ConnInfo("a"));
        Venue::PgStore b(ConnInfo("b"));
        RecordNight(a, b, "b", night);
    }
};

TEST_F(ReportPg, EveryFigureOfEveryNightMatchesTheSeed) {
    for (const NightPlan& plan : SeedCounts::kNights) {
        SCOPED_TRACE(plan.name);
        // A night of its own: each case two days apart, so no row of one (the rows just outside its
        // period included) falls into another.
        SeededNight night = MakeNight(plan);
        const std::int64_t shift = static_cast<std::int64_t>(&plan - SeedCounts::kNights) * 48 * kMicrosPerHour;
        night.venue = "a";
        night.period = {night.period.from + shift, night.period.to + shift};
        for (auto* scans : {&night.rows.scans, &night.noise.scans})
            for (ScanRow& s : *scans)
                s.scannedAt += shift;
        for (auto* counts : {&night.rows.doorCounts, &night.noise.doorCounts})
            for (DoorCountRow& d : *counts)
                d.at += shift;
        Upload(night);

        VenueStoreSql sql(std::make_unique<Venue::PgStore>(ConnInfo("a")));
        const ReportModel model =
            BuildReport({"a", night.period, Binning::Hour, 6, {}}, LoadNight(sql, "a", night.period));
        SeedCounts::ExpectFiguresOf(night, plan, model);
    }
}

TEST_F(ReportPg, TheCommandReadsTheVenueDatabaseAndAnotherVenueSeesNothingOfIt) {
    SeededNight night = MakeNight(SeedCounts::kNights[1]);
    night.venue = "a";
    Upload(night);
    const std::int64_t late = night.period.to - kMicrosPerHour;
    std::ostringstream out, err;
    ASSERT_EQ(RunReportCommand({"--json"}, SetupAs("a", "a", late), out, err), 0) << err.str();
    EXPECT_EQ(nlohmann::json::parse(out.str())["total"], static_cast<int>(night.rows.scans.size()));

    // Venue b's login asking for venue a's night: row security gives it nothing, not an error.
    std::ostringstream none, noneErr;
    EXPECT_EQ(RunReportCommand({"--json"}, SetupAs("b", "a", late), none, noneErr), 1) << noneErr.str();
    EXPECT_EQ(nlohmann::json::parse(none.str())["total"], 0);
}

// Venues a and b make group g1, c is of g2; each venue's night goes up as its own login.
TEST_F(ReportPg, AManagersGroupReportIsTheSumOfItsVenuesAndKeepsTheirDoorsApart) {
    const SeededNight a = MakeNight(SeedCounts::kNights[2]); // three doors: front, side, patio
    const SeededNight b = MakeNight(SeedCounts::kNights[3]); // front and side too, past midnight
    const SeededNight c = MakeNight(SeedCounts::kNights[1]);
    UploadAs("a", a.rows);
    UploadAs("b", b.rows);
    UploadAs("c", c.rows);
    const SeedCounts::Expected ea = SeedCounts::Count(a);
    const SeedCounts::Expected eb = SeedCounts::Count(b);
    ASSERT_GT(ea.total, 0);
    ASSERT_GT(eb.total, 0);

    VenueStoreSql sql(std::make_unique<Venue::PgStore>(ConnInfo("manager")));
    ASSERT_TRUE(IsManagerConnection(sql));
    ReportRequest request{"a", a.period, Binning::Hour, 6, "g1"};
    const ReportModel model = ReadReport(sql, request);

    EXPECT_EQ(model.venue, "g1");
    EXPECT_EQ(model.total, ea.total + eb.total);
    for (std::size_t v = 0; v < kVerdicts; ++v) {
        SCOPED_TRACE(kVerdictNames[v]);
        const std::string name = kVerdictNames[v];
        const auto count = [&name](const SeedCounts::Expected& e) {
            const auto it = e.byVerdict.find(name);
            return it == e.byVerdict.end() ? 0 : it->second;
        };
        EXPECT_EQ(model.byVerdict[v], count(ea) + count(eb));
    }
    std::map<std::string, std::array<int, 3>> doors;
    for (const auto& [venue, expected] : {std::pair{"a", &ea}, {"b", &eb}})
        for (const auto& [station, figures] : expected->doors)
            doors[std::string(venue) + "/" + station] = figures;
    ASSERT_EQ(model.byStation.size(), doors.size()); // a/front and b/front stay two doors; no c/...
    for (const auto& [door, figures] : doors) {
        SCOPED_TRACE(door);
        ASSERT_EQ(model.byStation.count(door), 1U);
        const DoorFigures& got = model.byStation.at(door);
        EXPECT_EQ((std::array<int, 3>{got.scans, got.refusals, got.unknowns}), figures);
    }
    std::map<std::string, int> hints = ea.hints;
    for (const auto& [code, count] : eb.hints)
        hints[code] += count;
    EXPECT_EQ(model.hints, hints);
    EXPECT_EQ(model.InsideAtEnd(), ea.insideEnd + eb.insideEnd);

    // The other group: venue c alone.
    const ReportModel other = ReadReport(sql, {"c", c.period, Binning::Hour, 6, "g2"});
    EXPECT_EQ(other.total, static_cast<int>(c.rows.scans.size()));
    for (const auto& [door, figures] : other.byStation)
        EXPECT_EQ(door.rfind("c/", 0), 0U) << door;
}

TEST_F(ReportPg, TheGroupOptionNeedsAManagersConnection) {
    const SeededNight a = MakeNight(SeedCounts::kNights[2]);
    UploadAs("a", a.rows);
    const std::int64_t late = a.period.to - kMicrosPerHour;

    std::ostringstream out, err;
    ASSERT_EQ(RunReportCommand({"--group", "g1", "--json"}, SetupAs("manager", "a", late), out, err), 0) << err.str();
    const auto json = nlohmann::json::parse(out.str());
    EXPECT_EQ(json["venue"], "g1");
    EXPECT_EQ(json["total"], static_cast<int>(a.rows.scans.size()));

    // A venue's own login: row security would show it its venue only, so the group is refused outright.
    std::ostringstream refusedOut, refusedErr;
    EXPECT_EQ(RunReportCommand({"--group", "g1", "--json"}, SetupAs("a", "a", late), refusedOut, refusedErr), 2);
    EXPECT_NE(refusedErr.str().find("manager"), std::string::npos) << refusedErr.str();
    EXPECT_TRUE(refusedOut.str().empty());
    VenueStoreSql station(std::make_unique<Venue::PgStore>(ConnInfo("a")));
    EXPECT_FALSE(IsManagerConnection(station));
    EXPECT_EQ(ManagersGroupOf(station, "a"), std::nullopt);
    VenueStoreSql manager(std::make_unique<Venue::PgStore>(ConnInfo("manager")));
    EXPECT_EQ(ManagersGroupOf(manager, "a"), std::optional<std::string>("g1"));
    EXPECT_EQ(ManagersGroupOf(manager, "c"), std::optional<std::string>("g2"));

    std::ostringstream usageOut, usageErr;
    EXPECT_EQ(RunReportCommand({"--group"}, SetupAs("manager", "a", late), usageOut, usageErr), 2);
}

} // namespace
