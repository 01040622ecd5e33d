// The same seeded nights on a throwaway PostgreSQL server: the events and door counts go up as a door's
// uploads do (PgStore, as the venue's station role), and the report is read through the same query layer
// as on the embedded store, as that role. Every figure against the seed's own counts; another venue's
// rows in the period stay out, as the WHERE and the row security both keep them.

#include "EventQuery.h"
#include "PgStore.h"
#include "ReportCommandLine.h"
#include "SeedCounts.h"
#include "VenueDb.h"
#include "VenueStoreSql.h"

#include <nlohmann/json.hpp>

#include <sstream>

namespace {

using namespace Reports;

class ReportPg : public VenueDbTest {
protected:
    // Venue "a" gets the night, venue "b" (its own login) the rows of another venue in the period.
    void Upload(const SeededNight& night) {
        Venue::PgStore a(ConnInfo("a"));
        Venue::PgStore b(ConnInfo("b"));
        auto up = [](Venue::PgStore& store, const std::string& venue, const ScanRow& s) {
            Venue::ScanEvent event;
            event.id = s.id;
            event.venue = venue;
            event.station = s.station;
            event.scannedAt = s.scannedAt;
            event.verdict = *Venue::VerdictOf(s.verdict);
            event.age = s.age;
            event.sexCode = s.sexCode;
            event.state = s.state;
            event.format = s.format;
            event.warnings = s.warnings;
            event.listHits = s.listHits;
            event.idHmac = s.idHmac.value_or(std::string());
            store.RecordScan(event);
        };
        for (const ScanRow& s : night.rows.scans)
            up(a, "a", s);
        for (const ScanRow& s : night.noise.scans) {
            const bool inPeriod = s.scannedAt >= night.period.from && s.scannedAt < night.period.to;
            up(inPeriod ? b : a, inPeriod ? "b" : "a", s);
        }
        for (const auto* counts : {&night.rows.doorCounts, &night.noise.doorCounts})
            for (const DoorCountRow& d : *counts)
                a.RecordDoorCount({d.id, "a", d.station, d.at, d.delta});
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
        const ReportModel model = BuildReport({"a", night.period, Binning::Hour, 6}, LoadNight(sql, "a", night.period));
        SeedCounts::ExpectFiguresOf(night, plan, model);
    }
}

TEST_F(ReportPg, TheCommandReadsTheVenueDatabaseAndAnotherVenueSeesNothingOfIt) {
    SeededNight night = MakeNight(SeedCounts::kNights[1]);
    night.venue = "a";
    Upload(night);
    const std::int64_t late = night.period.to - kMicrosPerHour;
    auto run = [&](const std::string& venue, std::ostream& out, std::ostream& err) {
        Reports::ReportCommandSetup setup;
        setup.venue = venue;
        setup.opener = [this, venue] {
            return std::make_unique<VenueStoreSql>(std::make_unique<Venue::PgStore>(ConnInfo(venue)));
        };
        setup.now = [late] { return late; };
        return RunReportCommand({"--json"}, setup, out, err);
    };
    std::ostringstream out, err;
    ASSERT_EQ(run("a", out, err), 0) << err.str();
    EXPECT_EQ(nlohmann::json::parse(out.str())["total"], static_cast<int>(night.rows.scans.size()));

    // Venue b's login asking for venue a's night: row security gives it nothing, not an error.
    std::ostringstream none, noneErr;
    Reports::ReportCommandSetup setup;
    setup.venue = "a";
    setup.opener = [this] { return std::make_unique<VenueStoreSql>(std::make_unique<Venue::PgStore>(ConnInfo("b"))); };
    setup.now = [late] { return late; };
    EXPECT_EQ(RunReportCommand({"--json"}, setup, none, noneErr), 1) << noneErr.str();
    EXPECT_EQ(nlohmann::json::parse(none.str())["total"], 0);
}

} // namespace
