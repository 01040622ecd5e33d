#include "HelpCommand.h"
#include "FakeShellOpen.h"
#include "ManualDlg.h"
#include "ModalSpy.h"
#include "QtTestFiles.h"
#include "Settings.h"

#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QtTest>

#include <memory>
#include <string>

Q_DECLARE_METATYPE(HelpOutcome)

namespace {

// Backslashes and quotes are escaped in the hive's texts.
QByteArray HiveText(const QString& appFolder) {
    QByteArray folder = appFolder.toLocal8Bit();
    folder.replace("\\", "\\\\").replace("\"", "\\\"");
    return "Windows Registry Editor Version 5.00\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Orbelon\\Kestrin]\r\n"
           "\"App Folder\"=\"" +
           folder + "\"\r\n";
}

// Closes the manual shown inside the station from inside its own event loop, noting what it showed and
// whether the cursor was free meanwhile. Arm it right before the call that shows it.
struct ManualSpy {
    bool seen = false;
    QString title;
    QString text;
    int releasedWhileShown = 0;

    void Arm(const int& released) {
        QTimer::singleShot(0, [this, &released] {
            auto* manual = dynamic_cast<ManualDlg*>(QApplication::activeModalWidget());
            if (!manual)
                return;
            seen = true;
            title = manual->windowTitle();
            if (const auto* view = manual->findChild<QTextEdit*>())
                text = view->toPlainText();
            releasedWhileShown = released;
            manual->reject();
        });
    }
};

} // namespace

class HelpCommandTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void helpFilePath_data();
    void helpFilePath();
    void presentManualIsOpenedAfterReleasingTheCursor();
    void presentManualReachesTheViewerProgram();
    void missingManualShowsTheErrorBox();
    void withoutAppFolderTheRootIsTried();
    void shellAnswer_data();
    void shellAnswer();
    void folderInsteadOfManualShowsTheErrorBox();

private:
    // Points the settings store at a hive whose "App Folder" is `folder`; false (and failed) when the
    // store does not read it back.
    bool UseAppFolder(const QString& folder);

    std::unique_ptr<QTemporaryDir> m_scratch;
    QDir m_dir;
};

void HelpCommandTest::init() {
    m_scratch = std::make_unique<QTemporaryDir>();
    QVERIFY(m_scratch->isValid());
    m_dir.setPath(m_scratch->path());
    qunsetenv("KESTRIN_OPEN_COMMAND");
    qputenv("KESTRIN_REGISTRY", m_dir.filePath(QStringLiteral("registry.reg")).toLocal8Bit());
}

void HelpCommandTest::cleanup() {
    qunsetenv("KESTRIN_REGISTRY");
    m_scratch.reset();
}

bool HelpCommandTest::UseAppFolder(const QString& folder) {
    WriteFile(m_dir.filePath(QStringLiteral("registry.reg")), HiveText(folder));
    const QString stored = QString::fromLocal8Bit(Settings::GetAppFolder());
    if (stored == folder)
        return true;
    QTest::qFail(qPrintable(QStringLiteral("the store reads \"%1\" as App Folder").arg(stored)), __FILE__, __LINE__);
    return false;
}

void HelpCommandTest::helpFilePath_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("path");
    QTest::newRow("installed folder") << "/usr/share/kestrin"
                                      << "/usr/share/kestrin/KestrinHelp.pdf";
    QTest::newRow("empty folder means the root") << ""
                                                 << "/KestrinHelp.pdf";
    QTest::newRow("trailing separator is kept as stored") << "/opt/kestrin/"
                                                          << "/opt/kestrin//KestrinHelp.pdf";
    QTest::newRow("relative folder") << "docs"
                                     << "docs/KestrinHelp.pdf";
}

void HelpCommandTest::helpFilePath() {
    QFETCH(QString, folder);
    QFETCH(QString, path);
    QCOMPARE(HelpFilePath(folder.toStdString()), path);
}

void HelpCommandTest::presentManualIsOpenedAfterReleasingTheCursor() {
    const QString pdf = m_dir.filePath(QStringLiteral("KestrinHelp.pdf"));
    WriteFile(pdf, "%PDF-1.4\n%%EOF\n");
    if (!UseAppFolder(m_dir.path()))
        return;
    FakeShellOpen shell;
    int released = 0;
    bool releasedBeforeOpen = false;
    shell.OnOpen([&] { releasedBeforeOpen = released == 1; });

    ModalSpy spy;
    spy.Arm();
    const auto release = [&released] { ++released; };
    QCOMPARE(OpenHelp(nullptr, release, shell), HelpOutcome::ViewerStarted);
    QCOMPARE(shell.Opened(), QList<QUrl>{QUrl::fromLocalFile(pdf)});
    QVERIFY(releasedBeforeOpen);
    QCOMPARE(released, 1);
    QCoreApplication::processEvents();
    QVERIFY(!spy.seen);
}

// Through the desktop shell with a recording program in place of the PDF viewer.
void HelpCommandTest::presentManualReachesTheViewerProgram() {
    const QString pdf = m_dir.filePath(QStringLiteral("KestrinHelp.pdf"));
    WriteFile(pdf, "%PDF-1.4\n%%EOF\n");
    const QString record = m_dir.filePath(QStringLiteral("opened.txt"));
    const QString viewer = m_dir.filePath(QStringLiteral("viewer.sh"));
    WriteFile(viewer, "#!/bin/sh\nprintf '%s' \"$1\" > '" + record.toUtf8() + "'\n", true);
    qputenv("KESTRIN_OPEN_COMMAND", viewer.toLocal8Bit());
    if (!UseAppFolder(m_dir.path()))
        return;
    QCOMPARE(OpenHelp(nullptr), HelpOutcome::ViewerStarted);
    QTRY_COMPARE(ReadFile(record), pdf.toUtf8());
}

void HelpCommandTest::missingManualShowsTheErrorBox() {
    if (!UseAppFolder(m_dir.path()))
        return;
    FakeShellOpen shell;
    QDialog owner;
    int released = 0;
    ModalSpy spy;
    spy.Arm();
    QCOMPARE(OpenHelp(
                 &owner, [&released] { ++released; }, shell),
             HelpOutcome::CannotOpen);
    QVERIFY(spy.seen);
    QCOMPARE(spy.text, QStringLiteral("Cannot open help file."));
    QCOMPARE(spy.caption, QStringLiteral("Error"));
    QCOMPARE(spy.icon, QMessageBox::Warning);
    QCOMPARE(spy.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(spy.parent, &owner);
    QCOMPARE(released, 1);
    // xdg-open would have claimed success for the missing file: it is never asked.
    QVERIFY(shell.Opened().isEmpty());
}

void HelpCommandTest::withoutAppFolderTheRootIsTried() {
    // No hive at all: the key cannot be opened, the folder is empty and /KestrinHelp.pdf is not there.
    if (QFile::exists(QStringLiteral("/KestrinHelp.pdf")))
        QSKIP("this machine has a /KestrinHelp.pdf");
    FakeShellOpen shell;
    ModalSpy spy;
    spy.Arm();
    QCOMPARE(OpenHelp(nullptr, {}, shell), HelpOutcome::CannotOpen);
    QVERIFY(spy.seen);
    QCOMPARE(spy.text, QStringLiteral("Cannot open help file."));
    QVERIFY(shell.Opened().isEmpty());
}

// What the desktop answers for a present manual decides what Help does: a viewer, the manual inside the
// station when no application is associated (a kiosk), the error box for any other failure.
void HelpCommandTest::shellAnswer_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<HelpOutcome>("outcome");
    QTest::newRow("viewer started") << IShellOpen::kSuccess << HelpOutcome::ViewerStarted;
    QTest::newRow("no application for PDF documents") << IShellOpen::kNoAssociation << HelpOutcome::ShownInStation;
    QTest::newRow("file gone meanwhile") << IShellOpen::kFileNotFound << HelpOutcome::CannotOpen;
    QTest::newRow("access denied") << 5 << HelpOutcome::CannotOpen;
}

void HelpCommandTest::shellAnswer() {
    QFETCH(int, answer);
    QFETCH(HelpOutcome, outcome);
    WriteFile(m_dir.filePath(QStringLiteral("KestrinHelp.pdf")), "%PDF-1.4\n%%EOF\n");
    if (!UseAppFolder(m_dir.path()))
        return;
    FakeShellOpen shell(answer);
    QDialog owner;
    int released = 0;
    ModalSpy box;
    box.Arm();
    ManualSpy manual;
    manual.Arm(released);
    QCOMPARE(OpenHelp(
                 &owner, [&released] { ++released; }, shell),
             outcome);
    QCOMPARE(shell.Opened().size(), 1);
    QCOMPARE(box.seen, outcome == HelpOutcome::CannotOpen);
    if (box.seen)
        QCOMPARE(box.text, QStringLiteral("Cannot open help file."));
    QCOMPARE(manual.seen, outcome == HelpOutcome::ShownInStation);
    if (!manual.seen)
        return;
    // The project's own manual, whole, with the cursor free while it is read.
    QCOMPARE(manual.title, QStringLiteral("Kestrin Advanced User Manual"));
    for (const char* section : {"Setting up the station", "Log files", "Installation and removal"})
        QVERIFY2(manual.text.contains(QLatin1String(section)), section);
    QVERIFY(!manual.text.contains(QLatin1String("## ")));
    QCOMPARE(manual.releasedWhileShown, 1);
}

void HelpCommandTest::folderInsteadOfManualShowsTheErrorBox() {
    QVERIFY(m_dir.mkdir(QStringLiteral("KestrinHelp.pdf")));
    if (!UseAppFolder(m_dir.path()))
        return;
    FakeShellOpen shell;
    ModalSpy spy;
    spy.Arm();
    QCOMPARE(OpenHelp(nullptr, {}, shell), HelpOutcome::CannotOpen);
    QVERIFY(spy.seen);
    QVERIFY(shell.Opened().isEmpty());
}

QTEST_MAIN(HelpCommandTest)
#include "HelpCommandTest.moc"
