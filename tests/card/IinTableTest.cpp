// The issuer table: found by number at each end of its two ranges and nowhere between or beyond them,
// only for six digits, and consistent with the jurisdictions' own numbers.

#include "IinTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using MagneticStripeCards::IinTable::FindIssuer;
using MagneticStripeCards::IinTable::IinOfJurisdiction;

TEST(IinTable, FindsIssuersByNumber) {
    const struct {
        const char* iin;
        const char* jurisdiction; // nullptr: no issuer
    } cases[] = {
        {"604425", nullptr},
        {"604426", "PE"},
        {"604430", "MP"},
        {"604434", "NT"},
        {"604435", nullptr},
        {"635999", nullptr},
        {"636000", "VA"},
        {"636015", "TX"},
        {"636027", ""},
        {"636062", "VI"},
        {"636063", nullptr},
        {"000000", nullptr},
        {"999999", nullptr},
        {"636100", nullptr},
        // Not six digits.
        {"63601", nullptr},
        {"6360150", nullptr},
        {"", nullptr},
        {"63601X", nullptr},
        {" 36015", nullptr},
        {"-36015", nullptr},
        {"63601/", nullptr},
        {"63601:", nullptr},
    };
    for (const auto& c : cases) {
        const auto* issuer = FindIssuer(c.iin);
        if (c.jurisdiction == nullptr) {
            EXPECT_EQ(issuer, nullptr) << c.iin;
            continue;
        }
        ASSERT_NE(issuer, nullptr) << c.iin;
        EXPECT_EQ(std::string(issuer->iin), c.iin);
        EXPECT_EQ(std::string(issuer->jurisdiction), c.jurisdiction) << c.iin;
    }
}

TEST(IinTable, EveryJurisdictionsNumberFindsIt) {
    const char* const codes[] = {"PE", "AS", "QC", "YT", "MP", "PR", "AB", "NU", "NT", "VA", "NY", "MA", "MD", "NC",
                                 "SC", "CT", "LA", "MT", "NM", "FL", "DE", "ON", "NS", "CA", "TX", "NL", "NB", "IA",
                                 "GU", "CO", "AR", "KS", "OH", "VT", "PA", "AZ", "BC", "OR", "MO", "WI", "MI", "AL",
                                 "ND", "IL", "NJ", "IN", "MN", "NH", "UT", "ME", "SD", "DC", "SK", "WA", "KY", "HI",
                                 "MB", "NV", "ID", "MS", "RI", "TN", "NE", "GA", "OK", "AK", "WY", "WV", "VI"};
    for (const char* code : codes) {
        const std::string iin = IinOfJurisdiction(code);
        const auto* issuer = FindIssuer(iin);
        ASSERT_NE(issuer, nullptr) << code;
        EXPECT_EQ(std::string(issuer->jurisdiction), code);
    }
}

} // namespace
