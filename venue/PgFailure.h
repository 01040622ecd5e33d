#pragma once
// What a failed statement means for the row that caused it, sorted by SQLSTATE class: a failure of the
// link or of the server's load is retried later with the same rows; a failure the row itself causes
// (bad data, a constraint, a refused privilege) would fail forever, so that row is set aside and the
// rest go on. Anything else is retried too: losing a scan is worse than trying again.

#include <string>

namespace Venue {

enum class FailureAction { Retry, Quarantine };

struct PgFailure {
    std::string sqlstate; // empty when the link failed before the server answered
    std::string message;

    FailureAction Action() const;
    bool LinkLost() const { return sqlstate.empty() || sqlstate.compare(0, 2, "08") == 0; }
};

FailureAction ActionForSqlState(const std::string& sqlstate);

} // namespace Venue
