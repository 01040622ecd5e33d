#include "ReportPdf.h"

#include "ReportCharts.h"

#include <QFile>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsScene>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

namespace Reports {
namespace {

constexpr int kDpi = 150;

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

QString PeriodText(const ReportModel& model) {
    return Q(LocalIso(model.period.from)) + QStringLiteral(" to ") + Q(LocalIso(model.period.to));
}

// The table: a label column and the value columns, the total line in bold under a rule. The font is made
// as large as lets the widest line fit the area's width and every line its height.
void DrawTable(QPainter& painter, const FigureTable& table, const QRectF& area) {
    auto numbers = [](const std::vector<long long>& values) {
        QStringList texts;
        for (const long long v : values)
            texts << QString::number(v);
        return texts;
    };
    QStringList heads;
    for (std::size_t c = 1; c < table.columns.size(); ++c)
        heads << Q(table.columns[c]);
    std::vector<std::pair<QString, QStringList>> lines{{Q(table.columns[0]), heads}};
    for (const FigureTable::Row& row : table.rows)
        lines.emplace_back(Q(row.label), numbers(row.values));
    lines.emplace_back(Q(table.total.label), numbers(table.total.values));

    QFont font = painter.font();
    const double lineHeight = std::min(area.height() / static_cast<double>(lines.size()), kDpi * 0.25);
    font.setPixelSize(std::max(4, static_cast<int>(lineHeight * 0.7)));
    std::vector<double> widths;
    double total = 0;
    for (;;) {
        font.setBold(true);
        const QFontMetricsF metrics(font);
        const double gap = metrics.horizontalAdvance(QStringLiteral("  "));
        widths.assign(static_cast<std::size_t>(heads.size()) + 1, 0.0);
        for (const auto& [label, values] : lines) {
            widths[0] = std::max(widths[0], metrics.horizontalAdvance(label) + gap);
            for (int c = 0; c < values.size(); ++c)
                widths[static_cast<std::size_t>(c) + 1] =
                    std::max(widths[static_cast<std::size_t>(c) + 1], metrics.horizontalAdvance(values[c]) + gap);
        }
        total = 0;
        for (const double w : widths)
            total += w;
        if (total <= area.width() || font.pixelSize() <= 4)
            break;
        font.setPixelSize(font.pixelSize() - 1);
    }
    const std::size_t last = lines.size() - 1;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        font.setBold(i == 0 || i == last);
        painter.setFont(font);
        const double y = area.top() + static_cast<double>(i) * lineHeight;
        if (i == last)
            painter.drawLine(QPointF(area.left(), y), QPointF(area.left() + total, y));
        double x = area.left();
        painter.drawText(QRectF(x, y, widths[0], lineHeight), Qt::AlignLeft | Qt::AlignVCenter, lines[i].first);
        x += widths[0];
        for (int c = 0; c < lines[i].second.size(); ++c) {
            const double w = widths[static_cast<std::size_t>(c) + 1];
            painter.drawText(QRectF(x, y, w, lineHeight), Qt::AlignRight | Qt::AlignVCenter, lines[i].second[c]);
            x += w;
        }
    }
}

void DrawPage(QPainter& painter, const QRect& page, const FigureTable& table, const ReportModel& model,
              std::int64_t madeAt) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(kDpi / 4);
    font.setBold(true);
    painter.setFont(font);
    const int head = kDpi / 3;
    painter.drawText(QRect(page.left(), page.top(), page.width(), head), Qt::AlignLeft | Qt::AlignVCenter,
                     Q(table.title));
    font.setPixelSize(kDpi / 8);
    font.setBold(false);
    painter.setFont(font);
    const QString facts = QStringLiteral("Venue: ") + Q(model.venue) + QStringLiteral("    Period: ") +
                          PeriodText(model) + QStringLiteral("    Made: ") + Q(LocalIso(madeAt));
    painter.drawText(QRect(page.left(), page.top() + head, page.width(), head / 2), Qt::AlignLeft | Qt::AlignVCenter,
                     facts);

    const int top = page.top() + head * 2;
    const bool wide = table.columns.size() > 4; // the verdicts' table needs about as much room as its chart
    const QRect chartArea(page.left(), top, page.width() * (wide ? 52 : 62) / 100, page.bottom() - top);
    const QRectF tableArea(chartArea.right() + kDpi / 5, top, page.right() - chartArea.right() - kDpi / 5,
                           page.bottom() - top);
    QGraphicsScene scene;
    std::unique_ptr<QChart> chart = MakeChart(table, model);
    // Laid out at screen size and scaled onto the page, so its fonts and lines keep their proportions.
    const QSizeF screenSize = QSizeF(chartArea.size()) * (96.0 / kDpi);
    chart->resize(screenSize);
    scene.addItem(chart.release()); // the scene owns it now
    scene.setSceneRect(QRectF(QPointF(0, 0), screenSize));
    scene.render(&painter, chartArea, scene.sceneRect());
    DrawTable(painter, table, tableArea);
}

} // namespace

bool WriteReportPdf(const QString& path, const ReportModel& model, const std::vector<FigureTable>& tables,
                    std::int64_t madeAt, QString& error) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        error = QStringLiteral("cannot write ") + path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    QPdfWriter writer(&file);
    writer.setResolution(kDpi);
    writer.setTitle(QStringLiteral("Kestrin report, ") + Q(model.venue));
    writer.setCreator(QStringLiteral("Kestrin"));
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF(12, 12, 12, 12),
                                     QPageLayout::Millimeter));
    QPainter painter;
    if (!painter.begin(&writer)) {
        error = QStringLiteral("cannot make a PDF in ") + path;
        return false;
    }
    const QRect page =
        writer.pageLayout().paintRectPixels(kDpi).translated(-writer.pageLayout().paintRectPixels(kDpi).topLeft());
    bool first = true;
    for (const FigureTable& table : tables) {
        if (!first)
            writer.newPage();
        first = false;
        DrawPage(painter, page, table, model, madeAt);
    }
    painter.end();
    file.close();
    if (file.error() != QFileDevice::NoError) {
        error = QStringLiteral("cannot write ") + path + QStringLiteral(": ") + file.errorString();
        return false;
    }
    return true;
}

} // namespace Reports
