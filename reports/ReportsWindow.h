#pragma once
// The Reports window (Venue > Reports...): a period (tonight by default, from the "Day Starts At" hour, or
// a chosen range), read off the user-interface thread by ReportLoader, shown as one tab per chart with
// the figures and their total line in a table beside it; Export PDF and Export CSV write the same figures.
// On a manager's connection to the venue database a "Group" check box turns the report to every venue of
// this venue's group. Esc closes it. It owns nothing of the station: the station keeps reading cards while it is open.
// While it is shown it reads tonight (or a chosen range that has not ended) again every "refreshEvery"
// (LivePeriod says which and when), never while a read runs; a new report keeps the tab, the selected
// cell and the scroll position of each table, and a report with the same figures changes nothing.

#include "FigureTables.h"
#include "LivePeriod.h"
#include "ReportLoader.h"
#include "ReportModel.h"

#include <QDialog>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;

namespace Reports {

struct ReportsWindowSetup {
    std::string venue;
    int dayStartHour = 6;
    StoreOpener opener;
    std::function<std::int64_t()> now;             // microseconds since 1970 UTC
    std::chrono::milliseconds refreshEvery{30000}; // 0: read only when asked
};

class ReportsWindow : public QDialog {
    Q_OBJECT
public:
    explicit ReportsWindow(ReportsWindowSetup setup, QWidget* parent = nullptr);

    // A chosen period, as by Show (at opening: tonight).
    void ShowPeriod(const ReportPeriod& period);
    // The refresh tick: reads the live period again, if any (see LivePeriod).
    void Refresh();
    const std::optional<ReportModel>& Shown() const { return m_model; }
    QCheckBox* GroupBox() const { return m_group; }

    bool ExportPdf(const QString& path);
    bool ExportCsv(const QString& path);

signals:
    void ReportShown();  // a report is on the screen (or its failure is)
    void GroupOffered(); // the connection is a manager's: the "Group" box is shown

private:
    void ShowTonight();
    void ShowChosen();
    void ShowAgain();
    void Ask(const ReportPeriod& period);
    void ShowFields(const ReportPeriod& period);
    void Read(const ReportPeriod& period);
    void Loaded(const ReportModel& model);
    void Failed(const QString& cause);
    void OfferGroup(const QString& group);
    void AskPdf();
    void AskCsv();
    QWidget* Page(const FigureTable& table, const ReportModel& model);
    void ShowTables(const std::vector<FigureTable>& tables, const ReportModel& model);

    ReportsWindowSetup m_setup;
    ReportLoader m_loader;
    LivePeriod m_live;
    std::optional<ReportModel> m_model;
    std::string m_shownCsv; // the figures on the screen, to see whether a new report changes them
    QDateTimeEdit* m_from;
    QDateTimeEdit* m_to;
    QLabel* m_status;
    QPushButton* m_pdf;
    QPushButton* m_csv;
    QTabWidget* m_tabs;
    QCheckBox* m_group;
    QTimer* m_refresh;
    QString m_groupName; // this venue's group, once the connection proved a manager's
};

} // namespace Reports
