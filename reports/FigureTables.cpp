#include "FigureTables.h"

#include <algorithm>
#include <ctime>

namespace Reports {
namespace {

FigureTable::Row SumRow(const std::vector<FigureTable::Row>& rows, std::size_t width) {
    FigureTable::Row total{"Total", std::vector<long long>(width, 0)};
    for (const FigureTable::Row& row : rows)
        for (std::size_t c = 0; c < width && c < row.values.size(); ++c)
            total.values[c] += row.values[c];
    return total;
}

FigureTable ScansByTime(const ReportModel& model) {
    FigureTable table{
        Figure::ScansByTime, model.binning == Binning::Hour ? "Scans per hour" : "Scans per day", {}, {}, {}};
    table.columns.push_back(model.binning == Binning::Hour ? "Hour" : "Day");
    for (const char* name : kVerdictNames)
        table.columns.push_back(name);
    table.columns.push_back("all");
    for (const TimeBin& bin : model.bins) {
        FigureTable::Row row{BinLabel(bin, model.binning), {}};
        for (const int n : bin.byVerdict)
            row.values.push_back(n);
        row.values.push_back(bin.Total());
        table.rows.push_back(std::move(row));
    }
    table.total = SumRow(table.rows, kVerdicts + 1);
    return table;
}

template <std::size_t N>
FigureTable Counts(Figure figure, const char* title, const char* label, const char* column,
                   const std::array<const char*, N>& names, const std::array<int, N>& counts) {
    FigureTable table{figure, title, {label, column}, {}, {}};
    for (std::size_t i = 0; i < N; ++i)
        table.rows.push_back({names[i], {counts[i]}});
    table.total = SumRow(table.rows, 1);
    return table;
}

FigureTable AgeBands(const ReportModel& model) {
    FigureTable table =
        Counts(Figure::AgeBands, "Age bands of admitted holders", "Age", "Holders", kAgeBandNames, model.ageBands);
    if (model.admittedAgeUnknown > 0) {
        table.rows.push_back({"unknown", {model.admittedAgeUnknown}});
        table.total.values[0] += model.admittedAgeUnknown;
    }
    return table;
}

FigureTable Doors(const ReportModel& model) {
    FigureTable table{Figure::Doors, "Per door", {"Door", "Scans", "Refusals", "Unknowns"}, {}, {}};
    for (const auto& [station, door] : model.byStation)
        table.rows.push_back({station, {door.scans, door.refusals, door.unknowns}});
    table.total = SumRow(table.rows, 3);
    return table;
}

FigureTable Refusals(const ReportModel& model) {
    FigureTable table{Figure::Refusals, "Refusals by cause", {"Cause", "Refusals"}, {}, {}};
    for (const Verdict cause : kRefusalCauses)
        table.rows.push_back(
            {kVerdictNames[static_cast<std::size_t>(cause)], {model.byVerdict[static_cast<std::size_t>(cause)]}});
    table.total = SumRow(table.rows, 1);
    return table;
}

FigureTable Hints(const ReportModel& model) {
    FigureTable table{Figure::Hints, "Fake-ID hints by code", {"Hint", "Scans"}, {}, {}};
    for (const auto& [code, n] : model.hints)
        table.rows.push_back({code, {n}});
    table.total = SumRow(table.rows, 1); // a scan with two hints is in two rows
    return table;
}

FigureTable Holders(const ReportModel& model) {
    FigureTable table{Figure::Holders, "Holders and repeat scans", {"Scans", "Count"}, {}, {}};
    table.rows.push_back({"first scan of a holder", {model.distinctHolders}});
    table.rows.push_back({"repeat scan", {model.repeatScans}});
    table.rows.push_back({"holder not kept", {model.scansWithoutHmac}});
    table.total = SumRow(table.rows, 1);
    return table;
}

FigureTable Inside(const ReportModel& model) {
    FigureTable table{Figure::Inside, "Inside over the night", {"Time", "Inside at end", "Peak"}, {}, {}};
    for (const TimeBin& bin : model.bins)
        table.rows.push_back({BinLabel(bin, model.binning), {bin.insideAtEnd, bin.insidePeak}});
    table.total = {"Night", {model.InsideAtEnd(), model.insidePeak}};
    return table;
}

} // namespace

std::string BinLabel(const TimeBin& bin, Binning binning) {
    const std::time_t seconds = static_cast<std::time_t>(bin.start / kMicrosPerSecond);
    std::tm local{};
    localtime_r(&seconds, &local);
    char text[24];
    const std::size_t n = std::strftime(text, sizeof text, binning == Binning::Hour ? "%H:%M" : "%Y-%m-%d", &local);
    return std::string(text, n);
}

std::vector<FigureTable> FigureTables(const ReportModel& model, bool doorsFirst) {
    std::vector<FigureTable> tables{
        ScansByTime(model),
        AgeBands(model),
        Counts(Figure::Sexes, "Sex of admitted holders", "Sex", "Holders", kSexNames, model.sexes),
        Doors(model),
        Refusals(model),
        Hints(model),
        Holders(model),
        Inside(model)};
    if (doorsFirst)
        std::rotate(tables.begin(), tables.begin() + 3, tables.begin() + 4);
    return tables;
}

} // namespace Reports
