// Every figure of a report, made through the query layer from a seeded embedded store, against counts made
// here from the seed by other means (string compares, sorting, plain loops), for a table of nights.

#include "EmbeddedStore.h"
#include "EventQuery.h"
#include "FigureTables.h"
#include "ReportBuilder.h"
#include "ReportText.h"
#include "SeedCounts.h"
#include "SeedEvents.h"
#include "SeedNight.h"
#include "SeedStore.h"
#include "SqliteVenueSql.h"
#include "VenueStoreSql.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

using namespace Reports;
using SeedCounts::ExpectFiguresOf;
using SeedCounts::kNights;

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kestrin-reports-XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    std::string File(const char* name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

// Where a night's rows are: "noise" rows inside the period belong to another venue, the rest to this one.
std::string VenueOf(const SeededNight& night, std::int64_t at) {
    return at >= night.period.from && at < night.period.to ? "elsewhere" : night.venue;
}

void Store(const std::string& path, const SeededNight& night) {
    SeedStore store(path);
    store.Add(night.venue, night.rows);
    for (const ScanRow& s : night.noise.scans)
        store.Add(VenueOf(night, s.scannedAt), s);
    for (const DoorCountRow& d : night.noise.doorCounts)
        store.Add(night.venue, d);
    store.Commit();
}

enum class Engine { ReadOnlyFile, VenueStore };

std::unique_ptr<IVenueSql> Seeded(Engine engine, const std::string& path, const SeededNight& night) {
    if (engine == Engine::ReadOnlyFile) {
        Store(path, night);
        return std::make_unique<SqliteVenueSql>(path);
    }
    {
        Venue::EmbeddedStore store(path); // the same rows written by the venue side's own store
        RecordNight(store, store, "elsewhere", night);
    }
    return std::make_unique<VenueStoreSql>(std::make_unique<Venue::EmbeddedStore>(path));
}

class ReportFigures : public ::testing::TestWithParam<std::tuple<NightPlan, Engine>> {};

TEST_P(ReportFigures, EveryFigureMatchesTheSeed) {
    const NightPlan& plan = std::get<0>(GetParam());
    const SeededNight night = MakeNight(plan);
    TempFolder folder;
    const std::unique_ptr<IVenueSql> sql = Seeded(std::get<1>(GetParam()), folder.File("venue.db"), night);
    const ReportModel model =
        BuildReport({night.venue, night.period, Binning::Hour, 6, {}}, LoadNight(*sql, night.venue, night.period));
    ExpectFiguresOf(night, plan, model);
}

// An embedded store holds one venue: its group is this venue, the doors named venue/station as in any
// group report, and the other venue's rows stay out.
TEST_P(ReportFigures, AGroupOnAnEmbeddedStoreIsThisVenueWithItsDoorsNamed) {
    const NightPlan& plan = std::get<0>(GetParam());
    const SeededNight night = MakeNight(plan);
    TempFolder folder;
    const std::unique_ptr<IVenueSql> sql = Seeded(std::get<1>(GetParam()), folder.File("venue.db"), night);
    ASSERT_TRUE(CanReadGroup(*sql));
    const ReportModel venue =
        BuildReport({night.venue, night.period, Binning::Hour, 6, {}}, LoadNight(*sql, night.venue, night.period));
    const ReportModel group = BuildReport({night.venue, night.period, Binning::Hour, 6, "g1"},
                                          LoadNight(*sql, ReportScope{night.venue, "g1"}, night.period));
    EXPECT_EQ(group.total, venue.total);
    EXPECT_EQ(group.byVerdict, venue.byVerdict);
    ASSERT_EQ(group.byStation.size(), venue.byStation.size());
    for (const auto& [station, figures] : venue.byStation) {
        const auto it = group.byStation.find(night.venue + "/" + station);
        ASSERT_NE(it, group.byStation.end()) << station;
        EXPECT_EQ(it->second.scans, figures.scans);
        EXPECT_EQ(it->second.refusals, figures.refusals);
    }
    EXPECT_EQ(group.InsideAtEnd(), venue.InsideAtEnd());
}

INSTANTIATE_TEST_SUITE_P(Nights, ReportFigures,
                         ::testing::Combine(::testing::ValuesIn(kNights),
                                            ::testing::Values(Engine::ReadOnlyFile, Engine::VenueStore)),
                         [](const auto& row) {
                             std::string name = std::get<0>(row.param).name;
                             std::replace(name.begin(), name.end(), ' ', '_');
                             return name + (std::get<1>(row.param) == Engine::ReadOnlyFile ? "_file" : "_venue_store");
                         });

TEST(ReportJson, HasExactlyTheAgreedKeys) {
    const SeededNight night = MakeNight(kNights[2]);
    const ReportModel model = BuildReport({night.venue, night.period, Binning::Hour, 6, {}}, night.rows);
    const auto json = nlohmann::json::parse(ReportJson(model));
    std::set<std::string> keys;
    for (const auto& item : json.items())
        keys.insert(item.key());
    EXPECT_EQ(keys, (std::set<std::string>{"from", "to", "venue", "total", "byVerdict", "byHour", "byStation",
                                           "ageBands", "hints"}));
    EXPECT_EQ(json["byVerdict"].size(), kVerdicts);
    EXPECT_EQ(json["byHour"][0].size(), 2u);
    EXPECT_TRUE(json["byHour"][0].contains("hour"));
    EXPECT_EQ(json["from"], "2026-12-08T06:00:00-05:00");
    EXPECT_EQ(json["ageBands"].size(), kAgeBands);
}

TEST(ReportBins, DayBinsStartAtTheDayStartHour) {
    const SeededNight night = MakeNight(kNights[2]);
    const ReportPeriod week{night.period.from - 3 * 24 * kMicrosPerHour, night.period.to};
    const ReportModel model = BuildReport({night.venue, week, Binning::Day, 6, {}}, night.rows);
    ASSERT_EQ(model.bins.size(), 4u);
    EXPECT_EQ(model.bins.back().start, night.period.from);
    EXPECT_EQ(model.bins.back().Total(), model.total);
    EXPECT_EQ(BinLabel(model.bins.back(), Binning::Day), "2026-12-08");
}

TEST(ReportCsv, HoldsEveryTableWithItsTotalLine) {
    const SeededNight night = MakeNight(kNights[1]);
    const ReportModel model = BuildReport({night.venue, night.period, Binning::Hour, 6, {}}, night.rows);
    const std::string csv = ReportCsv(FigureTables(model));
    EXPECT_NE(csv.find("Scans per hour\r\nHour,ok,under-age,expired,unknown,banned,flagged,vip,all\r\n"),
              std::string::npos);
    EXPECT_NE(csv.find("Total," + std::to_string(model.byVerdict[0])), std::string::npos);
    EXPECT_NE(csv.find("Per door\r\nDoor,Scans,Refusals,Unknowns\r\nfront," + std::to_string(model.total) + ","),
              std::string::npos);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n') > 50, true);
}

TEST(VenueStore, AMissingFileIsACleanErrorAndIsNotCreated) {
    TempFolder folder;
    EXPECT_THROW(SqliteVenueSql sql(folder.File("venue.db")), VenueSqlError);
    EXPECT_FALSE(std::filesystem::exists(folder.File("venue.db")));
}

TEST(VenueStore, AFileThatIsNoStoreIsACleanErrorAndStaysAsItWas) {
    TempFolder folder;
    const std::string path = folder.File("venue.db");
    { std::ofstream(path) << "not a database, but someone's notes\n"; }
    const auto before = std::filesystem::file_size(path);
    EXPECT_THROW(
        {
            SqliteVenueSql sql(path);
            LoadNight(sql, "harbour", {0, 1});
        },
        VenueSqlError);
    EXPECT_EQ(std::filesystem::file_size(path), before);
}

} // namespace
