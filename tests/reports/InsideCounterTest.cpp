// The door's inside count: admitted verdicts and the in key count one in, the out key one out, the text
// and its colour level against the capacity, and the count starting again at the day's start hour.

#include "InsideCounter.h"
#include "SeedNight.h"

#include <gtest/gtest.h>

namespace {

using Reports::InsideCounter;
using Reports::kMicrosPerHour;

const std::int64_t kEvening = SeedMorning() + 14 * kMicrosPerHour; // 20:00

TEST(InsideCounter, AdmittedVerdictsCountOneInAndRefusalsNothing) {
    InsideCounter counter(6, 0);
    for (const char* verdict : {"ok", "flagged", "vip", "under-age", "expired", "unknown", "banned", "nonsense"})
        counter.CountVerdict(verdict, kEvening);
    EXPECT_EQ(counter.Inside(kEvening), 3);
    EXPECT_EQ(counter.Text(kEvening), "Inside 3");
}

TEST(InsideCounter, InByHandAndOutGiveTheRowsToStore) {
    InsideCounter counter(6, 250);
    counter.CountVerdict("ok", kEvening);
    const auto in = counter.CountIn(kEvening + 1);
    const auto out = counter.CountOut(kEvening + 2);
    counter.CountIn(kEvening + 3);
    EXPECT_EQ(in.delta, 1);
    EXPECT_EQ(in.at, kEvening + 1);
    EXPECT_EQ(out.delta, -1);
    EXPECT_EQ(counter.Text(kEvening + 4), "Inside 2 / 250");
}

struct LevelCase {
    int inside;
    int capacity;
    InsideCounter::Level level;
};

TEST(InsideCounter, CapacityColoursFromNinetyAndAtAHundredPercent) {
    const LevelCase cases[] = {
        {0, 250, InsideCounter::Level::Normal},  {224, 250, InsideCounter::Level::Normal},
        {225, 250, InsideCounter::Level::Amber}, {249, 250, InsideCounter::Level::Amber},
        {250, 250, InsideCounter::Level::Red},   {260, 250, InsideCounter::Level::Red},
        {8, 10, InsideCounter::Level::Normal},   {9, 10, InsideCounter::Level::Amber},
        {500, 0, InsideCounter::Level::Normal},  {500, -1, InsideCounter::Level::Normal},
    };
    for (const LevelCase& c : cases) {
        InsideCounter counter(6, c.capacity);
        for (int i = 0; i < c.inside; ++i)
            counter.CountIn(kEvening);
        EXPECT_EQ(counter.LevelAt(kEvening), c.level) << c.inside << " of " << c.capacity;
    }
}

TEST(InsideCounter, StartsAgainAtTheDayStartHourNotAtMidnight) {
    InsideCounter counter(6, 100);
    counter.CountIn(kEvening);
    counter.CountIn(kEvening + 5 * kMicrosPerHour);                                   // 01:00, the same night
    EXPECT_EQ(counter.Inside(kEvening + 9 * kMicrosPerHour + kMicrosPerHour / 2), 2); // 05:30
    EXPECT_EQ(counter.Inside(kEvening + 10 * kMicrosPerHour), 0);                     // 06:00
    counter.CountOut(kEvening + 1); // a late row of the night before does not bring it back
    EXPECT_EQ(counter.Inside(kEvening + 10 * kMicrosPerHour), 0);
    counter.CountIn(kEvening + 11 * kMicrosPerHour);
    EXPECT_EQ(counter.Text(kEvening + 11 * kMicrosPerHour), "Inside 1 / 100");
}

TEST(InsideCounter, TheVenuesCountStandsInForTheDoorsWithItsColours) {
    InsideCounter counter(6, 250);
    counter.CountIn(kEvening);
    counter.SetInside(230, kEvening + 1);
    EXPECT_EQ(counter.Text(kEvening + 2), "Inside 230 / 250");
    EXPECT_EQ(counter.LevelAt(kEvening + 2), InsideCounter::Level::Amber);
    EXPECT_EQ(counter.Inside(kEvening + 10 * kMicrosPerHour), 0) << "the venue's count ends with its night too";
}

TEST(InsideCounter, AnotherDayStartHourMovesTheRestart) {
    InsideCounter counter(4, 0);
    counter.CountIn(kEvening + 7 * kMicrosPerHour);                  // 03:00
    EXPECT_EQ(counter.Inside(kEvening + 8 * kMicrosPerHour - 1), 1); // 03:59:59.999999
    EXPECT_EQ(counter.Inside(kEvening + 8 * kMicrosPerHour), 0);     // 04:00
}

TEST(InsideCounter, AddsTheStoredNightOfEveryDoorBeforeItsOwnCounts) {
    const SeededNight night = MakeNight({"three doors", {"front", "side", "patio"}, 900, 13, 9, true, 12, 40});
    const std::int64_t start = night.period.from + 16 * kMicrosPerHour; // 22:00: the station starts
    int stored = 0;
    for (const auto& scan : night.rows.scans)
        stored +=
            scan.scannedAt < start && (scan.verdict == "ok" || scan.verdict == "flagged" || scan.verdict == "vip");
    for (const auto& count : night.rows.doorCounts)
        stored += count.at < start ? count.delta : 0;
    Reports::NightRows all = night.rows;
    all.scans.insert(all.scans.end(), night.noise.scans.begin() + 1, night.noise.scans.end()); // other nights
    all.doorCounts.insert(all.doorCounts.end(), night.noise.doorCounts.begin(), night.noise.doorCounts.end());

    InsideCounter counter(6, 0);
    counter.CountVerdict("ok", start + 1); // counted by the station while the store was being read
    counter.CountIn(start + 2);
    counter.AddStored(all, start);
    EXPECT_EQ(counter.Inside(start + 3), stored + 2);
    counter.AddStored(all, night.period.from - 1); // the night before adds nothing to this one
    EXPECT_EQ(counter.Inside(start + 3), stored + 2);
}

} // namespace
