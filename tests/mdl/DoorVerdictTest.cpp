// What the door shows and logs for each kind of outcome: the colours, the headline in the age's place,
// the line under it, the amber note of an out-of-date trust list, and the log row's fields.

#include "RowName.h"

#include "MdlDoorVerdict.h"
#include "MdlLogRow.h"

#include <gtest/gtest.h>

#include <functional>

namespace MdlTests {
namespace {

using namespace Mdl;

MdlOutcome Verified(MdlOutcome::Age age) {
    MdlOutcome outcome;
    outcome.age = age;
    outcome.jurisdiction = QStringLiteral("US-UT");
    outcome.expiry = QDate(2031, 5, 31);
    return outcome;
}

MdlOutcome Failed(std::vector<Failure> failures) {
    MdlOutcome outcome;
    for (const Failure failure : failures)
        outcome.result.Fail(failure, QStringLiteral("The issuer's signature does not match."));
    outcome.result.issuer = QStringLiteral("CN=Some DS");
    return outcome;
}

struct VerdictRow {
    std::string name;
    std::function<MdlOutcome()> outcome;
    MdlDoorVerdict::Colour colour;
    std::string headline;
    std::string word;
    std::string line;
    std::string ageField;
};

class DoorVerdicts : public ::testing::TestWithParam<VerdictRow> {};

TEST_P(DoorVerdicts, ShowAndLogWhatTheOutcomeProves) {
    const VerdictRow& row = GetParam();
    const MdlOutcome outcome = row.outcome();
    const MdlDoorVerdict verdict = MdlDoorVerdict::From(outcome, 21, false);
    EXPECT_EQ(verdict.colour, row.colour);
    EXPECT_EQ(verdict.headline, row.headline);
    EXPECT_EQ(verdict.word, row.word);
    EXPECT_EQ(verdict.line, row.line);
    EXPECT_TRUE(verdict.notes.empty());
    EXPECT_EQ(MdlDoorVerdict::AgeField(outcome, 21), row.ageField);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, DoorVerdicts,
    ::testing::Values(
        VerdictRow{"verified_over", [] { return Verified(MdlOutcome::Age::Over); }, MdlDoorVerdict::Colour::Green,
                   "21+", "OK", "Mobile licence, verified: US-UT", "21+"},
        VerdictRow{"verified_under", [] { return Verified(MdlOutcome::Age::Under); }, MdlDoorVerdict::Colour::Red,
                   "UNDER 21", "", "Mobile licence, verified: US-UT", "under 21"},
        VerdictRow{"verified_without_age", [] { return Verified(MdlOutcome::Age::Unknown); },
                   MdlDoorVerdict::Colour::Red, "NOT VERIFIED", "", "The licence does not state the age.", ""},
        VerdictRow{"issuer_not_in_trust_folder", [] { return Failed({Failure::IssuerUntrusted}); },
                   MdlDoorVerdict::Colour::Amber, "Issuer not trusted", "",
                   "Valid signature by CN=Some DS, not in the trust folder", ""},
        VerdictRow{"untrusted_and_a_bad_signature",
                   [] {
                       return Failed({Failure::IssuerSignature, Failure::IssuerUntrusted});
                   },
                   MdlDoorVerdict::Colour::Red, "NOT VERIFIED", "", "The issuer's signature does not match.", ""},
        VerdictRow{"no_adapter", [] { return MdlOutcome::SessionFailure(QStringLiteral("No Bluetooth adapter")); },
                   MdlDoorVerdict::Colour::Red, "NOT VERIFIED", "", "No Bluetooth adapter", ""}),
    RowName());

TEST(DoorVerdict, AnOutOfDateTrustListAddsTheAmberNoteWithoutChangingTheVerdict) {
    const MdlDoorVerdict verdict = MdlDoorVerdict::From(Verified(MdlOutcome::Age::Over), 21, true);
    EXPECT_EQ(verdict.colour, MdlDoorVerdict::Colour::Green);
    EXPECT_EQ(verdict.notes, std::vector<std::string>{"trust list out of date"});
}

TEST(DoorVerdict, FollowsTheValidAgeInForce) {
    EXPECT_EQ(MdlDoorVerdict::From(Verified(MdlOutcome::Age::Over), 19, false).headline, "19+");
    EXPECT_EQ(MdlDoorVerdict::From(Verified(MdlOutcome::Age::Under), 19, false).headline, "UNDER 19");
}

TEST(MdlLogRow, HoldsDateStateExpiryAndAgeAndNothingElse) {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 11;
    t.tm_mday = 8;
    t.tm_hour = 21;
    t.tm_min = 5;
    t.tm_sec = 3;
    t.tm_wday = 2;
    MdlOutcome outcome = Verified(MdlOutcome::Age::Over);
    outcome.portrait = QByteArray("\xff\xd8 portrait bytes", 18);
    EXPECT_EQ(MdlLogRow::Row(outcome, 21, t),
              "\"Tue Dec 08 21:05:03 2026\",\"\",\"21+\",\"\",\"UT\",\"\",\"\",\"\",\"\",\"\","
              "\"05/31/2031\",\"\",\"\",\"\",\"\",\"\",\"\",\"12/8/2026\",\"21:5:3\"");
}

} // namespace
} // namespace MdlTests
