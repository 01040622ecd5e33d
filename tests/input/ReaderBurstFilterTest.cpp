// The burst filter between a modal dialog and the scan cycle, with key events as the window system
// delivers them (to the dialog's window, time-stamped), on the offscreen platform.
#include "ReaderBurstFilter.h"
#include "ReaderKeymap.h"

#include <QDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QWindow>

#include <string>

class ReaderBurstFilterTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void burstGoesToTheScanAndTheDialogKeepsItsText();
    void personTypingASentinelStillGetsIt();
    void phoneCodeGoesToTheScanAndAPersonsMStaysInTheDialog();

private:
    void Type(const QString& keys, quint64 startMs, quint64 stepMs = 2);

    QWidget m_station;
    ReaderKeymap m_keymap{ReaderKeymap::Source::DesktopLayout};
    std::string m_fed;
    std::unique_ptr<ReaderBurstFilter> m_filter;
    std::unique_ptr<QDialog> m_dialog;
    QLineEdit* m_edit = nullptr;
};

void ReaderBurstFilterTest::init() {
    m_fed.clear();
    m_filter = std::make_unique<ReaderBurstFilter>(m_station, m_keymap, [this](const QKeyEvent& key) {
        m_fed += key.key() == Qt::Key_Return ? std::string("<Enter>") : key.text().toStdString();
    });
    m_dialog = std::make_unique<QDialog>();
    m_edit = new QLineEdit(m_dialog.get()); // owned by the dialog
    m_dialog->setModal(true);
    m_dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(m_dialog.get()));
    m_edit->setFocus();
    QCOMPARE(QApplication::activeModalWidget(), m_dialog.get());
}

void ReaderBurstFilterTest::cleanup() {
    m_dialog.reset();
    m_filter.reset();
}

// Presses and releases each key at the dialog's window, `stepMs` apart by the keys' time stamps; '\n'
// stands for Return.
void ReaderBurstFilterTest::Type(const QString& keys, quint64 startMs, quint64 stepMs) {
    quint64 time = startMs;
    for (const QChar c : keys) {
        const bool enter = c == QLatin1Char('\n');
        const int key = enter ? int(Qt::Key_Return) : int(c.toUpper().unicode());
        const QString text = enter ? QStringLiteral("\r") : QString(c);
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, key, Qt::NoModifier, text);
            event.setTimestamp(time);
            QCoreApplication::sendEvent(m_dialog->windowHandle(), &event);
        }
        time += stepMs;
    }
}

void ReaderBurstFilterTest::burstGoesToTheScanAndTheDialogKeepsItsText() {
    Type(QStringLiteral("late"), 0, 150);
    Type(QStringLiteral("%B1?;12=3?\n"), 1000);
    QCOMPARE(m_fed, std::string("%B1?;12=3?<Enter>"));
    QCOMPARE(m_edit->text(), QStringLiteral("late"));
    QVERIFY2(m_dialog->isVisible(), "the burst's Enter closed the dialog");
    Type(QStringLiteral(" shift"), 2000, 150);
    QCOMPARE(m_edit->text(), QStringLiteral("late shift"));
    QCOMPARE(m_fed, std::string("%B1?;12=3?<Enter>"));
}

void ReaderBurstFilterTest::personTypingASentinelStillGetsIt() {
    Type(QStringLiteral("a%"), 0, 150);
    QCOMPARE(m_edit->text(), QStringLiteral("a")); // held back for a moment
    QTRY_COMPARE_WITH_TIMEOUT(m_edit->text(), QStringLiteral("a%"), 2000);
    // The next key decides at once when it comes later than a reader's would; order is kept.
    Type(QStringLiteral("@b"), 5000, ReaderBurstDetector::kStartGapMs + 1);
    QCOMPARE(m_edit->text(), QStringLiteral("a%@b"));
    QVERIFY(m_fed.empty());
}

void ReaderBurstFilterTest::phoneCodeGoesToTheScanAndAPersonsMStaysInTheDialog() {
    Type(QStringLiteral("me"), 0, 150);
    QCOMPARE(m_edit->text(), QStringLiteral("me"));
    // Every key of the prefix is held until the last one proves a reader; then all go to the scan.
    Type(QStringLiteral("mdoc:owBj\n"), 1000);
    QCOMPARE(m_fed, std::string("mdoc:owBj<Enter>"));
    QCOMPARE(m_edit->text(), QStringLiteral("me"));
    QVERIFY2(m_dialog->isVisible(), "the phone code's Enter closed the dialog");
    // A prefix that breaks off gives the held keys back to the dialog in their order.
    Type(QStringLiteral("mdo"), 3000);
    Type(QStringLiteral("t"), 3100);
    QCOMPARE(m_edit->text(), QStringLiteral("memdot"));
    QCOMPARE(m_fed, std::string("mdoc:owBj<Enter>"));
}

QTEST_MAIN(ReaderBurstFilterTest)
#include "ReaderBurstFilterTest.moc"
