#include "PgFailure.h"

namespace Venue {

FailureAction ActionForSqlState(const std::string& sqlstate) {
    if (sqlstate.size() != 5)
        return FailureAction::Retry;
    const std::string cls = sqlstate.substr(0, 2);
    // 22 data exception, 23 integrity constraint violation, 42 syntax error or access rule violation
    // (an RLS refusal is 42501): the same row gets the same answer every time.
    if (cls == "22" || cls == "23" || cls == "42")
        return FailureAction::Quarantine;
    // 08 connection, 40001/40P01 serialization and deadlock, 53 resources, 57P0x shutdown and the rest.
    return FailureAction::Retry;
}

FailureAction PgFailure::Action() const {
    return ActionForSqlState(sqlstate);
}

} // namespace Venue
