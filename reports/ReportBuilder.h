#pragma once
// Makes a report's figures from a period's rows (EventQuery): one pass over the scans and the door counts,
// so a night of thousands of scans takes milliseconds. The bins cover the whole period, empty ones
// included, so a quiet hour shows as a gap in the chart rather than vanishing.

#include "ReportModel.h"
#include "VenueRows.h"

#include <optional>

namespace Reports {

struct ReportRequest {
    std::string venue;
    ReportPeriod period;
    Binning binning = Binning::Hour;
    int dayStartHour = 6; // where a day bin starts
    std::string group;    // empty: this venue's doors; else every venue of this group (the model names it)
};

ReportModel BuildReport(const ReportRequest& request, const NightRows& rows);

// The verdict a stored text names, or nothing for a text that is none of the seven.
std::optional<Verdict> ParseVerdict(const std::string& text);
// The age band index of an admitted holder's age, or nothing below 18.
std::optional<std::size_t> AgeBand(int age);
std::size_t SexIndex(const std::string& sexCode);

} // namespace Reports
