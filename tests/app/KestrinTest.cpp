// The box that ends the station when its settings cannot be written, and the one it goes on past.
#include "Kestrin.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

class KestrinTest : public QObject {
    Q_OBJECT
private slots:
    void fatalBoxIsAnOwnerlessTopmostExclamationWithOkOnly();
    void warningBoxLeavesTheKeyboardWhereItWas();
};

void KestrinTest::fatalBoxIsAnOwnerlessTopmostExclamationWithOkOnly() {
    const auto box = Kestrin::FatalBox("Cannot continue.\nPlease reinstall the program!", "error");
    QCOMPARE(box->parentWidget(), nullptr);
    QVERIFY(box->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QCOMPARE(box->icon(), QMessageBox::Warning);
    QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(box->windowTitle(), QStringLiteral("error"));
    QCOMPARE(box->text(), QStringLiteral("Cannot continue.\nPlease reinstall the program!"));
}

// Needs a window manager that gives new windows the focus (openbox does); offscreen activates every window.
void KestrinTest::warningBoxLeavesTheKeyboardWhereItWas() {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        QSKIP("the offscreen platform activates every window it shows");
    QLineEdit station;
    station.show();
    station.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&station));
    const auto box = Kestrin::WarningBox();
    box->setText(QStringLiteral("The settings cannot be read."));
    box->show();
    QVERIFY(QTest::qWaitForWindowExposed(box.get()));
    QCOMPARE(box->windowModality(), Qt::NonModal);
    QCOMPARE(QApplication::activeWindow(), &station);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("%B6360"));
    QCOMPARE(station.text(), QStringLiteral("%B6360"));
}

QTEST_MAIN(KestrinTest)
#include "KestrinTest.moc"
