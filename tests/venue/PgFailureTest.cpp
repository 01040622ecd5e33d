// Which failures keep a row waiting and which set it aside: a row must never be dropped for a failure
// of the link or the server's load, and a row the server refuses for itself must never block the rest.

#include <gtest/gtest.h>

#include "PgFailure.h"

namespace {

struct Case {
    const char* name;
    const char* sqlstate;
    Venue::FailureAction action;
};

TEST(PgFailure, SqlStateClassesDecideRetryOrQuarantine) {
    using A = Venue::FailureAction;
    const Case cases[] = {
        {"link lost before an answer", "", A::Retry},
        {"connection failure", "08006", A::Retry},
        {"serialization failure", "40001", A::Retry},
        {"deadlock", "40P01", A::Retry},
        {"disk full", "53100", A::Retry},
        {"too many connections", "53300", A::Retry},
        {"admin shutdown", "57P01", A::Retry},
        {"crash shutdown", "57P02", A::Retry},
        {"cannot connect now", "57P03", A::Retry},
        {"bad timestamp", "22008", A::Quarantine},
        {"bad text representation", "22P02", A::Quarantine},
        {"check violation (no partition, bad verdict)", "23514", A::Quarantine},
        {"not null violation", "23502", A::Quarantine},
        {"row security refusal", "42501", A::Quarantine},
        {"undefined table", "42P01", A::Quarantine},
        {"unknown class", "XX000", A::Retry},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Venue::ActionForSqlState(c.sqlstate), c.action) << c.name;
    EXPECT_TRUE((Venue::PgFailure{"", "x"}.LinkLost()));
    EXPECT_TRUE((Venue::PgFailure{"08003", "x"}.LinkLost()));
    EXPECT_FALSE((Venue::PgFailure{"23514", "x"}.LinkLost()));
}

} // namespace
