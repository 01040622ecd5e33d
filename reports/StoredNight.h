#pragma once
// Reads a venue's stored rows of a period off the user-interface thread and hands them to `done` on the
// thread of `context` (not at all when `context` is gone first, or the store cannot be read: then
// `failed` gets the cause). The station's inside count starts from them.

#include "ReportLoader.h"
#include "VenueRows.h"

#include <QObject>

#include <functional>

namespace Reports {

void ReadStoredNight(QObject* context, StoreOpener opener, const std::string& venue, const ReportPeriod& period,
                     std::function<void(const NightRows&)> done, std::function<void(const std::string&)> failed);

} // namespace Reports
