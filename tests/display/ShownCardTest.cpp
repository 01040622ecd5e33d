// What the result display takes from a decoded card: the day of coming of age for a holder under the
// valid age, and the fake-ID hints as their texts. Golden scans as of 2026-03-10.

#include "ShownCard.h"
#include "Card.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::string Scan(const std::string& name) {
    std::ifstream in(std::filesystem::path(KESTRIN_TEST_DATA) / "card" / (name + ".txt"), std::ios::binary);
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

struct Case {
    const char* scan;
    int validAge;
    const char* comesOfAgeOn;
    std::vector<std::string> warnings;
};

TEST(ShownCardOf, ComesOfAgeForMinorsOnlyAndHintsAsTexts) {
    const MagneticStripeCards::FixedClock now(2026, 3, 10, 14, 5, 33);
    const Case cases[] = {
        {"aamva/leap_day_birth", 21, "Mar 1, 2029", {}}, // born 29 Feb 2008, the barcode's under-21 date agrees
        {"aamva/leap_day_birth", 18, "", {}},            // 18 already
        {"aamva/v10_canada_year_first", 21, "Jun 22, 2026", {}},
        {"aamva/v10_canada_year_first", 25, "Jun 22, 2030", {}},
        {"aamva/warn_under21_mismatch", 30, "Jul 4, 2029", {"The under-21 date does not match the birth date."}},
        {"aamva/warn_birth_in_future", 21, "Jan 1, 2048", {"The birth date is in the future."}},
        {"stripe/warn_birth_day_32", 40, "", {"The birth date is not a real date."}}, // no birth date to count from
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.scan) + " valid age " + std::to_string(c.validAge));
        const MagneticStripeCards::Card card(Scan(c.scan), now);
        const ShownCard shown = ShownCardOf(card, c.validAge);
        EXPECT_EQ(shown.comesOfAgeOn, c.comesOfAgeOn);
        EXPECT_EQ(shown.warnings, c.warnings);
        EXPECT_EQ(shown.ageText, card.AgeText());
    }
}

} // namespace
