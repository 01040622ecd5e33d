// Which period an open Reports window reads again on a refresh tick: tonight follows the clock into the
// next night, a chosen range only while it has not ended, and no tick while a read runs.

#include "LivePeriod.h"
#include "SeedNight.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using Reports::kMicrosPerHour;
using Reports::LivePeriod;
using Reports::ReportPeriod;

const std::int64_t kMorning = SeedMorning(); // 06:00, the night's start
const std::int64_t kDay = 24 * kMicrosPerHour;

struct TickCase {
    const char* name;
    std::optional<ReportPeriod> chosen; // none: tonight, as at 22:00
    std::int64_t tick;
    bool busy;
    std::optional<ReportPeriod> due;
};

const TickCase kTicks[] = {
    {"tonight, later that night", std::nullopt, kMorning + 21 * kMicrosPerHour, false,
     ReportPeriod{kMorning, kMorning + kDay}},
    {"tonight, past the day's start", std::nullopt, kMorning + kDay + 1, false,
     ReportPeriod{kMorning + kDay, kMorning + 2 * kDay}},
    {"tonight, a read still running", std::nullopt, kMorning + 21 * kMicrosPerHour, true, std::nullopt},
    {"a past range", ReportPeriod{kMorning - 2 * kDay, kMorning - kDay}, kMorning + 16 * kMicrosPerHour, false,
     std::nullopt},
    {"a range that has just ended", ReportPeriod{kMorning, kMorning + 16 * kMicrosPerHour},
     kMorning + 16 * kMicrosPerHour, false, std::nullopt},
    {"a range not yet ended", ReportPeriod{kMorning - kDay, kMorning + 18 * kMicrosPerHour},
     kMorning + 16 * kMicrosPerHour, false, ReportPeriod{kMorning - kDay, kMorning + 18 * kMicrosPerHour}},
    {"a range not yet ended, a read still running", ReportPeriod{kMorning - kDay, kMorning + 18 * kMicrosPerHour},
     kMorning + 16 * kMicrosPerHour, true, std::nullopt},
};

TEST(LivePeriod, ATickReadsTonightOrAnUnendedRangeAgainButNeverAPastOne) {
    for (const TickCase& c : kTicks) {
        SCOPED_TRACE(c.name);
        LivePeriod live(6);
        if (c.chosen)
            live.Choose(*c.chosen);
        else
            live.FollowTonight(kMorning + 16 * kMicrosPerHour);
        const std::optional<ReportPeriod> due = live.DueAt(c.tick, c.busy);
        ASSERT_EQ(due.has_value(), c.due.has_value());
        if (!due)
            continue;
        EXPECT_EQ(due->from, c.due->from);
        EXPECT_EQ(due->to, c.due->to);
        EXPECT_EQ(live.Current().from, c.due->from); // what the window then shows
    }
}

// Choosing a range stops the following; Tonight starts it again.
TEST(LivePeriod, ChoosingARangeStopsFollowingTonightUntilTonightIsAskedAgain) {
    LivePeriod live(6);
    live.FollowTonight(kMorning + kMicrosPerHour);
    live.Choose({kMorning - 3 * kDay, kMorning - 2 * kDay});
    EXPECT_FALSE(live.DueAt(kMorning + 2 * kDay, false));
    live.FollowTonight(kMorning + kMicrosPerHour);
    const auto due = live.DueAt(kMorning + 2 * kDay, false);
    ASSERT_TRUE(due);
    EXPECT_EQ(due->from, kMorning + 2 * kDay);
}

} // namespace
