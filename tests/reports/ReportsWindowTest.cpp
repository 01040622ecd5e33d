// The Reports window over a seeded embedded store: opened, read off the user-interface thread, its tables
// equal to the figures, a screenshot kept in the artefacts and looked at for the verdicts' colours, the
// PDF turned into a picture by pdftoppm and looked at for a chart, the CSV, a store that cannot be read,
// Esc; and the report command's outputs and exit statuses.

#include "ReportsWindow.h"
#include "FigureTables.h"
#include "ReportBuilder.h"
#include "ReportCharts.h"
#include "ReportCommandLine.h"
#include "ReportText.h"
#include "SeedNight.h"
#include "SeedStore.h"
#include "SqliteVenueSql.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <nlohmann/json.hpp>

#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

using namespace Reports;

namespace {

// One folder per platform plugin: the offscreen and the Xvfb runs of this test run side by side in ctest and
// would otherwise write and read the same PDF and page images at once.
QString Artifacts() {
    return QStringLiteral(KESTRIN_REPORT_ARTIFACTS "/") + QGuiApplication::platformName();
}

// Pixels within a small distance of `colour` (antialiased edges and PDF rendering shift colours a little).
int PixelsOf(const QImage& image, const QColor& colour) {
    int n = 0;
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            n += std::abs(qRed(line[x]) - colour.red()) + std::abs(qGreen(line[x]) - colour.green()) +
                     std::abs(qBlue(line[x]) - colour.blue()) <=
                 24;
    }
    return n;
}

StoreOpener Opener(const QString& path) {
    return [file = path.toStdString()] { return std::make_unique<SqliteVenueSql>(file); };
}

// Stands for a login to the venue database (a manager's or a venue's): it answers the questions about the
// connection, counts the report SELECTs that ask for group g1, and holds no events.
class VenueDatabaseLogin : public IVenueSql {
public:
    VenueDatabaseLogin(bool manager, std::shared_ptr<std::atomic<int>> groupSelects)
        : m_manager(manager), m_groupSelects(std::move(groupSelects)) {}

    void Select(const std::string& sql, const std::vector<Param>& params, const RowSink& onRow) override {
        if (sql == "SELECT kestrin.is_manager()")
            onRow({std::string(m_manager ? "t" : "f")});
        else if (sql.rfind("SELECT grp FROM kestrin.venue", 0) == 0)
            onRow({std::string("g1")});
        else if (sql.find("kestrin.venue WHERE grp = ?") != std::string::npos && !params.empty() &&
                 std::get<std::string>(params[0]) == "g1")
            ++*m_groupSelects;
    }
    bool HoldsVenueGroups() const override { return true; }

private:
    bool m_manager;
    std::shared_ptr<std::atomic<int>> m_groupSelects;
};

} // namespace

class ReportsWindowTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    SeededNight m_night;
    QString m_store;
    std::int64_t m_late = 0; // 04:00, late in the seeded night

    void Seed(const SeededNight& night, const QString& path) {
        SeedStore store(path.toStdString());
        store.Add(night.venue, night.rows);
        store.Commit();
    }

    ReportsWindowSetup Setup(const QString& store) const {
        const std::int64_t late = m_late;
        return {m_night.venue, 6, Opener(store), [late] { return late; }};
    }

    static bool WaitShown(ReportsWindow& window) {
        QSignalSpy shown(&window, &ReportsWindow::ReportShown);
        return shown.count() > 0 || shown.wait(10000);
    }

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        QDir().mkpath(Artifacts());
        m_night = MakeNight({"window night", {"front", "side", "patio"}, 900, 13, 9, true, 12, 40});
        m_store = m_dir.filePath(QStringLiteral("venue.db"));
        Seed(m_night, m_store);
        m_late = m_night.period.from + 22 * kMicrosPerHour;
    }

    void opensTonightWithTheFiguresBesideEachChart() {
        ReportsWindow window(Setup(m_store));
        window.show();
        QVERIFY(WaitShown(window));
        QVERIFY(window.Shown().has_value());
        const ReportModel want = BuildReport({m_night.venue, m_night.period, Binning::Hour, 6, {}}, m_night.rows);
        QCOMPARE(window.Shown()->total, want.total);
        QCOMPARE(window.Shown()->period.from, m_night.period.from);

        auto* tabs = window.findChild<QTabWidget*>();
        const std::vector<FigureTable> tables = FigureTables(want);
        QCOMPARE(tabs->count(), static_cast<int>(tables.size()));
        for (int t = 0; t < tabs->count(); ++t) {
            const auto* grid = tabs->widget(t)->findChild<QTableWidget*>();
            const FigureTable& table = tables[static_cast<std::size_t>(t)];
            QCOMPARE(grid->rowCount(), static_cast<int>(table.rows.size()) + 1);
            const int last = grid->rowCount() - 1;
            QCOMPARE(grid->item(last, 0)->text(), QString::fromStdString(table.total.label));
            for (std::size_t c = 0; c < table.total.values.size(); ++c)
                QCOMPARE(grid->item(last, static_cast<int>(c) + 1)->text(), QString::number(table.total.values[c]));
        }

        QTest::qWait(200); // let the chart lay itself out
        const QImage shot = window.grab().toImage();
        QVERIFY(shot.save(Artifacts() + QStringLiteral("/reports-window.png")));
        for (std::size_t v = 0; v < kVerdicts; ++v) {
            if (want.byVerdict[v] == 0)
                continue;
            const int pixels = PixelsOf(shot, VerdictColour(static_cast<Verdict>(v)));
            QVERIFY2(
                pixels > 40,
                qPrintable(
                    QStringLiteral("too few pixels of %1: %2").arg(QString::fromLatin1(kVerdictNames[v])).arg(pixels)));
        }
    }

    void exportsAPdfWithAChartOnEachPageAndTheCsv() {
        ReportsWindow window(Setup(m_store));
        QVERIFY(WaitShown(window));
        const QString pdf = Artifacts() + QStringLiteral("/report.pdf");
        QVERIFY(window.ExportPdf(pdf));
        const QString prefix = Artifacts() + QStringLiteral("/report-page1");
        QProcess pdftoppm;
        pdftoppm.start(QStringLiteral("pdftoppm"), {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("60"),
                                                    QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                    QStringLiteral("1"), QStringLiteral("-singlefile"), pdf, prefix});
        QVERIFY(pdftoppm.waitForFinished(30000));
        QCOMPARE(pdftoppm.exitCode(), 0);
        const QImage page(prefix + QStringLiteral(".png"));
        QVERIFY(!page.isNull());
        QVERIFY(page.width() > page.height()); // landscape
        QVERIFY2(PixelsOf(page, VerdictColour(Verdict::Ok)) > 200, "no green bars of admitted scans on page 1");
        QVERIFY(PixelsOf(page, VerdictColour(Verdict::UnderAge)) > 20);

        QProcess info;
        info.start(QStringLiteral("pdfinfo"), {pdf});
        QVERIFY(info.waitForFinished(30000));
        QVERIFY(QString::fromUtf8(info.readAllStandardOutput())
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+8\\n"))));
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-f"), QStringLiteral("4"), QStringLiteral("-l"),
                                                 QStringLiteral("4"), pdf, QStringLiteral("-")});
        QVERIFY(text.waitForFinished(30000));
        const QString page4 = QString::fromUtf8(text.readAllStandardOutput());
        QVERIFY2(page4.contains(QStringLiteral("Per door")) && page4.contains(QStringLiteral("Venue: harbour")) &&
                     page4.contains(QStringLiteral("patio")),
                 qPrintable(page4));

        const QString csv = m_dir.filePath(QStringLiteral("report.csv"));
        QVERIFY(window.ExportCsv(csv));
        std::ifstream in(csv.toStdString(), std::ios::binary);
        const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        QCOMPARE(written, ReportCsv(FigureTables(*window.Shown())));
        QVERIFY(!window.ExportCsv(m_dir.filePath(QStringLiteral("no/such/folder/report.csv"))));
    }

    void aStoreThatCannotBeReadIsSaidAndEscCloses() {
        ReportsWindow window(Setup(m_dir.filePath(QStringLiteral("missing.db"))));
        window.show();
        QVERIFY(WaitShown(window));
        QVERIFY(!window.Shown().has_value());
        bool said = false;
        for (const QLabel* label : window.findChildren<QLabel*>())
            said = said || label->text().contains(QStringLiteral("cannot open the venue store"));
        QVERIFY(said);
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("missing.db"))));
        QTest::keyClick(&window, Qt::Key_Escape);
        QVERIFY(!window.isVisible());
    }

    // The "Group" box only on a manager's connection; checked, the report is the group's.
    void theGroupBoxIsAManagersAndReportsTheGroup() {
        {
            ReportsWindow embedded(Setup(m_store));
            QVERIFY(WaitShown(embedded));
            QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
            QCoreApplication::processEvents();
            QVERIFY(embedded.GroupBox()->isHidden());
        }
        for (const bool manager : {false, true}) {
            const auto groupSelects = std::make_shared<std::atomic<int>>(0);
            ReportsWindowSetup setup = Setup(m_store);
            setup.opener = [manager, groupSelects] {
                return std::make_unique<VenueDatabaseLogin>(manager, groupSelects);
            };
            ReportsWindow window(setup);
            window.show();
            QSignalSpy offered(&window, &ReportsWindow::GroupOffered);
            QVERIFY(WaitShown(window));
            QVERIFY(QThreadPool::globalInstance()->waitForDone(10000));
            QCoreApplication::processEvents();
            QCOMPARE(offered.count(), manager ? 1 : 0);
            QCOMPARE(window.GroupBox()->isVisible(), manager);
            QCOMPARE(window.Shown()->venue, m_night.venue);
            if (!manager)
                continue;
            QSignalSpy shown(&window, &ReportsWindow::ReportShown);
            window.GroupBox()->setChecked(true);
            QVERIFY(shown.wait(10000));
            QVERIFY(window.Shown().has_value());
            QCOMPARE(window.Shown()->venue, std::string("g1"));
            QVERIFY(groupSelects->load() > 0);
        }
    }

    // Left open, the window reads tonight again by itself: a scan stored after it opened shows without
    // reopening, in the same table object with the user's tab, selected cell and scroll position kept. A
    // chosen past range is never read again.
    void tonightRefreshesByItselfKeepingTheSelection() {
        const QString path = m_dir.filePath(QStringLiteral("live.db"));
        Seed(m_night, path);
        ReportsWindowSetup setup = Setup(path);
        setup.refreshEvery = std::chrono::milliseconds(50);
        ReportsWindow window(setup);
        window.show();
        QVERIFY(WaitShown(window));
        const int before = window.Shown()->total;
        auto* tabs = window.findChild<QTabWidget*>();
        tabs->setCurrentIndex(0); // scans per hour: more rows than the window has room for
        const QPointer<QTableWidget> grid = tabs->currentWidget()->findChild<QTableWidget*>();
        grid->setCurrentCell(5, 2);
        QTRY_VERIFY(grid->verticalScrollBar()->maximum() > 2);
        grid->verticalScrollBar()->setValue(2);

        ScanRow scan = m_night.rows.scans.front();
        scan.id = "0f0f0f0f-0000-4000-a000-000000000001";
        scan.scannedAt = m_late - kMicrosPerHour;
        scan.verdict = "ok";
        {
            SeedStore store(path.toStdString());
            store.Add(m_night.venue, scan);
            store.Commit();
        }
        QTRY_COMPARE_WITH_TIMEOUT(window.Shown()->total, before + 1, 10000);
        QCOMPARE(tabs->currentIndex(), 0);
        QVERIFY2(grid && tabs->currentWidget()->findChild<QTableWidget*>() == grid,
                 "the table was made anew, and the user's place in it lost");
        QCOMPARE(grid->currentRow(), 5);
        QCOMPARE(grid->currentColumn(), 2);
        QCOMPARE(grid->verticalScrollBar()->value(), 2);
        QTRY_COMPARE(grid->item(grid->rowCount() - 1, grid->columnCount() - 1)->text(), QString::number(before + 1));

        const ReportPeriod past{m_night.period.from - 48 * kMicrosPerHour, m_night.period.from - 24 * kMicrosPerHour};
        window.ShowPeriod(past);
        QTRY_COMPARE_WITH_TIMEOUT(window.Shown()->period.from, past.from, 10000);
        QSignalSpy reads(&window, &ReportsWindow::ReportShown);
        QTest::qWait(500); // ten ticks
        QCOMPARE(reads.count(), 0);
    }

    // Not a target (those are benchmarks): the figure for the notes, kept in the artefacts.
    void timesTheOpeningOfAFiveThousandScanNight() {
        const SeededNight big = MakeNight({"busy night", {"front", "side", "patio"}, 5000, 13, 9, true, 50, 300});
        const QString path = m_dir.filePath(QStringLiteral("busy.db"));
        Seed(big, path);
        QElapsedTimer timer;
        timer.start();
        ReportsWindow window(Setup(path));
        window.show();
        QVERIFY(WaitShown(window));
        QCoreApplication::processEvents();
        const qint64 ms = timer.elapsed();
        QCOMPARE(window.Shown()->total, 5000);
        std::ofstream(Artifacts().toStdString() + "/figures.txt", std::ios::app)
            << "open a 5,000-scan night: " << ms << " ms\n";
        qInfo("open a 5,000-scan night: %lld ms", static_cast<long long>(ms));
    }

    void theCommandPrintsTheAgreedJsonAndTheTables() {
        ReportCommandSetup setup{m_night.venue, 6, Opener(m_store), [late = m_late] { return late; }};
        std::ostringstream out, err;
        QCOMPARE(RunReportCommand({"--json"}, setup, out, err), 0);
        const auto json = nlohmann::json::parse(out.str());
        const ReportModel want = BuildReport({m_night.venue, m_night.period, Binning::Hour, 6, {}}, m_night.rows);
        QCOMPARE(json["total"].get<int>(), want.total);
        QCOMPARE(json["byHour"].size(), want.bins.size());
        QCOMPARE(json["byVerdict"]["ok"].get<int>(), want.byVerdict[0]);

        std::ostringstream days, ignored;
        const std::string from = LocalIso(m_night.period.from - 48 * kMicrosPerHour);
        const std::string to = LocalIso(m_night.period.to);
        QCOMPARE(RunReportCommand({"--from", from, "--to", to, "--by", "day", "--json"}, setup, days, ignored), 0);
        const auto byDay = nlohmann::json::parse(days.str());
        QCOMPARE(byDay["byHour"].size(), std::size_t(3));
        QCOMPARE(byDay["byHour"][2]["hour"].get<std::string>(), LocalIso(m_night.period.from));
        QCOMPARE(byDay["from"].get<std::string>(), from);

        std::ostringstream csv;
        QCOMPARE(RunReportCommand({"--csv", "--by", "station"}, setup, csv, ignored), 0);
        QVERIFY(csv.str().rfind("Per door\r\n", 0) == 0);

        std::ostringstream text;
        QCOMPARE(RunReportCommand({}, setup, text, ignored), 0);
        QVERIFY(text.str().find("Refusals by cause") != std::string::npos);

        const QString pdf = m_dir.filePath(QStringLiteral("command.pdf"));
        std::ostringstream none;
        QCOMPARE(RunReportCommand({"--pdf", pdf.toStdString()}, setup, none, ignored), 0);
        QVERIFY(QFileInfo(pdf).size() > 10000);
    }

    void theCommandSaysWhatIsWrong_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--xml")} << 2
                                        << QStringLiteral("unknown option");
        QTest::newRow("bad time") << QStringList{QStringLiteral("--from"), QStringLiteral("yesterday"),
                                                 QStringLiteral("--to"), QStringLiteral("2026-12-09")}
                                  << 2 << QStringLiteral("ISO 8601");
        QTest::newRow("to before from") << QStringList{QStringLiteral("--from"), QStringLiteral("2026-12-09"),
                                                       QStringLiteral("--to"), QStringLiteral("2026-12-08")}
                                        << 2 << QStringLiteral("after --from");
        QTest::newRow("two outputs") << QStringList{QStringLiteral("--json"), QStringLiteral("--csv")} << 2
                                     << QStringLiteral("one at a time");
        QTest::newRow("bad grouping") << QStringList{QStringLiteral("--by"), QStringLiteral("week")} << 2
                                      << QStringLiteral("hour, day or station");
        QTest::newRow("value missing") << QStringList{QStringLiteral("--pdf")} << 2 << QStringLiteral("needs a value");
        QTest::newRow("an empty period") << QStringList{QStringLiteral("--from"), QStringLiteral("2020-01-01"),
                                                        QStringLiteral("--to"), QStringLiteral("2020-01-02")}
                                         << 1 << QString();
    }
    void theCommandSaysWhatIsWrong() {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, said);
        std::vector<std::string> words;
        for (const QString& arg : args)
            words.push_back(arg.toStdString());
        ReportCommandSetup setup{m_night.venue, 6, Opener(m_store), [late = m_late] { return late; }};
        std::ostringstream out, err;
        QCOMPARE(RunReportCommand(words, setup, out, err), status);
        QVERIFY2(QString::fromStdString(err.str()).contains(said), err.str().c_str());
    }

    void theCommandReportsAStoreThatCannotBeOpened() {
        ReportCommandSetup setup{m_night.venue, 6, Opener(m_dir.filePath(QStringLiteral("gone.db"))),
                                 [late = m_late] { return late; }};
        std::ostringstream out, err;
        QCOMPARE(RunReportCommand({"--json"}, setup, out, err), 2);
        QVERIFY(err.str().find("cannot open the venue store") != std::string::npos);
        QVERIFY(out.str().empty());
    }
};

QTEST_MAIN(ReportsWindowTest)
#include "ReportsWindowTest.moc"
