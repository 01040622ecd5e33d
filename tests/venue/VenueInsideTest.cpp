// The venue's inside count as a door shows it: the worker's readings, the door's rows since, the night
// they belong to, and what the waiting outbox rows add.
#include "VenueInside.h"
#include "VenueTime.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

using Venue::VenueCount;
using Venue::VenueInside;

constexpr Venue::Micros kNight = 1'800'000'000'000'000;
constexpr Venue::Micros kSecond = 1'000'000;

TEST(VenueInsideTest, NothingBeforeAReadingOfThatNight) {
    VenueInside inside;
    inside.NoteLocal(1, kNight + kSecond, 1);
    EXPECT_FALSE(inside.Inside(kNight));
    inside.Apply({kNight - 86400 * kSecond, 40, 0});
    EXPECT_FALSE(inside.Inside(kNight)) << "last night's reading stands for no count tonight";
}

TEST(VenueInsideTest, TheDoorCountsOnFromTheLastReadingAndNothingTwiceWhenTheNextComes) {
    VenueInside inside;
    inside.Apply({kNight, 10, 3});
    inside.NoteLocal(3, kNight + kSecond, 1); // held by the reading already
    EXPECT_EQ(inside.Inside(kNight), 10);
    // Offline: the door's own rows keep adding up.
    inside.NoteLocal(4, kNight + 2 * kSecond, 1);
    inside.NoteLocal(5, kNight + 3 * kSecond, 1);
    inside.NoteLocal(6, kNight + 4 * kSecond, -1);
    EXPECT_EQ(inside.Inside(kNight), 11);
    // Back: the reading holds rows 4 and 5 (uploaded or waiting) and another door's 3, not yet row 6.
    inside.Apply({kNight, 15, 5});
    EXPECT_EQ(inside.Inside(kNight), 14);
    inside.Apply({kNight, 14, 6});
    EXPECT_EQ(inside.Inside(kNight), 14);
}

TEST(VenueInsideTest, AnOlderReadingOfTheSameNightIsNoNewsButANewNightIs) {
    VenueInside inside;
    inside.Apply({kNight, 10, 8});
    inside.Apply({kNight, 7, 5});
    EXPECT_EQ(inside.Inside(kNight), 10);
    const Venue::Micros next = kNight + 86400 * kSecond;
    inside.NoteLocal(9, kNight + kSecond, 1);
    inside.NoteLocal(10, next + kSecond, 1);
    inside.Apply({next, 0, 8});
    EXPECT_FALSE(inside.Inside(kNight));
    EXPECT_EQ(inside.Inside(next), 1) << "only tonight's row of the door's rows since counts";
}

Venue::OutboxRow Scan(const std::string& venue, Venue::Micros at, Venue::Verdict verdict) {
    Venue::ScanEvent e;
    e.venue = venue;
    e.scannedAt = at;
    e.verdict = verdict;
    return {0, e};
}

Venue::OutboxRow Count(const std::string& venue, Venue::Micros at, int delta) {
    return {0, Venue::DoorCount{"id", venue, "door", at, delta}};
}

TEST(VenueInsideTest, WaitingRowsAddTheAdmittedScansAndDoorCountsOfTheVenuesNight) {
    using Venue::Verdict;
    const struct {
        const char* name;
        Venue::OutboxRow row;
        std::int64_t adds;
    } cases[] = {
        {"ok", Scan("a", kNight, Verdict::Ok), 1},
        {"flagged", Scan("a", kNight + 1, Verdict::Flagged), 1},
        {"vip", Scan("a", kNight + 1, Verdict::Vip), 1},
        {"under-age", Scan("a", kNight + 1, Verdict::UnderAge), 0},
        {"expired", Scan("a", kNight + 1, Verdict::Expired), 0},
        {"banned", Scan("a", kNight + 1, Verdict::Banned), 0},
        {"unknown", Scan("a", kNight + 1, Verdict::Unknown), 0},
        {"ok last night", Scan("a", kNight - 1, Verdict::Ok), 0},
        {"ok at another venue", Scan("b", kNight + 1, Verdict::Ok), 0},
        {"in by hand", Count("a", kNight + 1, 1), 1},
        {"out", Count("a", kNight + 1, -1), -1},
        {"out last night", Count("a", kNight - 1, -1), 0},
        {"list entry", {0, Venue::ListEntry{}}, 0},
    };
    std::vector<Venue::OutboxRow> all;
    std::int64_t expected = 0;
    for (const auto& c : cases) {
        EXPECT_EQ(VenueInside::PendingInside({c.row}, "a", kNight), c.adds) << c.name;
        all.push_back(c.row);
        expected += c.adds;
    }
    EXPECT_EQ(VenueInside::PendingInside(all, "a", kNight), expected);
}

// Local times made with the C library, as the door's clock reads them.
Venue::Micros Local(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_isdst = -1;
    return static_cast<Venue::Micros>(std::mktime(&t)) * kSecond;
}

TEST(VenueInsideTest, TheNightStartsAtTheDayStartHourAndRunsPastMidnight) {
    EXPECT_EQ(Venue::NightStart(Local(2026, 12, 8, 23, 30), 6), Local(2026, 12, 8, 6, 0));
    EXPECT_EQ(Venue::NightStart(Local(2026, 12, 9, 2, 15), 6), Local(2026, 12, 8, 6, 0));
    EXPECT_EQ(Venue::NightStart(Local(2026, 12, 9, 6, 0), 6), Local(2026, 12, 9, 6, 0));
    EXPECT_EQ(Venue::NightStart(Local(2027, 1, 1, 3, 0), 6), Local(2026, 12, 31, 6, 0));
    EXPECT_EQ(Venue::NightStart(Local(2026, 12, 9, 0, 10), 0), Local(2026, 12, 9, 0, 0));
}

} // namespace
