#pragma once
// Which store a report reads: the venue database when the hive names one ("Venue Database"; this
// venue's doors, as the login's row security lets it see them), else the embedded file beside the hive,
// opened read-only so that a report never creates or changes it. The opener runs on the report's worker.

#include "ReportLoader.h"

#include <string>

namespace Reports {

StoreOpener ReportStoreOpener(const std::string& venueDatabase);

} // namespace Reports
