#pragma once
// Counts made from a seeded night by means of their own (string compares, sorting, plain loops), and the
// check of every figure of a report against them: what each engine's report must say of the seed.

#include "FigureTables.h"
#include "ReportBuilder.h"
#include "ReportText.h"
#include "SeedNight.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <sstream>

namespace SeedCounts {

using namespace Reports;

inline const NightPlan kNights[] = {
    {"empty night", {"front"}, 0, 12, 8, true, 0, 0},
    {"one door", {"front"}, 60, 14, 6, true, 3, 2},
    {"three doors", {"front", "side", "patio"}, 900, 13, 9, true, 12, 40},
    {"midnight crossing", {"front", "side"}, 300, 16, 4, true, 2, 5}, // 22:00 to 02:00
    {"profile without HMAC", {"front", "side"}, 200, 15, 5, false, 0, 0},
};

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

inline bool In(const std::string& verdict, std::initializer_list<const char*> set) {
    return std::any_of(set.begin(), set.end(), [&](const char* v) { return verdict == v; });
}

inline Expected Count(const SeededNight& night) {
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

// Every figure of `model`, made from `night` (of `plan`), against the counts above.
inline void ExpectFiguresOf(const SeededNight& night, const NightPlan& plan, const ReportModel& model) {
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
    EXPECT_EQ(model.manualIn, plan.manualIn);
    EXPECT_EQ(model.manualOut, plan.manualOut);

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

} // namespace SeedCounts
