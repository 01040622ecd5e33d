// Middle names and the full name are joined on the stack while they fit; longer ones (no card's, but
// a scan may carry anything) must come out whole all the same.

#include "AamvaNames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace MagneticStripeCards;

TEST(AamvaNames, MiddleNamesJoined) {
    const std::string longName(100, 'M');
    const struct {
        const char* name;
        std::string value;
        std::string middle;
    } cases[] = {
        {"one name", " LUZ ", "LUZ"},
        {"commas", "MARIA,LUZ", "MARIA LUZ"},
        {"spaces", "MARIA  LUZ ", "MARIA LUZ"},
        {"commas keep spaces inside", "MARIA JOSE, LUZ", "MARIA JOSE LUZ"},
        {"no-names left out", "NONE,LUZ,unavl", "LUZ"},
        {"empty parts", ",,LUZ,", "LUZ"},
        {"only a no-name", "unavail", ""},
        {"longer than the stack", longName + "," + longName, longName + " " + longName},
        {"the stack filled exactly", std::string(63, 'A') + "," + std::string(64, 'B'),
         std::string(63, 'A') + " " + std::string(64, 'B')},
        {"one past the stack", std::string(64, 'A') + "," + std::string(64, 'B'),
         std::string(64, 'A') + " " + std::string(64, 'B')},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AamvaNames::Middle(c.value), c.middle) << c.name;
}

TEST(AamvaNames, FullNameSkipsEmptyParts) {
    const std::string longName(120, 'L');
    EXPECT_EQ(AamvaNames::FullName("MORALES", "ISABEL", "MARIA LUZ", "JR"), "MORALES ISABEL MARIA LUZ JR");
    EXPECT_EQ(AamvaNames::FullName("", "ISABEL", "", "JR"), "ISABEL JR");
    EXPECT_EQ(AamvaNames::FullName("", "", "", ""), "");
    EXPECT_EQ(AamvaNames::FullName(longName, "ISABEL", "", "III"), longName + " ISABEL III");
}

} // namespace
