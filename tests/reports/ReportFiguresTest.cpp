// Every figure of a report, made through the query layer from a seeded embedded store, against counts made
// here from the seed by other means (string compares, sorting, plain loops), for a table of nights.

#include "EmbeddedStore.h"
#include "EventQuery.h"
#include "FigureTables.h"
#include "ReportBuilder.h"
#include "ReportText.h"
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

struct Expected {
    int total = 0;
    std::map<std::string, int> byVerdict;
    std::map<std::size_t, std::map<std::string, int>> byHourIndex;
    std::map<std::string, std::array<int, 3>> doors; // scans, refusals, unknowns
    std::map<std::string, int> ages;
    std::map<std::string, int> sexes;
    std::map<std::string, int> hints;
    int distinct = 0, repeats = 0, noHmac = 0;
    int insideEnd = 0, insidePeak = 0;
};

bool In(const std::string& verdict, std::initializer_list<const char*> set) {
    return std::any_of(set.begin(), set.end(), [&](const char* v) { return verdict == v; });
}

Expected Count(const SeededNight& night) {
    Expected e;
    std::map<std::string, int> perHolder;
    std::vector<std::pair<std::int64_t, int>> changes;
    for (const ScanRow& s : night.rows.scans) {
        ++e.total;
        ++e.byVerdict[s.verdict];
        ++e.byHourIndex[static_cast<std::size_t>((s.scannedAt - night.period.from) / kMicrosPerHour)][s.verdict];
        auto& door = e.doors[s.station];
        ++door[0];
        door[1] += In(s.verdict, {"under-age", "expired", "banned"});
        door[2] += s.verdict == "unknown";
        if (In(s.verdict, {"ok", "flagged", "vip"})) {
            const int a = s.age.value_or(-1);
            const char* band = a >= 50   ? "50+"
                               : a >= 35 ? "35-49"
                               : a >= 25 ? "25-34"
                               : a >= 21 ? "21-24"
                               : a >= 18 ? "18-20"
                                         : "unknown";
            ++e.ages[band];
            ++e.sexes[In(s.sexCode, {"1", "M"}) ? "male" : In(s.sexCode, {"2", "F"}) ? "female" : "not given"];
            changes.emplace_back(s.scannedAt, 1);
        }
        std::istringstream codes(s.warnings);
        std::set<std::string> seen;
        for (std::string code; std::getline(codes, code, ',');)
            if (!code.empty() && seen.insert(code).second)
                ++e.hints[code];
        if (s.idHmac)
            ++perHolder[*s.idHmac];
        else
            ++e.noHmac;
    }
    e.distinct = static_cast<int>(perHolder.size());
    for (const auto& [holder, n] : perHolder)
        e.repeats += n - 1;
    for (const DoorCountRow& d : night.rows.doorCounts)
        changes.emplace_back(d.at, d.delta);
    std::sort(changes.begin(), changes.end(),
              [](auto a, auto b) { return a.first != b.first ? a.first < b.first : a.second > b.second; });
    for (const auto& change : changes) {
        e.insideEnd += change.second;
        e.insidePeak = std::max(e.insidePeak, e.insideEnd);
    }
    return e;
}

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
    for (const ScanRow& s : night.rows.scans)
        store.Add(night.venue, s);
    for (const DoorCountRow& d : night.rows.doorCounts)
        store.Add(night.venue, d);
    for (const ScanRow& s : night.noise.scans)
        store.Add(VenueOf(night, s.scannedAt), s);
    for (const DoorCountRow& d : night.noise.doorCounts)
        store.Add(night.venue, d);
    store.Commit();
}

// The same rows written by the venue side's own store, as the station writes them.
void Record(Venue::IVenueStore& store, const std::string& venue, const ScanRow& s) {
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
}

void Record(const std::string& path, const SeededNight& night) {
    Venue::EmbeddedStore store(path);
    for (const ScanRow& s : night.rows.scans)
        Record(store, night.venue, s);
    for (const ScanRow& s : night.noise.scans)
        Record(store, VenueOf(night, s.scannedAt), s);
    for (const DoorCountRow& d : night.rows.doorCounts)
        store.RecordDoorCount({d.id, night.venue, d.station, d.at, d.delta});
    for (const DoorCountRow& d : night.noise.doorCounts)
        store.RecordDoorCount({d.id, night.venue, d.station, d.at, d.delta});
}

enum class Engine { ReadOnlyFile, VenueStore };

std::unique_ptr<IVenueSql> Seeded(Engine engine, const std::string& path, const SeededNight& night) {
    if (engine == Engine::ReadOnlyFile) {
        Store(path, night);
        return std::make_unique<SqliteVenueSql>(path);
    }
    Record(path, night);
    return std::make_unique<VenueStoreSql>(std::make_unique<Venue::EmbeddedStore>(path));
}

const NightSpec kNights[] = {
    {"empty night", {"front"}, 0, 12, 8, true, 0, 0},
    {"one door", {"front"}, 60, 14, 6, true, 3, 2},
    {"three doors", {"front", "side", "patio"}, 900, 13, 9, true, 12, 40},
    {"midnight crossing", {"front", "side"}, 300, 16, 4, true, 2, 5}, // 22:00 to 02:00
    {"profile without HMAC", {"front", "side"}, 200, 15, 5, false, 0, 0},
};

class ReportFigures : public ::testing::TestWithParam<std::tuple<NightSpec, Engine>> {};

TEST_P(ReportFigures, EveryFigureMatchesTheSeed) {
    const NightSpec& spec = std::get<0>(GetParam());
    const SeededNight night = MakeNight(spec);
    TempFolder folder;
    const std::unique_ptr<IVenueSql> sql = Seeded(std::get<1>(GetParam()), folder.File("venue.db"), night);
    const ReportModel model =
        BuildReport({night.venue, night.period, Binning::Hour, 6}, LoadNight(*sql, night.venue, night.period));
    const Expected e = Count(night);

    EXPECT_EQ(model.total, e.total);
    for (std::size_t v = 0; v < kVerdicts; ++v) {
        const auto found = e.byVerdict.find(kVerdictNames[v]);
        EXPECT_EQ(model.byVerdict[v], found == e.byVerdict.end() ? 0 : found->second) << kVerdictNames[v];
    }
    ASSERT_EQ(model.bins.size(), 24u); // a night from 06:00 to 06:00, every hour shown
    for (std::size_t h = 0; h < model.bins.size(); ++h) {
        EXPECT_EQ(model.bins[h].start, night.period.from + static_cast<std::int64_t>(h) * kMicrosPerHour);
        for (std::size_t v = 0; v < kVerdicts; ++v) {
            const auto hour = e.byHourIndex.find(h);
            const int want = hour == e.byHourIndex.end() || !hour->second.count(kVerdictNames[v])
                                 ? 0
                                 : hour->second.at(kVerdictNames[v]);
            EXPECT_EQ(model.bins[h].byVerdict[v], want) << "hour " << h << " " << kVerdictNames[v];
        }
    }
    ASSERT_EQ(model.byStation.size(), e.doors.size());
    for (const auto& [station, want] : e.doors) {
        const DoorFigures& got = model.byStation.at(station);
        EXPECT_EQ((std::array<int, 3>{got.scans, got.refusals, got.unknowns}), want) << station;
    }
    for (std::size_t band = 0; band < kAgeBands; ++band)
        EXPECT_EQ(model.ageBands[band], e.ages.count(kAgeBandNames[band]) ? e.ages.at(kAgeBandNames[band]) : 0)
            << kAgeBandNames[band];
    EXPECT_EQ(model.admittedAgeUnknown, e.ages.count("unknown") ? e.ages.at("unknown") : 0);
    for (std::size_t sex = 0; sex < kSexes; ++sex)
        EXPECT_EQ(model.sexes[sex], e.sexes.count(kSexNames[sex]) ? e.sexes.at(kSexNames[sex]) : 0) << kSexNames[sex];
    EXPECT_EQ(model.hints, e.hints);
    EXPECT_EQ(model.distinctHolders, e.distinct);
    EXPECT_EQ(model.repeatScans, e.repeats);
    EXPECT_EQ(model.scansWithoutHmac, e.noHmac);
    EXPECT_EQ(model.InsideAtEnd(), e.insideEnd);
    EXPECT_EQ(model.insidePeak, e.insidePeak);
    EXPECT_EQ(model.manualIn, spec.manualIn);
    EXPECT_EQ(model.manualOut, spec.manualOut);

    // The tables and the JSON say the same as the model.
    for (const FigureTable& table : FigureTables(model)) {
        if (table.figure == Figure::Inside)
            continue; // its total line is the night's end and peak, checked above
        for (std::size_t c = 0; c < table.total.values.size(); ++c) {
            long long sum = 0;
            for (const auto& row : table.rows)
                sum += row.values[c];
            EXPECT_EQ(table.total.values[c], sum) << table.title << " column " << c;
        }
    }
    const auto json = nlohmann::json::parse(ReportJson(model));
    EXPECT_EQ(json["total"], e.total);
    EXPECT_EQ(json["venue"], night.venue);
    EXPECT_EQ(json["byHour"].size(), 24u);
    for (const auto& [station, want] : e.doors)
        EXPECT_EQ(json["byStation"][station]["refusals"], want[1]);
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
    const ReportModel model = BuildReport({night.venue, night.period, Binning::Hour, 6}, night.rows);
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
    const ReportModel model = BuildReport({night.venue, week, Binning::Day, 6}, night.rows);
    ASSERT_EQ(model.bins.size(), 4u);
    EXPECT_EQ(model.bins.back().start, night.period.from);
    EXPECT_EQ(model.bins.back().Total(), model.total);
    EXPECT_EQ(BinLabel(model.bins.back(), Binning::Day), "2026-12-08");
}

TEST(ReportCsv, HoldsEveryTableWithItsTotalLine) {
    const SeededNight night = MakeNight(kNights[1]);
    const ReportModel model = BuildReport({night.venue, night.period, Binning::Hour, 6}, night.rows);
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
