#pragma once
// The Reports window (Venue > Reports...): a period (tonight by default, from the "Day Starts At" hour, or
// a chosen range), read off the user-interface thread by ReportLoader, shown as one tab per chart with
// the figures and their total line in a table beside it; Export PDF and Export CSV write the same figures.
// On a manager's connection to the venue database a "Group" check box turns the report to every venue of
// this venue's group. Esc closes it. It owns nothing of the station: the station keeps reading cards while it is open.

#include "FigureTables.h"
#include "ReportLoader.h"
#include "ReportModel.h"

#include <QDialog>

#include <cstdint>
#include <functional>
#include <optional>

class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QPushButton;
class QTabWidget;

namespace Reports {

struct ReportsWindowSetup {
    std::string venue;
    int dayStartHour = 6;
    StoreOpener opener;
    std::function<std::int64_t()> now; // microseconds since 1970 UTC
};

class ReportsWindow : public QDialog {
    Q_OBJECT
public:
    explicit ReportsWindow(ReportsWindowSetup setup, QWidget* parent = nullptr);

    // The period shown by Show (and at opening: tonight).
    void ShowPeriod(const ReportPeriod& period);
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
    void Loaded(const ReportModel& model);
    void Failed(const QString& cause);
    void OfferGroup(const QString& group);
    void AskPdf();
    void AskCsv();
    QWidget* Page(const FigureTable& table, const ReportModel& model);

    ReportsWindowSetup m_setup;
    ReportLoader m_loader;
    std::optional<ReportModel> m_model;
    QDateTimeEdit* m_from;
    QDateTimeEdit* m_to;
    QLabel* m_status;
    QPushButton* m_pdf;
    QPushButton* m_csv;
    QTabWidget* m_tabs;
    QCheckBox* m_group;
    QString m_groupName; // this venue's group, once the connection proved a manager's
};

} // namespace Reports
