#include "Fonts.h"

#include <QApplication>
#include <QFontInfo>
#include <QFontMetrics>
#include <QtTest>

class FontsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Fonts::InstallFontSubstitutions(); }

    void cellHeightIsAscentPlusDescent_data() {
        QTest::addColumn<QString>("face");
        QTest::addColumn<int>("cell");
        for (const char* face : {"Arial Black", "Arial Narrow", "Tahoma", "Verdana", "Microsoft Sans Serif"})
            for (int cell : {13, 20, 40, 85, 120})
                QTest::addRow("%s %d", face, cell) << QString::fromLatin1(face) << cell;
    }
    void cellHeightIsAscentPlusDescent() {
        QFETCH(QString, face);
        QFETCH(int, cell);
        const QFont font = Fonts::CellHeightFont(face, cell);
        const QFontMetrics metrics(font);
        const int got = metrics.ascent() + metrics.descent();
        QVERIFY2(got <= cell, qPrintable(QStringLiteral("cell %1 got %2").arg(cell).arg(got)));
        // The next pixel size would overshoot, so the font is as large as the cell allows.
        QFont bigger = font;
        bigger.setPixelSize(font.pixelSize() + 1);
        const QFontMetrics biggerMetrics(bigger);
        QVERIFY(biggerMetrics.ascent() + biggerMetrics.descent() > cell);
        QVERIFY(got >= cell - 2);
    }

    void tinyCellDoesNotLoop() {
        QCOMPARE(Fonts::CellHeightFont(QStringLiteral("Verdana"), 0).pixelSize(), 1);
        QCOMPARE(Fonts::CellHeightFont(QStringLiteral("Verdana"), -5).pixelSize(), 1);
    }

    void windowsFacesResolveToInstalledTwins_data() {
        QTest::addColumn<QString>("face");
        QTest::addColumn<QStringList>("acceptable");
        QTest::newRow("Arial Black") << QStringLiteral("Arial Black")
                                     << QStringList{QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")};
        QTest::newRow("Arial Narrow") << QStringLiteral("Arial Narrow")
                                      << QStringList{QStringLiteral("Liberation Sans Narrow")};
        QTest::newRow("Tahoma") << QStringLiteral("Tahoma")
                                << QStringList{QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")};
        QTest::newRow("Verdana") << QStringLiteral("Verdana") << QStringList{QStringLiteral("DejaVu Sans")};
        QTest::newRow("Microsoft Sans Serif")
            << QStringLiteral("Microsoft Sans Serif") << QStringList{QStringLiteral("DejaVu Sans")};
    }
    void windowsFacesResolveToInstalledTwins() {
        QFETCH(QString, face);
        QFETCH(QStringList, acceptable);
        const QFontInfo info(Fonts::CellHeightFont(face, 40));
        QVERIFY2(acceptable.contains(info.family()), qPrintable(info.family()));
    }

    void arialBlackIsHeavy() {
        const QFontInfo info(Fonts::CellHeightFont(QStringLiteral("Arial Black"), 85));
        QVERIFY(info.weight() >= QFont::Bold);
        const QFontInfo plain(Fonts::CellHeightFont(QStringLiteral("Verdana"), 85));
        QVERIFY(plain.weight() < QFont::Bold);
    }

    void dialogFontIsPointsAt96Dpi() {
        QCOMPARE(Fonts::StandardDialogFont().pixelSize(), 13);
        QCOMPARE(Fonts::DialogFont(QStringLiteral("Tahoma"), 8).pixelSize(), 11);
    }
};

QTEST_MAIN(FontsTest)
#include "FontsTest.moc"
