#include "Remarks.h"
#include "DialogUnits.h"
#include "Fonts.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

QLineEdit* Box(Remarks& dialog, const char* name) {
    return dialog.findChild<QLineEdit*>(QString::fromLatin1(name));
}
QPushButton* Button(Remarks& dialog, const char* name) {
    return dialog.findChild<QPushButton*>(QString::fromLatin1(name));
}

// Keystrokes where QTest can type them; QTest has no key for other characters, so those are inserted as
// an input method would.
void Type(QLineEdit* box, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80 && c != QLatin1Char('\t') && c != QLatin1Char('\r'))
            QTest::keyClicks(box, QString(c));
        else
            box->insert(QString(c));
    }
}

bool ShowActive(Remarks& dialog) {
    dialog.show();
    dialog.activateWindow();
    return QTest::qWaitForWindowActive(&dialog);
}

} // namespace

class RemarksTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Fonts::InstallFontSubstitutions(); }

    void templateGeometryAndCaption() {
        Remarks dialog;
        const DialogUnits units(Fonts::StandardDialogFont());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Comments"));
        QCOMPARE(dialog.size(), units.Size(210, 83));
        QCOMPARE(Box(dialog, "comment1")->geometry(), units.Rect(13, 12, 185, 12));
        QCOMPARE(Box(dialog, "comment2")->geometry(), units.Rect(12, 35, 185, 12));
        QCOMPARE(Button(dialog, "ok")->geometry(), units.Rect(45, 59, 50, 14));
        QCOMPARE(Button(dialog, "cancel")->geometry(), units.Rect(114, 59, 50, 14));
    }

    void focusStartsInTheFirstBoxAndTabCyclesTheBoxes() {
        Remarks dialog;
        QVERIFY(ShowActive(dialog));
        QCOMPARE(QApplication::focusWidget(), Box(dialog, "comment1"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Box(dialog, "comment2"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), Box(dialog, "comment1"));
    }

    void suffixAfterOk_data() {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QByteArray>("suffix");
        QTest::newRow("two comments") << QStringLiteral("late shift") << QStringLiteral("ok")
                                      << QByteArray(",\"late shift\",\"ok\"");
        QTest::newRow("both empty") << QString() << QString() << QByteArray(",\"\",\"\"");
        QTest::newRow("comma stays inside its quotes")
            << QStringLiteral("a, b") << QString() << QByteArray(",\"a, b\",\"\"");
        QTest::newRow("quotes are doubled")
            << QStringLiteral("say \"hi\"") << QStringLiteral("\"") << QByteArray(",\"say \"\"hi\"\"\",\"\"\"\"");
        QTest::newRow("formula signs get an apostrophe")
            << QStringLiteral("=1+2") << QStringLiteral("@SUM(A1)") << QByteArray(",\"'=1+2\",\"'@SUM(A1)\"");
        QTest::newRow("plus and minus too")
            << QStringLiteral("+1") << QStringLiteral("-1+1") << QByteArray(",\"'+1\",\"'-1+1\"");
        QTest::newRow("a plain negative number is no formula")
            << QStringLiteral("-12") << QStringLiteral("-") << QByteArray(",\"-12\",\"'-\"");
        QTest::newRow("tab and carriage return too")
            << QStringLiteral("\tx") << QStringLiteral("\ry") << QByteArray(",\"'\tx\",\"'\ry\"");
        QTest::newRow("a sign further in stays")
            << QStringLiteral("a=b") << QStringLiteral(" -1") << QByteArray(",\"a=b\",\" -1\"");
        QTest::newRow("non-ASCII as Latin-1, as the card bytes of the same row")
            << QStringLiteral("Zo\u00eb") << QStringLiteral("caf\u00e9") << QByteArray(",\"Zo\xeb\",\"caf\xe9\"");
        QTest::newRow("outside Latin-1 a question mark")
            << QStringLiteral("\u20ac5") << QStringLiteral("\u2713") << QByteArray(",\"?5\",\"?\"");
    }
    void suffixAfterOk() {
        QFETCH(QString, first);
        QFETCH(QString, second);
        QFETCH(QByteArray, suffix);
        Remarks dialog;
        QVERIFY(ShowActive(dialog));
        Type(Box(dialog, "comment1"), first);
        Type(Box(dialog, "comment2"), second);
        QTest::mouseClick(Button(dialog, "ok"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(QByteArray::fromStdString(dialog.GetLogSuffix()), suffix);
    }

    void enterInABoxIsOk() {
        Remarks dialog;
        QVERIFY(ShowActive(dialog));
        QTest::keyClicks(Box(dialog, "comment1"), QStringLiteral("door 2"));
        QTest::keyClick(Box(dialog, "comment1"), Qt::Key_Return);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.GetLogSuffix(), std::string(",\"door 2\",\"\""));
    }

    void cancelAndEscapeDropTheTypedText_data() {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }
    void cancelAndEscapeDropTheTypedText() {
        QFETCH(bool, escape);
        Remarks dialog;
        QVERIFY(ShowActive(dialog));
        QTest::keyClicks(Box(dialog, "comment1"), QStringLiteral("typed"));
        QTest::keyClicks(Box(dialog, "comment2"), QStringLiteral("also typed"));
        if (escape)
            QTest::keyClick(Box(dialog, "comment2"), Qt::Key_Escape);
        else
            QTest::mouseClick(Button(dialog, "cancel"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(dialog.GetLogSuffix(), std::string(",\"\",\"\""));
    }

    void longCommentIsKeptWhole() {
        Remarks dialog;
        QVERIFY(ShowActive(dialog));
        const QString longText(10000, QLatin1Char('w'));
        Box(dialog, "comment1")->setText(longText);
        QTest::mouseClick(Button(dialog, "ok"), Qt::LeftButton);
        QCOMPARE(dialog.Comment1().size(), std::size_t(10000));
        QCOMPARE(dialog.GetLogSuffix(), ",\"" + std::string(10000, 'w') + "\",\"\"");
    }

    void freshDialogStartsEmpty() {
        Remarks dialog;
        QCOMPARE(dialog.GetLogSuffix(), std::string(",\"\",\"\""));
        QVERIFY(Box(dialog, "comment1")->text().isEmpty());
    }
};

QTEST_MAIN(RemarksTest)
#include "RemarksTest.moc"
