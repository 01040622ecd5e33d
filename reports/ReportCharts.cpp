#include "ReportCharts.h"

#include <QDateTime>
#include <QtCharts/QBarCategoryAxis>
#include <QtCharts/QBarSeries>
#include <QtCharts/QBarSet>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLineSeries>
#include <QtCharts/QPieSeries>
#include <QtCharts/QStackedBarSeries>
#include <QtCharts/QValueAxis>

#include <algorithm>
#include <array>

namespace Reports {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// Whole-number ticks that reach a little above the highest bar.
QValueAxis* CountAxis(long long highest) {
    auto* axis = new QValueAxis;
    axis->setRange(0, static_cast<double>(std::max<long long>(highest, 1)) * 1.1);
    axis->setLabelFormat(QStringLiteral("%d"));
    axis->applyNiceNumbers();
    return axis;
}

std::unique_ptr<QChart> NewChart(const FigureTable& table) {
    auto chart = std::make_unique<QChart>();
    chart->setTitle(Q(table.title));
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    return chart;
}

QStringList Labels(const FigureTable& table) {
    QStringList labels;
    for (const FigureTable::Row& row : table.rows)
        labels << Q(row.label);
    return labels;
}

void Attach(QChart& chart, QAbstractSeries* series, const QStringList& categories, long long highest) {
    chart.addSeries(series);
    auto* x = new QBarCategoryAxis;
    x->append(categories);
    chart.addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    QValueAxis* y = CountAxis(highest);
    chart.addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
}

std::unique_ptr<QChart> StackedByVerdict(const FigureTable& table) {
    auto chart = NewChart(table);
    auto* series = new QStackedBarSeries;
    long long highest = 0;
    for (std::size_t v = 0; v < kVerdicts; ++v) {
        auto* set = new QBarSet(QString::fromLatin1(kVerdictNames[v]));
        set->setColor(VerdictColour(static_cast<Verdict>(v)));
        set->setBorderColor(VerdictColour(static_cast<Verdict>(v)));
        for (const FigureTable::Row& row : table.rows)
            *set << static_cast<double>(row.values[v]);
        series->append(set);
    }
    for (const FigureTable::Row& row : table.rows)
        highest = std::max(highest, row.values[kVerdicts]);
    series->setBarWidth(0.8);
    Attach(*chart, series, Labels(table), highest);
    if (table.rows.size() > 8) { // a night's hours side by side: upright labels leave each its room
        QAbstractAxis* x = chart->axes(Qt::Horizontal).front();
        x->setLabelsAngle(-90);
        x->setTruncateLabels(false);
    }
    chart->legend()->setAlignment(Qt::AlignRight); // seven names in a column, none cut short
    return chart;
}

// One bar set per value column (the doors: scans, refusals, unknowns side by side).
std::unique_ptr<QChart> Bars(const FigureTable& table) {
    auto chart = NewChart(table);
    auto* series = new QBarSeries;
    long long highest = 0;
    for (std::size_t c = 1; c < table.columns.size(); ++c) {
        auto* set = new QBarSet(Q(table.columns[c]));
        set->setColor(SeriesColour(c - 1));
        set->setBorderColor(SeriesColour(c - 1));
        for (const FigureTable::Row& row : table.rows) {
            *set << static_cast<double>(row.values[c - 1]);
            highest = std::max(highest, row.values[c - 1]);
        }
        series->append(set);
    }
    if (table.columns.size() == 2)
        chart->legend()->hide(); // one set: the title says what it counts
    Attach(*chart, series, Labels(table), highest);
    return chart;
}

// A pie of the rows; `colour` gives each row's slice its colour.
template <class Colour> std::unique_ptr<QChart> Pie(const FigureTable& table, Colour colour) {
    auto chart = NewChart(table);
    auto* series = new QPieSeries;
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const long long n = table.rows[r].values[0];
        if (n == 0)
            continue;
        auto* slice =
            series->append(Q(table.rows[r].label) + QStringLiteral(" ") + QString::number(n), static_cast<double>(n));
        slice->setColor(colour(r));
        slice->setBorderColor(Qt::white);
    }
    chart->addSeries(series);
    chart->legend()->setAlignment(Qt::AlignRight);
    return chart;
}

std::unique_ptr<QChart> InsideLine(const FigureTable& table, const ReportModel& model) {
    auto chart = NewChart(table);
    auto* series = new QLineSeries;
    series->setName(QStringLiteral("inside"));
    QPen pen(SeriesColour(0));
    pen.setWidth(3);
    series->setPen(pen);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(model.inside.size() * 2 + 1));
    int last = 0;
    for (const InsidePoint& point : model.inside) { // steps: the count holds until the next change
        const double ms = static_cast<double>(point.at / 1000);
        points << QPointF(ms, last) << QPointF(ms, point.inside);
        last = point.inside;
    }
    points << QPointF(static_cast<double>(model.period.to / 1000), last);
    series->replace(points);
    chart->addSeries(series);
    chart->legend()->hide();
    auto* x = new QDateTimeAxis;
    x->setFormat(model.binning == Binning::Hour ? QStringLiteral("HH:mm") : QStringLiteral("MM-dd"));
    x->setRange(QDateTime::fromMSecsSinceEpoch(model.period.from / 1000),
                QDateTime::fromMSecsSinceEpoch(model.period.to / 1000));
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    int lowest = 0;
    for (const InsidePoint& point : model.inside)
        lowest = std::min(lowest, point.inside);
    QValueAxis* y = CountAxis(model.insidePeak);
    y->setMin(lowest);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    return chart;
}

} // namespace

QColor VerdictColour(Verdict verdict) {
    static const std::array<QColor, kVerdicts> kColours = {
        QColor(0x2e, 0x7d, 0x32), // ok: green
        QColor(0xc6, 0x28, 0x28), // under-age: red
        QColor(0xef, 0x6c, 0x00), // expired: orange
        QColor(0x75, 0x75, 0x75), // unknown: grey
        QColor(0x6a, 0x1b, 0x9a), // banned: purple
        QColor(0xf9, 0xa8, 0x25), // flagged: amber
        QColor(0x15, 0x65, 0xc0), // vip: blue
    };
    return kColours[static_cast<std::size_t>(verdict)];
}

QColor SeriesColour(std::size_t n) {
    static const std::array<QColor, 6> kColours = {QColor(0x00, 0x83, 0x8f), QColor(0xc6, 0x28, 0x28),
                                                   QColor(0x75, 0x75, 0x75), QColor(0x8e, 0x24, 0xaa),
                                                   QColor(0xf9, 0xa8, 0x25), QColor(0x55, 0x8b, 0x2f)};
    return kColours[n % kColours.size()];
}

std::unique_ptr<QChart> MakeChart(const FigureTable& table, const ReportModel& model) {
    switch (table.figure) {
    case Figure::ScansByTime:
        return StackedByVerdict(table);
    case Figure::Sexes:
        return Pie(table, SeriesColour);
    case Figure::Refusals: // in the colours of the verdicts they are
        return Pie(table, [](std::size_t r) { return VerdictColour(kRefusalCauses[r]); });
    case Figure::Inside:
        return InsideLine(table, model);
    case Figure::AgeBands:
    case Figure::Doors:
    case Figure::Hints:
    case Figure::Holders:
        break;
    }
    return Bars(table);
}

} // namespace Reports
