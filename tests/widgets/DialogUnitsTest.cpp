#include "DialogUnits.h"
#include "Fonts.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPushButton>
#include <QtTest>

class DialogUnitsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Fonts::InstallFontSubstitutions(); }

    void mulDivRounds_data() {
        QTest::addColumn<int>("a");
        QTest::addColumn<int>("b");
        QTest::addColumn<int>("c");
        QTest::addColumn<int>("expected");
        QTest::newRow("exact") << 50 << 8 << 4 << 100;
        QTest::newRow("half rounds up") << 1 << 6 << 4 << 2;           // 1.5
        QTest::newRow("below half rounds down") << 5 << 13 << 8 << 8;  // 8.125
        QTest::newRow("above half rounds up") << 59 << 15 << 8 << 111; // 110.625
        QTest::newRow("negative half rounds away from zero") << -1 << 6 << 4 << -2;
        QTest::newRow("no overflow in the product") << 2000000000 << 3 << 4 << 1500000000;
        QTest::newRow("zero divisor") << 5 << 5 << 0 << 0;
    }
    void mulDivRounds() {
        QFETCH(int, a);
        QFETCH(int, b);
        QFETCH(int, c);
        QFETCH(int, expected);
        QCOMPARE(DialogUnits::MulDiv(a, b, c), expected);
    }

    // Base units come from the font as Windows measures them: the rounded average of the 52 letters and
    // the cell height.
    void baseUnitsFollowTheFont() {
        const QFont font = Fonts::StandardDialogFont();
        const QFontMetrics metrics(font);
        const DialogUnits units(font);
        int sum = 0;
        for (char c = 'A'; c <= 'Z'; ++c)
            sum += metrics.horizontalAdvance(QChar::fromLatin1(c)) +
                   metrics.horizontalAdvance(QChar::fromLatin1(static_cast<char>(c - 'A' + 'a')));
        QVERIFY2(std::abs(units.BaseX() * 52 - sum) <= 26 + 52, "average letter width");
        QCOMPARE(units.BaseY(), metrics.ascent() + metrics.descent());
        QVERIFY(units.BaseX() > 0);
    }

    void convertsTemplateEntries() {
        const DialogUnits units(Fonts::StandardDialogFont());
        QCOMPARE(units.X(4), units.BaseX());
        QCOMPARE(units.Y(8), units.BaseY());
        const QRect r = units.Rect(36, 42, 24, 13);
        QCOMPARE(r.x(), DialogUnits::MulDiv(36, units.BaseX(), 4));
        QCOMPARE(r.y(), DialogUnits::MulDiv(42, units.BaseY(), 8));
        QCOMPARE(r.width(), DialogUnits::MulDiv(24, units.BaseX(), 4));
        QCOMPARE(r.height(), DialogUnits::MulDiv(13, units.BaseY(), 8));
        QPushButton button;
        units.Place(button, 36, 42, 24, 13);
        QCOMPARE(button.geometry(), r);
    }

    void largerFontGivesLargerUnits() {
        const DialogUnits small(Fonts::DialogFont(QStringLiteral("Microsoft Sans Serif"), 8));
        const DialogUnits large(Fonts::DialogFont(QStringLiteral("Microsoft Sans Serif"), 16));
        QVERIFY(large.BaseX() > small.BaseX());
        QVERIFY(large.BaseY() > small.BaseY());
    }
};

QTEST_MAIN(DialogUnitsTest)
#include "DialogUnitsTest.moc"
