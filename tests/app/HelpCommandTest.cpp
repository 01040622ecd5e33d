#include "HelpCommand.h"
#include "FakeShellOpen.h"
#include "ModalSpy.h"
#include "QtTestFiles.h"
#include "Settings.h"

#include <QDialog>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <string>

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
    void viewerFailureShowsTheErrorBox();
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
    QVERIFY(OpenHelp(nullptr, release, shell));
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
    QVERIFY(OpenHelp(nullptr));
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
    QVERIFY(!OpenHelp(
        &owner, [&released] { ++released; }, shell));
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
    QVERIFY(!OpenHelp(nullptr, {}, shell));
    QVERIFY(spy.seen);
    QCOMPARE(spy.text, QStringLiteral("Cannot open help file."));
    QVERIFY(shell.Opened().isEmpty());
}

void HelpCommandTest::viewerFailureShowsTheErrorBox() {
    WriteFile(m_dir.filePath(QStringLiteral("KestrinHelp.pdf")), "%PDF-1.4\n%%EOF\n");
    if (!UseAppFolder(m_dir.path()))
        return;
    FakeShellOpen shell(IShellOpen::kNoAssociation);
    ModalSpy spy;
    spy.Arm();
    QVERIFY(!OpenHelp(nullptr, {}, shell));
    QCOMPARE(shell.Opened().size(), 1);
    QVERIFY(spy.seen);
    QCOMPARE(spy.text, QStringLiteral("Cannot open help file."));
}

void HelpCommandTest::folderInsteadOfManualShowsTheErrorBox() {
    QVERIFY(m_dir.mkdir(QStringLiteral("KestrinHelp.pdf")));
    if (!UseAppFolder(m_dir.path()))
        return;
    FakeShellOpen shell;
    ModalSpy spy;
    spy.Arm();
    QVERIFY(!OpenHelp(nullptr, {}, shell));
    QVERIFY(spy.seen);
    QVERIFY(shell.Opened().isEmpty());
}

QTEST_MAIN(HelpCommandTest)
#include "HelpCommandTest.moc"
