#pragma once
// The figures behind each chart as a table with a total line: what the window shows beside each chart,
// what each PDF page prints under its chart and what the CSV holds, so all three say the same.

#include "ReportModel.h"

#include <string>
#include <vector>

namespace Reports {

// Which chart a table belongs to (the window and the PDF draw the chart of that kind).
enum class Figure { ScansByTime, AgeBands, Sexes, Doors, Refusals, Hints, Holders, Inside };

struct FigureTable {
    Figure figure;
    std::string title;
    std::vector<std::string> columns; // the first names the row labels
    struct Row {
        std::string label;
        std::vector<long long> values;
    };
    std::vector<Row> rows;
    Row total;
};

// The label of a time bin: "22:00" for an hour, "2026-12-08" for a day (local time).
std::string BinLabel(const TimeBin& bin, Binning binning);

// All tables, in the order the window and the PDF show them. `doorsFirst` puts the doors' table first
// (a report asked for by station).
std::vector<FigureTable> FigureTables(const ReportModel& model, bool doorsFirst = false);

} // namespace Reports
