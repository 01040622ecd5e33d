// The door's notice about its own clock against the venue server's: nothing within two minutes either
// way (nor before any reading), beyond them the offset in whole minutes, rounded, whichever way it goes.

#include "CycleDisplay.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr std::int64_t kSecond = 1'000'000;

struct OffsetCase {
    const char* name;
    std::optional<std::int64_t> offsetUs;
    const char* notice;
};

const OffsetCase kOffsets[] = {
    {"no reading yet", std::nullopt, ""},
    {"in step", 0, ""},
    {"just inside, server ahead", 120 * kSecond, ""},
    {"just inside, server behind", -120 * kSecond, ""},
    {"just beyond, server ahead", 120 * kSecond + 1, "Station clock is 2 min off the venue server"},
    {"just beyond, server behind", -120 * kSecond - 1, "Station clock is 2 min off the venue server"},
    {"two and a half minutes rounds up", 150 * kSecond, "Station clock is 3 min off the venue server"},
    {"under two and a half rounds down", -149 * kSecond, "Station clock is 2 min off the venue server"},
    {"hours off", -3 * 3600 * kSecond - 20 * kSecond, "Station clock is 180 min off the venue server"},
    {"a year off", 365LL * 24 * 3600 * kSecond, "Station clock is 525600 min off the venue server"},
};

TEST(ClockNotice, SaysTheOffsetInMinutesOnlyBeyondTwoMinutes) {
    for (const OffsetCase& c : kOffsets)
        EXPECT_EQ(ClockNotice(c.offsetUs), c.notice) << c.name;
}

} // namespace
