#pragma once
// The scan log's row for a mobile licence, in the log's usual 19 columns: the date and time, the
// AGE field ("21+" or "under 21"), the state and the expiry as the licence gave them, the scan's date
// and time at the end; every other field empty. Nothing else of the licence, and never the portrait.

#include "MdlOutcome.h"

#include <ctime>
#include <string>

namespace Mdl {

class MdlLogRow {
public:
    static std::string Row(const MdlOutcome& outcome, int validAge, const std::tm& scanTime);
    // "UT" from "US-UT"; other forms as given.
    static std::string State(const QString& jurisdiction);
};

} // namespace Mdl
