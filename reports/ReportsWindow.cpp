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
#include <QTimer>
#include <QVBoxLayout>
#include <QtCharts/QChartView>

#include <memory>

namespace Reports {
namespace {

QDateTime ToDateTime(std::int64_t micros) {
    return QDateTime::fromMSecsSinceEpoch(micros / 1000);
}

std::int64_t ToMicros(const QDateTime& time) {
    return time.toMSecsSinceEpoch() * 1000;
}

// Writes the table's rows and its total line into `widget`, reusing its cells: the selected cell and the
// scroll position stay where they are.
void FillTable(QTableWidget* widget, const FigureTable& table) {
    const int rows = static_cast<int>(table.rows.size()) + 1;
    widget->setRowCount(rows);
    widget->setColumnCount(static_cast<int>(table.columns.size()));
    auto put = [widget](int row, const FigureTable::Row& line, bool bold) {
        auto cell = [widget, row, bold](int column, const QString& text, Qt::Alignment alignment) {
            QTableWidgetItem* item = widget->item(row, column);
            if (!item) {
                item = new QTableWidgetItem; // the table owns it
                widget->setItem(row, column, item);
            }
            item->setText(text);
            item->setTextAlignment(alignment | Qt::AlignVCenter);
            QFont font = item->font();
            font.setBold(bold);
            item->setFont(font);
        };
        cell(0, QString::fromStdString(line.label), Qt::AlignLeft);
        for (std::size_t c = 0; c < line.values.size(); ++c)
            cell(static_cast<int>(c) + 1, QString::number(line.values[c]), Qt::AlignRight);
    };
    for (std::size_t r = 0; r < table.rows.size(); ++r)
        put(static_cast<int>(r), table.rows[r], false);
    put(rows - 1, table.total, true);
}

QTableWidget* FiguresTable(const FigureTable& table) {
    auto* widget = new QTableWidget;
    widget->verticalHeader()->hide();
    widget->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FillTable(widget, table);
    QStringList heads;
    for (const std::string& column : table.columns)
        heads << QString::fromStdString(column);
    widget->setHorizontalHeaderLabels(heads);
    widget->resizeColumnsToContents();
    return widget;
}

} // namespace

ReportsWindow::ReportsWindow(ReportsWindowSetup setup, QWidget* parent)
    : QDialog(parent), m_setup(std::move(setup)), m_loader(m_setup.opener, this), m_live(m_setup.dayStartHour),
      m_from(new QDateTimeEdit), m_to(new QDateTimeEdit), m_status(new QLabel),
      m_pdf(new QPushButton(QStringLiteral("Export &PDF..."))),
      m_csv(new QPushButton(QStringLiteral("Export &CSV..."))), m_tabs(new QTabWidget),
      m_group(new QCheckBox(QStringLiteral("Group"))), m_refresh(new QTimer(this)) {
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
    connect(m_group, &QCheckBox::toggled, this, &ReportsWindow::ShowAgain);
    connect(m_refresh, &QTimer::timeout, this, &ReportsWindow::Refresh);
    if (m_setup.refreshEvery.count() > 0)
        m_refresh->start(m_setup.refreshEvery);
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
    Ask(m_live.Choose(period));
}

void ReportsWindow::ShowTonight() {
    Ask(m_live.FollowTonight(m_setup.now()));
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

// The same kind of period again (the "Group" box turned): tonight goes on following the clock.
void ReportsWindow::ShowAgain() {
    if (m_live.FollowsTonight())
        ShowTonight();
    else
        ShowChosen();
}

void ReportsWindow::Ask(const ReportPeriod& period) {
    ShowFields(period);
    m_status->setText(QStringLiteral("Reading the venue's events..."));
    Read(period);
}

void ReportsWindow::ShowFields(const ReportPeriod& period) {
    m_from->setDateTime(ToDateTime(period.from));
    m_to->setDateTime(ToDateTime(period.to));
}

// Quietly: the report on the screen stays, with its status line, until the new one is in. The period
// fields change only when tonight has moved on to the next night, so a range being typed is left alone.
void ReportsWindow::Refresh() {
    if (!isVisible())
        return;
    const ReportPeriod before = m_live.Current();
    const std::optional<ReportPeriod> due = m_live.DueAt(m_setup.now(), m_loader.Busy());
    if (!due)
        return;
    if (due->from != before.from || due->to != before.to)
        ShowFields(*due);
    Read(*due);
}

void ReportsWindow::Read(const ReportPeriod& period) {
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

// The same tabs (a refresh of the same period, mostly): each table's cells are written again and each
// chart replaced, so what the user selected or scrolled to stays. Other tabs: the pages are made anew.
void ReportsWindow::ShowTables(const std::vector<FigureTable>& tables, const ReportModel& model) {
    bool sameTabs = m_tabs->count() == static_cast<int>(tables.size());
    for (std::size_t t = 0; sameTabs && t < tables.size(); ++t)
        sameTabs = m_tabs->tabText(static_cast<int>(t)) == QString::fromStdString(tables[t].title);
    if (sameTabs) {
        for (std::size_t t = 0; t < tables.size(); ++t) {
            QWidget* page = m_tabs->widget(static_cast<int>(t));
            FillTable(page->findChild<QTableWidget*>(), tables[t]);
            auto* view = page->findChild<QChartView*>();
            const std::unique_ptr<QChart> old(view->chart()); // the view lets go of it, it is ours to delete
            view->setChart(MakeChart(tables[t], model).release());
        }
        return;
    }
    const int current = m_tabs->currentIndex();
    while (m_tabs->count() > 0) {
        QWidget* page = m_tabs->widget(0);
        m_tabs->removeTab(0);
        page->deleteLater();
    }
    for (const FigureTable& table : tables)
        m_tabs->addTab(Page(table, model), QString::fromStdString(table.title));
    m_tabs->setCurrentIndex(std::max(current, 0));
}

void ReportsWindow::Loaded(const ReportModel& model) {
    const std::vector<FigureTable> tables = FigureTables(model);
    std::string csv = ReportCsv(tables);
    const bool unchanged = m_model && m_model->venue == model.venue && m_model->period.from == model.period.from &&
                           m_model->period.to == model.period.to && csv == m_shownCsv;
    m_model = model;
    if (!unchanged) {
        ShowTables(tables, model);
        m_shownCsv = std::move(csv);
    }
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
