#pragma once
// The reports' query layer: the SELECTs of one venue's (or one group's) scan events and door counts in a
// period, and the mapping of their cells to rows. Every figure is made from these rows in C++ (ReportBuilder), so both
// engines give the same figures from the same SQL.

#include "IVenueSql.h"
#include "ReportPeriod.h"
#include "VenueRows.h"

namespace Reports {

// What a report covers: this venue's doors, or every venue of a group. In a group report a door is
// "venue/station", so the doors of two venues stay apart.
struct ReportScope {
    std::string venue; // this venue
    std::string group; // empty: this venue alone
    bool IsGroup() const { return !group.empty(); }
    const std::string& Name() const { return IsGroup() ? group : venue; }
};

// Reads the period's rows of the scope, in time order. On the venue database a group is every venue of
// kestrin.venue with that group; an embedded store holds one venue, so there a group is this venue.
// Throws VenueSqlError (from the engine, or for a cell that is not what the table holds).
NightRows LoadNight(IVenueSql& sql, const ReportScope& scope, const ReportPeriod& period);
NightRows LoadNight(IVenueSql& sql, const std::string& venue, const ReportPeriod& period);

// Whether this connection may read a whole group: on the venue database only a manager's login does (row
// security shows any other login its own venue only); an embedded store always. Throws VenueSqlError.
bool CanReadGroup(IVenueSql& sql);

} // namespace Reports
