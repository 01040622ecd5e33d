// The station window on the offscreen platform with a temporary settings hive and a recording station
// lock: start-up writes, menu, key routing, geometry, the lock's triggers and the scan total.
#include "MainDlg.h"
#include "Card.h"
#include "DialogUnits.h"
#include "DisplayFontSet.h"
#include "EmbeddedStore.h"
#include "EventQuery.h"
#include "FakeStationLock.h"
#include "Fonts.h"
#include "IdentityKey.h"
#include "KestrinResources.h"
#include "Remarks.h"
#include "SqliteVenueSql.h"
#include "StoredBan.h"
#include "UnknownSwipeFile.h"
#include "VenueTime.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class MainDlgTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void captionMenuAndEnabledItems();
    void freshKeyWritesTheFourOptionsChecked();
    void storedOptionsSetTheCheckMarks();
    void everyStartRaisesLogNumberByOne();
    void systemMenuEndsWithAboutItem();
    void escAndEnterNeverClose();
    void altF4Closes();
    void closeButtonCloses();
    void keysGoToTheSwipeAndTabKeepsFocus();
    void geometryFromDialogUnits();
    void historyBelowTheCaptionAtEverySize_data();
    void historyBelowTheCaptionAtEverySize();
    void f11AndTheFullScreenSetting();
    void absentValidAgeIsStoredAsTwentyOne();
    void commentsOpenBesideAPaintedVerdict();
    void failedLogWriteShowsOnTheVerdict();
    void alwaysOnTopConfinesAtPaintAndCommand();
    void modalDialogTakesTheGrabsPlace();
    void removeStationLockReleasesBoth();
    void aboutReleasesAndRenewsConfinement_data();
    void aboutReleasesAndRenewsConfinement();
    void helpWithoutDocumentSaysSoAndFreesCursor();
    void windowIconIsTheStationIcon();
    void cardCountedOnceAcrossRepaints();
    void unknownSwipeKeepsTotalAndList();
    void insideCountByF7AndF8AgainstTheCapacity();
    void bannedCardShowsBannedAndIsRecorded();
    void f9OpensTheVenueMenu();

private:
    void WriteHive(const QByteArray& values);
    QByteArray ReadHive() const;
    QString Value(const char* name) const;

    QTemporaryDir m_dir;
    QString m_hive;
};

namespace {
const char* const kSwipe =
    "%CASACRAMENTO^DOE$JOHN$Q^123 MAIN ST^?;6360141234567=08121980061500?#0295814      C               "
    "1508150BRNBLU?";

bool HasColour(const QImage& image, QRgb colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                return true;
    return false;
}

void Swipe(MainDlg& dlg, const char* text) {
    QTest::keyClicks(&dlg, QString::fromLatin1(text));
    QTest::keyClick(&dlg, Qt::Key_Return);
}
} // namespace

void MainDlgTest::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_hive = m_dir.filePath(QStringLiteral("registry.reg"));
    qputenv("KESTRIN_REGISTRY", m_hive.toLocal8Bit());
    Fonts::InstallFontSubstitutions();
    InitKestrinResources();
}

void MainDlgTest::init() {
    // No option values: a fresh key as an installer leaves it.
    WriteHive("\"Log Folder\"=\"" + m_dir.filePath(QStringLiteral("logs")).toLocal8Bit() +
              "\"\r\n\"Log Number\"=dword:00000005\r\n\"Valid Age\"=dword:00000015\r\n");
}

void MainDlgTest::WriteHive(const QByteArray& values) {
    QFile file(m_hive);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\r\n" +
               values);
}

QByteArray MainDlgTest::ReadHive() const {
    QFile file(m_hive);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString MainDlgTest::Value(const char* name) const {
    const QByteArray prefix = '"' + QByteArray(name) + "\"=";
    for (const QByteArray& line : ReadHive().split('\n'))
        if (line.startsWith(prefix))
            return QString::fromLatin1(line.mid(prefix.size()).trimmed());
    return {};
}

void MainDlgTest::captionMenuAndEnabledItems() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Orbelon Kestrin"));

    const QList<QAction*> popups = dlg.Menu().Bar().actions();
    QCOMPARE(popups.size(), 4);
    QCOMPARE(popups[0]->text(), QStringLiteral("File"));
    QCOMPARE(popups[1]->text(), QStringLiteral("Options"));
    QCOMPARE(popups[2]->text(), QStringLiteral("Venue"));
    QCOMPARE(popups[3]->text(), QStringLiteral("Help"));

    const struct {
        int id;
        const char* text;
        bool checkable;
    } items[] = {{32773, "Exit       Alt + F4", false},
                 {32780, "Always On Top", true},
                 {32781, "Create Log", true},
                 {32787, "Comments", true},
                 {32792, "Count Valid DL Only", true},
                 {32791, "Set Valid Age", false},
                 {32801, "Ban Last Card...", false},
                 {32802, "Flag Last Card...", false},
                 {32803, "VIP Last Card...", false},
                 {32804, "Lists...", false},
                 {32777, "Help", false},
                 {32778, "About", false}};
    for (const auto& item : items) {
        QAction* const action = dlg.Menu().Action(item.id);
        QVERIFY2(action, item.text);
        QCOMPARE(action->text(), QString::fromLatin1(item.text));
        QCOMPARE(action->isCheckable(), item.checkable);
        QVERIFY2(action->isEnabled(), item.text); // the greyed resource items are enabled at start
    }
    const QList<QAction*> help = popups[3]->menu()->actions();
    QCOMPARE(help.size(), 3);
    QVERIFY(help[1]->isSeparator());
}

void MainDlgTest::freshKeyWritesTheFourOptionsChecked() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    for (const char* name : {"Enable Log", "Enable Ontop", "Enable Comments", "Count Valid DL Only"})
        QCOMPARE(Value(name), QStringLiteral("dword:00000001"));
    for (int id : {32780, 32781, 32787, 32792})
        QVERIFY(dlg.Menu().Action(id)->isChecked());
}

void MainDlgTest::storedOptionsSetTheCheckMarks() {
    WriteHive("\"Enable Log\"=dword:00000000\r\n\"Enable Comments\"=dword:00000007\r\n"
              "\"Enable Ontop\"=dword:00000000\r\n\"Count Valid DL Only\"=dword:00000001\r\n");
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    QVERIFY(!dlg.Menu().Action(32781)->isChecked());
    QCOMPARE(Value("Enable Log"), QStringLiteral("dword:00000000"));
    QVERIFY(dlg.Menu().Action(32787)->isChecked());
    QCOMPARE(Value("Enable Comments"), QStringLiteral("dword:00000001"));
    QVERIFY(!dlg.Menu().Action(32780)->isChecked());
    QVERIFY(dlg.Menu().Action(32792)->isChecked());
}

void MainDlgTest::everyStartRaisesLogNumberByOne() {
    StationLockLog log;
    { MainDlg first(nullptr, FakeLockParts(log)); }
    QCOMPARE(Value("Log Number"), QStringLiteral("dword:00000006"));
    { MainDlg second(nullptr, FakeLockParts(log)); }
    QCOMPARE(Value("Log Number"), QStringLiteral("dword:00000007"));
}

void MainDlgTest::systemMenuEndsWithAboutItem() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    const QList<QAction*> items = dlg.SystemMenu().actions();
    QCOMPARE(items.size(), 2);
    QVERIFY(items[0]->isSeparator());
    QCOMPARE(items[1]->text(), QStringLiteral("&About Kestrin..."));
    QCOMPARE(items[1]->data().toInt(), 16);
}

void MainDlgTest::escAndEnterNeverClose() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QTest::keyClick(&dlg, Qt::Key_Return);
    QTest::keyClick(&dlg, Qt::Key_Enter, Qt::KeypadModifier);
    QVERIFY(dlg.isVisible());
    QCOMPARE(dlg.Cycle().State(), DisplayState::Capturing); // they were keys of a swipe
}

void MainDlgTest::altF4Closes() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClick(&dlg, Qt::Key_F4, Qt::AltModifier);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(dlg.result(), int(QDialog::Rejected));
}

void MainDlgTest::closeButtonCloses() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QVERIFY(dlg.close());
    QVERIFY(!dlg.isVisible());
}

void MainDlgTest::keysGoToTheSwipeAndTabKeepsFocus() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QWidget* const focus = QApplication::focusWidget();
    QTest::keyClick(&dlg, Qt::Key_Alt); // Alt alone must not take the keyboard into the menu bar
    QTest::keyClicks(&dlg, QStringLiteral("%AB"));
    QTest::keyClick(&dlg, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), focus);
    QCOMPARE(dlg.Cycle().SwipeText(), std::string("%AB\t"));
}

void MainDlgTest::geometryFromDialogUnits() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    const DialogUnits units(Fonts::DialogFont(QStringLiteral("Verdana"), 10));
    const QRect client = dlg.ClientRect();
    QCOMPARE(client.size(), units.Size(222, 169));
    QCOMPARE(dlg.DesignClientSize(), client.size());
    QCOMPARE(dlg.minimumSize(), dlg.size()); // never smaller than the template, larger at will
    QVERIFY(dlg.maximumWidth() > dlg.width() && dlg.maximumHeight() > dlg.height());
    // The box keeps the template's left edge and bottom; its top makes room for the caption.
    const QRect box = dlg.ResultsBox().geometry();
    const QRect designed = units.Rect(4, 114, 214, 50).translated(client.topLeft());
    QCOMPARE(box.left(), designed.left());
    QCOMPARE(box.right(), designed.right());
    QCOMPARE(box.bottom(), designed.bottom());
    QVERIFY(std::abs(box.top() - designed.top()) < 20);
    QCOMPARE(dlg.ResultsBox().title(), QStringLiteral("Last Results"));
    QVERIFY(!(dlg.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(dlg.windowFlags() & Qt::WindowMaximizeButtonHint);
}

void MainDlgTest::historyBelowTheCaptionAtEverySize_data() {
    QTest::addColumn<QSize>("size");
    QTest::newRow("template size") << QSize();
    QTest::newRow("1024 x 768") << QSize(1024, 768);
    QTest::newRow("1920 x 1080") << QSize(1920, 1080);
}

// The last results are written below the group box's caption and inside its frame, whatever the size.
void MainDlgTest::historyBelowTheCaptionAtEverySize() {
    QFETCH(QSize, size);
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    if (size.isValid())
        dlg.resize(size);
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    dlg.repaint();
    const QRect lines = dlg.Display().lowerLines.translated(dlg.ClientRect().topLeft());
    const QRect caption = dlg.ResultsBox().CaptionRect();
    QVERIFY2(caption.bottom() < lines.top(), "the first line runs across the caption");
    QVERIFY2(dlg.ResultsBox().FrameRect().contains(lines), "the lines run outside the box's frame");
    QVERIFY(dlg.ResultsBox().geometry().bottom() < dlg.height());
    QVERIFY(caption.height() > 0);
}

void MainDlgTest::f11AndTheFullScreenSetting() {
    StationLockLog log;
    {
        MainDlg dlg(nullptr, FakeLockParts(log));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QTest::keyClick(&dlg, Qt::Key_F11);
        QTRY_VERIFY(dlg.windowState() & Qt::WindowFullScreen);
        QCOMPARE(dlg.Cycle().State(), DisplayState::Ready); // not a key of a swipe
        QTest::keyClick(&dlg, Qt::Key_F11);
        QTRY_VERIFY(!(dlg.windowState() & Qt::WindowFullScreen));
    }
    WriteHive("\"Full Screen\"=dword:00000001\r\n");
    MainDlg full(nullptr, FakeLockParts(log));
    full.show();
    QVERIFY(QTest::qWaitForWindowExposed(&full));
    QVERIFY(full.windowState() & Qt::WindowFullScreen);
    QTRY_COMPARE(full.size(), full.screen()->geometry().size());
    full.repaint();
    QVERIFY(full.Display().scale > 1.0);
}

void MainDlgTest::absentValidAgeIsStoredAsTwentyOne() {
    WriteHive("\"Log Number\"=dword:00000005\r\n");
    StationLockLog log;
    { MainDlg dlg(nullptr, FakeLockParts(log)); }
    QCOMPARE(Value("Valid Age"), QStringLiteral("dword:00000015"));
    WriteHive("\"Valid Age\"=dword:ffffffff\r\n"); // a stored age, however odd, is the operator's
    { MainDlg dlg(nullptr, FakeLockParts(log)); }
    QCOMPARE(Value("Valid Age"), QStringLiteral("dword:ffffffff"));
}

void MainDlgTest::commentsOpenBesideAPaintedVerdict() {
    const QString logs = m_dir.filePath(QStringLiteral("comments-logs"));
    QDir(logs).removeRecursively();
    WriteHive("\"Log Folder\"=\"" + logs.toLocal8Bit() +
              "\"\r\n\"Log Name\"=\"T\"\r\n\"Enable Log\"=dword:00000001\r\n" +
              "\"Enable Comments\"=dword:00000001\r\n\"Enable Ontop\"=dword:00000000\r\n");
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    Swipe(dlg, kSwipe);
    QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<Remarks*>(QApplication::activeModalWidget()), 3000);
    auto* const remarks = qobject_cast<Remarks*>(QApplication::activeModalWidget());
    QVERIFY(dlg.Cycle().IsCommentsOpen());
    QCOMPARE(dlg.Cycle().State(), DisplayState::CardShown);

    // The row is on disk with empty comments while the dialog is open.
    const QStringList files = QDir(logs).entryList({QStringLiteral("*.csv")});
    QCOMPARE(files.size(), 1);
    const QString path = QDir(logs).filePath(files[0]);
    const auto lastLine = [&] {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed().split('\n').last().trimmed() : QByteArray();
    };
    QVERIFY(lastLine().endsWith(",\"\",\"\""));
    // The dialog leaves the verdict in sight.
    const QRect verdict = dlg.Display().verdictArea.translated(dlg.mapToGlobal(dlg.ClientRect().topLeft()));
    QVERIFY(!verdict.isEmpty());
    QVERIFY2(!remarks->frameGeometry().intersects(verdict), "the Comments dialog covers the verdict");

    remarks->findChild<QLineEdit*>(QStringLiteral("comment1"))->setText(QStringLiteral("late shift"));
    remarks->findChild<QLineEdit*>(QStringLiteral("comment2"))->setText(QStringLiteral("ok"));
    remarks->findChild<QPushButton*>(QStringLiteral("ok"))->click();
    QTRY_VERIFY(!dlg.Cycle().IsCommentsOpen());
    QVERIFY(lastLine().endsWith(",\"late shift\",\"ok\""));
    QCOMPARE(dlg.Cycle().State(), DisplayState::CardShown);
}

// A row that cannot be written now: the verdict says so in the warning colour, and the row still takes
// its comments where it waits.
void MainDlgTest::failedLogWriteShowsOnTheVerdict() {
    const QString logs = m_dir.filePath(QStringLiteral("failing-logs"));
    QDir(logs).removeRecursively();
    // The log file's name is taken by a folder, so the file cannot be opened.
    const QString month = QLocale::c().toString(QDate::currentDate(), QStringLiteral("yyyy MMM"));
    QVERIFY(QDir().mkpath(logs + QStringLiteral("/T ") + month + QStringLiteral(" #6.csv")));
    WriteHive("\"Log Folder\"=\"" + logs.toLocal8Bit() +
              "\"\r\n\"Log Name\"=\"T\"\r\n\"Log Number\"=dword:00000005\r\n" +
              "\"Enable Log\"=dword:00000001\r\n\"Enable Comments\"=dword:00000001\r\n" +
              "\"Enable Ontop\"=dword:00000000\r\n\"Valid Age\"=dword:00000015\r\n");
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    Swipe(dlg, kSwipe);
    QTRY_VERIFY_WITH_TIMEOUT(dlg.Cycle().IsCommentsOpen(), 3000);
    QCOMPARE(dlg.Cycle().State(), DisplayState::CardShown);
    QVERIFY(dlg.Cycle().IsNotLogged());
    const auto told = [] {
        for (QWidget* const window : QApplication::topLevelWidgets())
            if (auto* const box = qobject_cast<QMessageBox*>(window); box && box->isVisible())
                return box->text();
        return QString();
    };
    QCOMPARE(told(), QStringLiteral("Couldn't open logfile"));
    qobject_cast<QDialog*>(QApplication::activeModalWidget())->reject(); // the Comments dialog
    QTRY_VERIFY(!dlg.Cycle().IsCommentsOpen());
    dlg.repaint();
    const auto& items = dlg.Display().items;
    const auto notice = std::find_if(items.begin(), items.end(), [](const TextItem& item) {
        return item.text == "Not logged yet: the log file cannot be written";
    });
    QVERIFY(notice != items.end());
    const TextItem noticeItem = *notice; // the grab below paints, and lays out again
    QVERIFY(noticeItem.colour == DisplayColour::kWarning);
    // Drawn in that colour (anti-aliased text has its full colour only in the thicker strokes).
    const QImage shown = dlg.grab().toImage();
    const QRect line = BoxOf(noticeItem, DisplayFontSet()).translated(dlg.ClientRect().topLeft());
    int amber = 0;
    for (int y = line.top(); y <= line.bottom(); ++y)
        for (int x = line.left(); x <= line.right(); ++x) {
            const QColor c = shown.pixelColor(x, y);
            amber += std::abs(c.red() - 190) + std::abs(c.green() - 95) + std::abs(c.blue()) < 60;
        }
    QVERIFY2(amber > 20, "the notice is not drawn in the warning colour");
}

void MainDlgTest::alwaysOnTopConfinesAtPaintAndCommand() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log)); // fresh key: "Always On Top" checked
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTRY_VERIFY(log.confined);
    QCOMPARE(log.confinedTo.back(), dlg.frameGeometry());

    dlg.Menu().Action(32780)->trigger(); // unchecked: released at once
    QVERIFY(!log.confined);
    QCOMPARE(Value("Enable Ontop"), QStringLiteral("dword:00000000"));
    dlg.repaint();
    QVERIFY2(!log.confined, "a paint confines although the option is unchecked");

    dlg.Menu().Action(32780)->trigger(); // checked: confined at once
    QVERIFY(log.confined);
    QCOMPARE(Value("Enable Ontop"), QStringLiteral("dword:00000001"));
}

void MainDlgTest::modalDialogTakesTheGrabsPlace() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTRY_VERIFY(log.grabbed);

    bool grabbedWhileOpen = true;
    QTimer::singleShot(100, &dlg, [&] {
        grabbedWhileOpen = log.grabbed;
        if (QWidget* const box = QApplication::activeModalWidget())
            box->close();
    });
    QMessageBox box(QMessageBox::Information, QStringLiteral("t"), QStringLiteral("t"), QMessageBox::Ok, &dlg);
    box.exec();
    QVERIFY2(!grabbedWhileOpen, "the keyboard stayed grabbed while a modal dialog was open");
    // A window manager gives the focus back to the station; the offscreen platform needs telling.
    dlg.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTRY_VERIFY(log.grabbed);

    dlg.Menu().Action(32780)->trigger(); // unchecked: the grab goes
    QVERIFY(!log.grabbed);
}

void MainDlgTest::removeStationLockReleasesBoth() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTRY_VERIFY(log.grabbed && log.confined);
    dlg.RemoveStationLock();
    QVERIFY(!log.grabbed);
    QVERIFY(!log.confined);
}

void MainDlgTest::aboutReleasesAndRenewsConfinement_data() {
    QTest::addColumn<bool>("fromSystemMenu");
    QTest::newRow("Help > About") << false;
    QTest::newRow("context menu \"&About Kestrin...\"") << true;
}

void MainDlgTest::aboutReleasesAndRenewsConfinement() {
    QFETCH(bool, fromSystemMenu);
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTRY_VERIFY(log.confined);

    QString shown;
    bool confinedWhileShown = true;
    QTimer::singleShot(200, &dlg, [&] {
        confinedWhileShown = log.confined;
        if (QWidget* const box = QApplication::activeModalWidget()) {
            shown = box->windowTitle();
            box->close();
        }
    });
    QAction* const about = fromSystemMenu ? dlg.SystemMenu().actions().at(1) : dlg.Menu().Action(32778);
    about->trigger();
    QCOMPARE(shown, QStringLiteral("About Kestrin"));
    QVERIFY2(!confinedWhileShown, "the cursor stayed confined while the About box was shown");
    QVERIFY2(log.confined, "the confinement was not renewed after the About box");
}

void MainDlgTest::helpWithoutDocumentSaysSoAndFreesCursor() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log)); // no "App Folder": /KestrinHelp.pdf does not exist
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QTRY_VERIFY(log.confined);
    QString text;
    QTimer::singleShot(200, &dlg, [&] {
        if (auto* const box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->close();
        }
    });
    dlg.Menu().Action(32777)->trigger();
    QCOMPARE(text, QStringLiteral("Cannot open help file."));
    QVERIFY(!log.confined);
}

void MainDlgTest::windowIconIsTheStationIcon() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    QVERIFY(!dlg.windowIcon().isNull());
    QVERIFY(dlg.windowIcon().availableSizes().contains(QSize(16, 16)));
}

void MainDlgTest::cardCountedOnceAcrossRepaints() {
    WriteHive("\"Enable Log\"=dword:00000000\r\n\"Enable Ontop\"=dword:00000000\r\n"
              "\"Count Valid DL Only\"=dword:00000000\r\n\"Valid Age\"=dword:00000015\r\n");
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QVERIFY(HasColour(dlg.grab().toImage(), qRgb(0, 0, 0)));

    Swipe(dlg, kSwipe);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.Cycle().State(), DisplayState::CardShown, 3000);
    dlg.repaint();
    dlg.repaint();
    const QImage shown = dlg.grab().toImage();
    QCOMPARE(dlg.Total(), 1);
    QVERIFY2(HasColour(shown, qRgb(0, 200, 0)), "no verdict green for a holder over the valid age");
    QVERIFY2(HasColour(shown, qRgb(200, 0, 0)), "no verdict red for the expired licence");
    QCOMPARE(dlg.Cycle().LastResults().size(), std::size_t(1));
}

void MainDlgTest::unknownSwipeKeepsTotalAndList() {
    WriteHive("\"Log Folder\"=\"" + m_dir.filePath(QStringLiteral("logs")).toLocal8Bit() +
              "\"\r\n\"Enable Log\"=dword:00000001\r\n\"Enable Comments\"=dword:00000000\r\n"
              "\"Enable Ontop\"=dword:00000000\r\n");
    MagneticStripeCards::UnknownSwipeFile unknownFile; // installed by the start-up in the station
    const MagneticStripeCards::ScopedUnknownScanSink sink(&unknownFile);
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    Swipe(dlg, "%NOT A CARD?");
    QTRY_COMPARE_WITH_TIMEOUT(dlg.Cycle().State(), DisplayState::UnknownCard, 3000);
    dlg.repaint();
    QVERIFY(HasColour(dlg.grab().toImage(), qRgb(255, 0, 0)));
    QCOMPARE(dlg.Total(), 0);
    QVERIFY(dlg.Cycle().LastResults().empty());
    QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("logs/unknowndl.txt"))));
}

namespace {
// The line under the total, as the last paint drew it.
std::optional<TextItem> InsideItem(const MainDlg& dlg) {
    for (const TextItem& item : dlg.Display().items)
        if (item.text.rfind("Inside ", 0) == 0)
            return item;
    return std::nullopt;
}

void Press(MainDlg& dlg, Qt::Key key, int times = 1) {
    for (int i = 0; i < times; ++i)
        QTest::keyClick(&dlg, key);
    dlg.repaint();
}
} // namespace

// A venue store of its own (next to a hive of its own), so the count starts from nothing stored.
void MainDlgTest::insideCountByF7AndF8AgainstTheCapacity() {
    QTemporaryDir venueDir;
    const QString hive = venueDir.filePath(QStringLiteral("registry.reg"));
    qputenv("KESTRIN_REGISTRY", hive.toLocal8Bit());
    const QString saved = m_hive;
    m_hive = hive;
    WriteHive("\"Enable Log\"=dword:00000000\r\n\"Enable Ontop\"=dword:00000000\r\n\"Valid Age\"=dword:00000015\r\n"
              "\"Capacity\"=dword:0000000a\r\n\"Venue\"=\"harbour\"\r\n\"Count Valid DL Only\"=dword:00000000\r\n");
    {
        StationLockLog log;
        MainDlg dlg(nullptr, FakeLockParts(log));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        dlg.repaint();
        QVERIFY(InsideItem(dlg));
        QCOMPARE(InsideItem(dlg)->text, std::string("Inside 0 / 10"));
        QCOMPARE(InsideItem(dlg)->colour, DisplayColour::kBlack);

        Press(dlg, Qt::Key_F7, 8);
        QCOMPARE(InsideItem(dlg)->text, std::string("Inside 8 / 10"));
        QCOMPARE(InsideItem(dlg)->colour, DisplayColour::kBlack);
        Press(dlg, Qt::Key_F7);
        QCOMPARE(InsideItem(dlg)->colour, DisplayColour::kWarning); // 90 %
        Press(dlg, Qt::Key_F7);
        QCOMPARE(InsideItem(dlg)->text, std::string("Inside 10 / 10"));
        QCOMPARE(InsideItem(dlg)->colour, DisplayColour::kVerdictRed);
        Press(dlg, Qt::Key_F8, 2);
        QCOMPARE(InsideItem(dlg)->text, std::string("Inside 8 / 10"));

        // F7 in the middle of a swipe counts one in and leaves the swipe's text whole.
        const std::string swipe(kSwipe);
        QTest::keyClicks(&dlg, QString::fromLatin1(swipe.substr(0, 20).c_str()));
        QTest::keyClick(&dlg, Qt::Key_F7);
        QTest::keyClicks(&dlg, QString::fromLatin1(swipe.substr(20).c_str()));
        QTest::keyClick(&dlg, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(dlg.Cycle().State(), DisplayState::CardShown, 3000);
        QCOMPARE(dlg.Total(), 1);
        dlg.repaint();
        QCOMPARE(InsideItem(dlg)->text, std::string("Inside 9 / 10")); // the card shown is expired: no one in
    }

    // The counts are in the store as door counts, and a restarted station starts from them.
    Reports::SqliteVenueSql sql(venueDir.filePath(QStringLiteral("venue.db")).toStdString());
    const std::int64_t now = Venue::NowMicros();
    const Reports::NightRows rows = Reports::LoadNight(sql, "harbour", {now - 24 * Reports::kMicrosPerHour, now + 1});
    int sum = 0;
    for (const auto& count : rows.doorCounts)
        sum += count.delta;
    QCOMPARE(rows.doorCounts.size(), std::size_t(13));
    QCOMPARE(sum, 9);
    {
        StationLockLog log;
        MainDlg dlg(nullptr, FakeLockParts(log));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        QTRY_VERIFY_WITH_TIMEOUT((dlg.repaint(), InsideItem(dlg) && InsideItem(dlg)->text == "Inside 9 / 10"), 5000);
    }
    m_hive = saved;
    qputenv("KESTRIN_REGISTRY", saved.toLocal8Bit());
}

// A card on the banned list is refused whatever its age, with the reason and the expiry, and its event
// is in the venue store once the verdict is on the screen.
void MainDlgTest::bannedCardShowsBannedAndIsRecorded() {
    WriteHive("\"Enable Log\"=dword:00000000\r\n\"Enable Ontop\"=dword:00000000\r\n\"Venue\"=\"north\"\r\n"
              "\"Station Name\"=\"front\"\r\n");
    const std::string keyPath = m_dir.filePath(QStringLiteral("venue.key")).toStdString();
    std::string error;
    if (!QFile::exists(QString::fromStdString(keyPath)))
        QVERIFY2(Venue::IdentityKey::Create(keyPath, error), error.c_str());
    const auto key = Venue::IdentityKey::Load(keyPath, error);
    QVERIFY2(key, error.c_str());
    const std::string dbPath = m_dir.filePath(QStringLiteral("venue.db")).toStdString();
    StoreBan(dbPath, key->IdentityOf(MagneticStripeCards::Card(kSwipe)), "north");
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    Swipe(dlg, kSwipe);
    QTRY_COMPARE_WITH_TIMEOUT(dlg.Cycle().State(), DisplayState::CardShown, 3000);
    dlg.repaint();
    QStringList texts;
    for (const TextItem& item : dlg.Display().items)
        texts << QString::fromStdString(item.text);
    QVERIFY2(texts.contains(QStringLiteral("BANNED")), qPrintable(texts.join(QLatin1Char('|'))));
    QVERIFY2(texts.join(QLatin1Char(' ')).contains(QStringLiteral("violence")),
             qPrintable(texts.join(QLatin1Char('|'))));
    const auto scans = Venue::EmbeddedStore(dbPath).Scans("north", std::nullopt);
    QVERIFY(!scans.empty());
    QCOMPARE(scans.back().verdict, Venue::Verdict::Banned);
    QCOMPARE(scans.back().station, std::string("front"));
}

void MainDlgTest::f9OpensTheVenueMenu() {
    StationLockLog log;
    MainDlg dlg(nullptr, FakeLockParts(log));
    dlg.show();
    QVERIFY(QTest::qWaitForWindowActive(&dlg));
    QTest::keyClick(&dlg, Qt::Key_F9);
    QWidget* const menu = qobject_cast<QWidget*>(dlg.Menu().Action(32801)->parent());
    QVERIFY(menu);
    QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 3000);
    QVERIFY(dlg.Cycle().SwipeText().empty());
    QTest::keyClick(menu, Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!menu->isVisible(), 3000);
}

QTEST_MAIN(MainDlgTest)
#include "MainDlgTest.moc"
