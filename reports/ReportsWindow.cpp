#include "ReportsWindow.h"

#include "FigureTables.h"
#include "ReportCharts.h"
#include "ReportPdf.h"
#include "ReportText.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtCharts/QChartView>

namespace Reports {
namespace {

QDateTime ToDateTime(std::int64_t micros) {
    return QDateTime::fromMSecsSinceEpoch(micros / 1000);
}

std::int64_t ToMicros(const QDateTime& time) {
    return time.toMSecsSinceEpoch() * 1000;
}

QTableWidget* FiguresTable(const FigureTable& table) {
    const int rows = static_cast<int>(table.rows.size()) + 1;
    const int columns = static_cast<int>(table.columns.size());
    auto* widget = new QTableWidget(rows, columns);
    QStringList heads;
    for (const std::string& column : table.columns)
        heads << QString::fromStdString(column);
    widget->setHorizontalHeaderLabels(heads);
    widget->verticalHeader()->hide();
    widget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto put = [widget](int row, const FigureTable::Row& line, bool bold) {
        auto cell = [bold](const QString& text, Qt::Alignment alignment) {
            auto* item = new QTableWidgetItem(text);
            item->setTextAlignment(alignment | Qt::AlignVCenter);
            QFont font = item->font();
            font.setBold(bold);
            item->setFont(font);
            return item;
        };
        widget->setItem(row, 0, cell(QString::fromStdString(line.label), Qt::AlignLeft));
        for (std::size_t c = 0; c < line.values.size(); ++c)
            widget->setItem(row, static_cast<int>(c) + 1, cell(QString::number(line.values[c]), Qt::AlignRight));
    };
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        put(static_cast<int>(r), table.rows[r], false);
    put(rows - 1, table.total, true);
    widget->resizeColumnsToContents();
    return widget;
}

} // namespace

ReportsWindow::ReportsWindow(ReportsWindowSetup setup, QWidget* parent)
    : QDialog(parent), m_setup(std::move(setup)), m_loader(m_setup.opener, this), m_from(new QDateTimeEdit),
      m_to(new QDateTimeEdit), m_status(new QLabel), m_pdf(new QPushButton(QStringLiteral("Export &PDF..."))),
      m_csv(new QPushButton(QStringLiteral("Export &CSV..."))), m_tabs(new QTabWidget),
      m_group(new QCheckBox(QStringLiteral("Group"))) {
    setWindowTitle(QStringLiteral("Reports"));
    for (QDateTimeEdit* edit : {m_from, m_to}) {
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm"));
        edit->setCalendarPopup(true);
    }
    auto* tonight = new QPushButton(QStringLiteral("&Tonight"));
    auto* show = new QPushButton(QStringLiteral("&Show"));
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("From")));
    bar->addWidget(m_from);
    bar->addWidget(new QLabel(QStringLiteral("to")));
    bar->addWidget(m_to);
    bar->addWidget(show);
    bar->addWidget(tonight);
    bar->addWidget(m_group);
    bar->addStretch(1);
    bar->addWidget(m_pdf);
    bar->addWidget(m_csv);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_status);
    layout->addWidget(m_tabs, 1);
    m_pdf->setEnabled(false);
    m_csv->setEnabled(false);
    m_group->hide(); // until the connection proves a manager's

    connect(tonight, &QPushButton::clicked, this, &ReportsWindow::ShowTonight);
    connect(show, &QPushButton::clicked, this, &ReportsWindow::ShowChosen);
    connect(m_pdf, &QPushButton::clicked, this, &ReportsWindow::AskPdf);
    connect(m_csv, &QPushButton::clicked, this, &ReportsWindow::AskCsv);
    connect(&m_loader, &ReportLoader::Loaded, this, &ReportsWindow::Loaded);
    connect(&m_loader, &ReportLoader::Failed, this, &ReportsWindow::Failed);
    connect(&m_loader, &ReportLoader::GroupReadable, this, &ReportsWindow::OfferGroup);
    connect(m_group, &QCheckBox::toggled, this, &ReportsWindow::ShowChosen);
    resize(1000, 660); // fits a 1024 x 768 door screen
    ShowTonight();
    m_loader.AskGroup(m_setup.venue);
}

void ReportsWindow::OfferGroup(const QString& group) {
    m_groupName = group;
    m_group->setToolTip(QStringLiteral("Every venue of the group ") + group);
    m_group->show();
    emit GroupOffered();
}

void ReportsWindow::ShowPeriod(const ReportPeriod& period) {
    m_from->setDateTime(ToDateTime(period.from));
    m_to->setDateTime(ToDateTime(period.to));
    m_status->setText(QStringLiteral("Reading the venue's events..."));
    ReportRequest request;
    request.venue = m_setup.venue;
    if (m_group->isChecked())
        request.group = m_groupName.toStdString();
    request.period = period;
    request.dayStartHour = m_setup.dayStartHour;
    // A range longer than a week is shown by day: hundreds of hourly bars say nothing.
    request.binning = period.to - period.from > 7 * 24 * kMicrosPerHour ? Binning::Day : Binning::Hour;
    m_loader.Load(request);
}

void ReportsWindow::ShowTonight() {
    ShowPeriod(NightOf(m_setup.now(), m_setup.dayStartHour));
}

void ReportsWindow::ShowChosen() {
    const std::int64_t from = ToMicros(m_from->dateTime());
    const std::int64_t to = ToMicros(m_to->dateTime());
    if (to <= from) {
        m_status->setText(QStringLiteral("The period must end after it starts."));
        return;
    }
    ShowPeriod({from, to});
}

QWidget* ReportsWindow::Page(const FigureTable& table, const ReportModel& model) {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* view = new QChartView(MakeChart(table, model).release()); // the view owns its chart
    view->setRenderHint(QPainter::Antialiasing);
    // A table of many columns (the verdicts) gets as much room as its chart.
    const bool wide = table.columns.size() > 4;
    layout->addWidget(view, wide ? 1 : 3);
    layout->addWidget(FiguresTable(table), wide ? 1 : 2);
    return page;
}

void ReportsWindow::Loaded(const ReportModel& model) {
    m_model = model;
    const int current = m_tabs->currentIndex();
    while (m_tabs->count() > 0) {
        QWidget* page = m_tabs->widget(0);
        m_tabs->removeTab(0);
        page->deleteLater();
    }
    for (const FigureTable& table : FigureTables(model))
        m_tabs->addTab(Page(table, model), QString::fromStdString(table.title));
    m_tabs->setCurrentIndex(std::max(current, 0));
    m_status->setText(QStringLiteral("%1: %2 scans, %3 admitted, %4 refused, from %5 to %6")
                          .arg(QString::fromStdString(model.venue))
                          .arg(model.total)
                          .arg(model.Admitted())
                          .arg(model.Refusals())
                          .arg(ToDateTime(model.period.from).toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                               ToDateTime(model.period.to).toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    m_pdf->setEnabled(true);
    m_csv->setEnabled(true);
    emit ReportShown();
}

void ReportsWindow::Failed(const QString& cause) {
    m_status->setText(QStringLiteral("The report cannot be read: ") + cause);
    emit ReportShown();
}

bool ReportsWindow::ExportPdf(const QString& path) {
    if (!m_model)
        return false;
    QString error;
    if (WriteReportPdf(path, *m_model, FigureTables(*m_model), m_setup.now(), error)) {
        m_status->setText(QStringLiteral("Saved ") + path);
        return true;
    }
    m_status->setText(error);
    return false;
}

bool ReportsWindow::ExportCsv(const QString& path) {
    if (!m_model)
        return false;
    // Written whole or not at all: a file of the same name stays as it was when the write fails.
    QSaveFile file(path);
    const std::string csv = ReportCsv(FigureTables(*m_model));
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size()) || !file.commit()) {
        m_status->setText(QStringLiteral("cannot write ") + path + QStringLiteral(": ") + file.errorString());
        return false;
    }
    m_status->setText(QStringLiteral("Saved ") + path);
    return true;
}

void ReportsWindow::AskPdf() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export PDF"), QStringLiteral("report.pdf"),
                                                      QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty())
        ExportPdf(path);
}

void ReportsWindow::AskCsv() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Export CSV"), QStringLiteral("report.csv"),
                                                      QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        ExportCsv(path);
}

} // namespace Reports
