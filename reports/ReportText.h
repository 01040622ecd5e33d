#pragma once
// A report as text for other programs: one JSON object (the keys "from", "to", "venue", "total",
// "byVerdict", "byHour", "byStation", "ageBands", "hints"), or CSV of the same figures as the window's
// tables (each table: its title on a line, its column names, its rows, its total line; a blank line after).

#include "FigureTables.h"
#include "ReportModel.h"

#include <string>

namespace Reports {

std::string ReportJson(const ReportModel& model);
std::string ReportCsv(const std::vector<FigureTable>& tables);

} // namespace Reports
