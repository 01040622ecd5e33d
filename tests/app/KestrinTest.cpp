// The box that ends the station when its settings cannot be written.
#include "Kestrin.h"

#include <QMessageBox>
#include <QTest>

class KestrinTest : public QObject {
    Q_OBJECT
private slots:
    void fatalBoxIsAnOwnerlessTopmostExclamationWithOkOnly();
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

QTEST_MAIN(KestrinTest)
#include "KestrinTest.moc"
