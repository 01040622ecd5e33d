#pragma once
// The reports' query layer: the SELECTs of one venue's scan events and door counts in a period, and the
// mapping of their cells to rows. Every figure is made from these rows in C++ (ReportBuilder), so both
// engines give the same figures from the same SQL.

#include "IVenueSql.h"
#include "ReportPeriod.h"
#include "VenueRows.h"

namespace Reports {

extern const char kScanEventSelect[];
extern const char kDoorCountSelect[];

// Reads the period's rows of `venue`, in time order. Throws VenueSqlError (from the engine, or for a
// cell that is not what the table holds).
NightRows LoadNight(IVenueSql& sql, const std::string& venue, const ReportPeriod& period);

} // namespace Reports
