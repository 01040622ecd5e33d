// The date texts the record keeps: numbers written as std::to_string writes them, at every width a
// day, month or year can have and beyond it.

#include "CardDates.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using namespace MagneticStripeCards::CardDates;

TEST(CardDates, WritesNumbersAsToStringDoes) {
    const int numbers[] = {0,    1,    9,    10,    31,     99, 100, 101,     999,
                           1000, 2030, 9999, 10000, 123456, -1, -10, INT_MAX, INT_MIN};
    for (const int n : numbers) {
        const std::string written = std::to_string(n);
        EXPECT_EQ(JoinDate(n, 1, 2030), written + "/1/2030") << n;
        EXPECT_EQ(JoinDate(7, n, 2030), "7/" + written + "/2030") << n;
        EXPECT_EQ(JoinDate(7, 4, n), "7/4/" + written) << n;
        EXPECT_EQ(ExpiryText(n, 7, 4), "Jul-4-" + written) << n;
        EXPECT_EQ(ExpiryText(2030, 7, n), "Jul-" + written + "-2030") << n;
    }
}

TEST(CardDates, ExpiryTextNamesTheMonth) {
    const struct {
        int month;
        const char* text;
    } cases[] = {{1, "Jan-15-2008"}, {12, "Dec-15-2008"}, {0, "-15-2008"}, {13, "-15-2008"}, {-1, "-15-2008"}};
    for (const auto& c : cases)
        EXPECT_EQ(ExpiryText(2008, c.month, 15), c.text) << c.month;
}

} // namespace
