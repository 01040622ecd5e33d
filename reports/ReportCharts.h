#pragma once
// The chart of each figure table, for the Reports window and the PDF: scans stacked by verdict in the
// verdicts' own colours, bars for counts, a pie for the sex split and a line for the inside count. The
// colours are fixed so a manager reads the same colour as the same verdict on every page and night.

#include "FigureTables.h"
#include "ReportModel.h"

#include <QColor>
#include <memory>

#include <QtCharts/QChart>

namespace Reports {

QColor VerdictColour(Verdict verdict);
// The colour of the n-th series of a chart that is not by verdict.
QColor SeriesColour(std::size_t n);

std::unique_ptr<QChart> MakeChart(const FigureTable& table, const ReportModel& model);

} // namespace Reports
