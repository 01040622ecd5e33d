#pragma once
// A report as PDF: one A4 landscape page per chart, each with the venue, the period and the time it was
// made over the chart, and the chart's figures with their total line beside it. Needs a QApplication
// (the charts are graphics widgets); no display: the offscreen platform will do.

#include "FigureTables.h"
#include "ReportModel.h"

#include <QString>

#include <cstdint>

namespace Reports {

// False, with the cause in `error`, when the file cannot be written.
bool WriteReportPdf(const QString& path, const ReportModel& model, const std::vector<FigureTable>& tables,
                    std::int64_t madeAt, QString& error);

} // namespace Reports
