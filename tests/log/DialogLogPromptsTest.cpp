#include "DialogLogPrompts.h"
#include "Fonts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class KeyCounter : public QObject {
public:
    int presses = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        presses += event->type() == QEvent::KeyPress ? 1 : 0;
        return false;
    }
};

class DialogLogPromptsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Fonts::InstallFontSubstitutions(); }

    // The box keeps its text, caption and button, but returns at once, leaves the station active (the
    // next card's keys go there), opens over it, and stays one box however many failures come.
    void cannotOpenBoxNeitherBlocksNorTakesTheKeys() {
        QWidget station;
        station.setGeometry(340, 250, 444, 338);
        station.show();
        station.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&station));
        QTimer::singleShot(2000, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close(); // a box that blocked would fail below rather than hang
        });
        DialogLogPrompts prompts;
        prompts.ShowCannotOpenLog();
        prompts.ShowCannotOpenLog();
        const QMessageBox* const box = prompts.CannotOpenBox();
        QVERIFY(box && box->isVisible());
        QCOMPARE(box->text(), QStringLiteral("Couldn't open logfile"));
        QCOMPARE(box->windowTitle(), QStringLiteral("Error"));
        QCOMPARE(box->icon(), QMessageBox::NoIcon);
        QCOMPARE(box->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(box->parentWidget(), nullptr);
        QVERIFY(!box->isModal());
        QVERIFY(box->testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(box->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
        QTRY_COMPARE(QApplication::activeWindow(), &station);
        // Keys that reach the box anyway are the next card's: they go to the station.
        KeyCounter keys;
        station.installEventFilter(&keys);
        QTest::keyClicks(const_cast<QMessageBox*>(box), QStringLiteral("%B6"));
        QTest::keyClick(const_cast<QMessageBox*>(box), Qt::Key_Return);
        QCOMPARE(keys.presses, 4);
        QVERIFY(box->isVisible());
        QVERIFY2(station.frameGeometry().contains(box->frameGeometry().center()), "the box opens over the station");
        int boxes = 0;
        for (QWidget* const widget : QApplication::topLevelWidgets())
            boxes += qobject_cast<QMessageBox*>(widget) && widget->isVisible() ? 1 : 0;
        QCOMPARE(boxes, 1);

        box->button(QMessageBox::Ok)->click();
        QVERIFY(!box->isVisible());
        prompts.ShowCannotOpenLog(); // the next run of failures
        QVERIFY(prompts.CannotOpenBox()->isVisible());
    }
};

QTEST_MAIN(DialogLogPromptsTest)
#include "DialogLogPromptsTest.moc"
