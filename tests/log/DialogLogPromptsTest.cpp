#include "DialogLogPrompts.h"
#include "Fonts.h"
#include "Remarks.h"
#include "WhenModal.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

class DialogLogPromptsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Fonts::InstallFontSubstitutions(); }

    void cannotOpenBoxHasErrorCaptionOkOnlyNoIcon() {
        QString text, title;
        QMessageBox::Icon icon = QMessageBox::Critical;
        QMessageBox::StandardButtons buttons;
        QWidget* owner = reinterpret_cast<QWidget*>(1);
        WhenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            buttons = box->standardButtons();
            owner = box->parentWidget();
            box->button(QMessageBox::Ok)->click();
        });
        DialogLogPrompts().ShowCannotOpenLog();
        QCOMPARE(text, QStringLiteral("Couldn't open logfile"));
        QCOMPARE(title, QStringLiteral("Error"));
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(owner, nullptr);
    }

    void askRunsTheCommentsDialogModally() {
        WhenModal([](QWidget* modal) {
            auto* remarks = qobject_cast<Remarks*>(modal);
            QVERIFY(remarks);
            remarks->findChild<QLineEdit*>(QStringLiteral("comment1"))->setText(QStringLiteral("late shift"));
            remarks->findChild<QLineEdit*>(QStringLiteral("comment2"))->setText(QStringLiteral("ok"));
            remarks->findChild<QPushButton*>(QStringLiteral("ok"))->click();
        });
        QCOMPARE(DialogLogPrompts().AskLogSuffix(), std::string(",\"late shift\",\"ok\""));
    }

    void commentsDialogOpensOverTheStationWindow() {
        QDialog station;
        station.setGeometry(340, 250, 444, 338); // moved away from the middle of the screen
        QWidget* owner = nullptr;
        QPoint dialogCentre;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, &station, [&] {
            QWidget* const modal = QApplication::activeModalWidget();
            if (!modal || modal == &station)
                return;
            poll.stop();
            owner = modal->parentWidget();
            dialogCentre = modal->geometry().center();
            modal->findChild<QPushButton*>(QStringLiteral("cancel"))->click();
        });
        // Scans are logged while the station's own modal run is going on.
        QTimer::singleShot(0, &station, [&] {
            poll.start();
            DialogLogPrompts().AskLogSuffix();
            station.accept();
        });
        station.exec();
        QCOMPARE(owner, &station);
        QVERIFY2(station.geometry().contains(dialogCentre), "the Comments dialog is centred over the station");
    }

    void eachAskIsAFreshDialog() {
        WhenModal([](QWidget* modal) {
            modal->findChild<QLineEdit*>(QStringLiteral("comment1"))->setText(QStringLiteral("first"));
            modal->findChild<QPushButton*>(QStringLiteral("ok"))->click();
        });
        QCOMPARE(DialogLogPrompts().AskLogSuffix(), std::string(",\"first\",\"\""));
        WhenModal([](QWidget* modal) { modal->findChild<QPushButton*>(QStringLiteral("cancel"))->click(); });
        QCOMPARE(DialogLogPrompts().AskLogSuffix(), std::string(",\"\",\"\""));
    }
};

QTEST_MAIN(DialogLogPromptsTest)
#include "DialogLogPromptsTest.moc"
