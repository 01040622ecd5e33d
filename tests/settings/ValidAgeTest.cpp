#include "TempHive.h"

#include "CDrawnButton.h"
#include "DialogUnits.h"
#include "Fonts.h"
#include "Settings.h"
#include "UpDownControl.h"
#include "ValidAge.h"

#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

#include <limits>
#include <memory>

namespace {

void ClickArrow(ValidAge& dialog, bool up) {
    auto* upDown = dialog.findChild<UpDownControl*>(QStringLiteral("upDown"));
    QVERIFY(upDown);
    const QPoint at(upDown->width() / 2, up ? 2 : upDown->height() - 3);
    QTest::mouseClick(upDown, Qt::LeftButton, {}, at);
}

CDrawnButton* Button(ValidAge& dialog, const char* name) {
    return dialog.findChild<CDrawnButton*>(QString::fromLatin1(name));
}

// Bounding box of the painted number: pixels much darker than the dialog's face, left of the arrows.
QRect NumberBox(ValidAge& dialog) {
    const QImage image = dialog.grab().toImage();
    const int limitX = dialog.findChild<UpDownControl*>(QStringLiteral("upDown"))->x();
    const int limitY = Button(dialog, "ok")->y();
    QRect box;
    for (int y = 0; y < limitY; ++y)
        for (int x = 0; x < limitX; ++x)
            if (qGray(image.pixel(x, y)) < 64)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

class ValidAgeTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Fonts::InstallFontSubstitutions(); }

    void init() { m_hive = std::make_unique<TempHive>(); }
    void cleanup() { m_hive.reset(); }

    void templateGeometry() {
        m_hive->Write({{"Valid Age", std::uint32_t{21}}});
        ValidAge dialog;
        const DialogUnits units(Fonts::StandardDialogFont());
        QCOMPARE(dialog.size(), units.Size(66, 59));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Valid Age"));
        QCOMPARE(Button(dialog, "ok")->geometry(), units.Rect(36, 42, 24, 13));
        QCOMPARE(Button(dialog, "cancel")->geometry(), units.Rect(6, 42, 24, 13));
        QCOMPARE(dialog.findChild<UpDownControl*>(QStringLiteral("upDown"))->geometry(), units.Rect(52, 12, 9, 24));
        QVERIFY(Button(dialog, "ok")->isDefault());
    }

    void upThreeTimesThenOkStoresTheAge() {
        m_hive->Write({{"Valid Age", std::uint32_t{21}}});
        ValidAge dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QStringList painted;
        for (int i = 0; i < 3; ++i) {
            ClickArrow(dialog, true);
            dialog.grab();
            painted << dialog.AgeText();
        }
        QCOMPARE(painted, (QStringList{QStringLiteral("22"), QStringLiteral("23"), QStringLiteral("24")}));
        QCOMPARE(Settings::GetValidAge(), 21);
        QTest::mouseClick(Button(dialog, "ok"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(Settings::GetValidAge(), 24);
    }

    void cancelStoresNothing() {
        m_hive->Write({{"Valid Age", std::uint32_t{21}}});
        const std::string before = m_hive->Contents();
        ValidAge dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        for (int i = 0; i < 3; ++i)
            ClickArrow(dialog, true);
        QCOMPARE(dialog.Age(), 24);
        QTest::mouseClick(Button(dialog, "cancel"), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(m_hive->Contents(), before);
        QCOMPARE(Settings::GetValidAge(), 21);
    }

    void escapeStoresNothing() {
        m_hive->Write({{"Valid Age", std::uint32_t{30}}});
        ValidAge dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Up);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QCOMPARE(Settings::GetValidAge(), 30);
    }

    void downFromZeroShowsMinusOne() {
        m_hive->Write({{"Valid Age", std::uint32_t{0}}});
        ValidAge dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QRect zero = NumberBox(dialog);
        ClickArrow(dialog, false);
        const QRect minusOne = NumberBox(dialog);
        QCOMPARE(dialog.AgeText(), QStringLiteral("-1"));
        // The minus sign widens the number to the left of where the zero began.
        QVERIFY(minusOne.left() < zero.left());
    }

    void numberIsCentredAtFiftyFiveBelowTheTop() {
        m_hive->Write({{"Valid Age", std::uint32_t{21}}});
        ValidAge dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const QRect box = NumberBox(dialog);
        QVERIFY(!box.isEmpty());
        QVERIFY2(std::abs(box.center().x() - ValidAge::kNumberCentreX) <= 3,
                 qPrintable(QString::number(box.center().x())));
        QVERIFY(box.top() >= ValidAge::kNumberTop);
        // Glyphs of an 85-pixel cell are far taller than the dialog font's.
        QVERIFY(box.height() > 40);
    }

    void arrowKeysStepFromTheFocusedButton() {
        m_hive->Write({{"Valid Age", std::uint32_t{18}}});
        ValidAge dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), Button(dialog, "ok"));
        QTest::keyClick(Button(dialog, "ok"), Qt::Key_Up);
        QTest::keyClick(Button(dialog, "ok"), Qt::Key_Up);
        QTest::keyClick(Button(dialog, "ok"), Qt::Key_Down);
        QCOMPARE(dialog.Age(), 19);
        QTest::keyClick(Button(dialog, "ok"), Qt::Key_Return);
        QCOMPARE(Settings::GetValidAge(), 19);
    }

    void okWithoutStepsWritesAbsentAsMinusOne() {
        m_hive->Write({});
        ValidAge dialog;
        QCOMPARE(dialog.Age(), -1);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::mouseClick(Button(dialog, "ok"), Qt::LeftButton);
        QCOMPARE(Settings::GetValidAge(), -1);
        QVERIFY(m_hive->Contents().find("\"Valid Age\"=dword:ffffffff") != std::string::npos);
    }

    void stepsStopAtTheIntegerRange() {
        m_hive->Write({{"Valid Age", std::uint32_t{0x7FFFFFFF}}});
        ValidAge dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        ClickArrow(dialog, true);
        QCOMPARE(dialog.Age(), std::numeric_limits<std::int32_t>::max());
        m_hive->Write({{"Valid Age", std::uint32_t{0x80000000}}});
        ValidAge low;
        low.show();
        QVERIFY(QTest::qWaitForWindowExposed(&low));
        ClickArrow(low, false);
        QCOMPARE(low.Age(), std::numeric_limits<std::int32_t>::min());
        low.grab();
        QCOMPARE(low.AgeText(), QStringLiteral("-2147483648"));
    }

    void heldArrowRepeats() {
        m_hive->Write({{"Valid Age", std::uint32_t{21}}});
        ValidAge dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* upDown = dialog.findChild<UpDownControl*>(QStringLiteral("upDown"));
        QTest::mousePress(upDown, Qt::LeftButton, {}, QPoint(upDown->width() / 2, 2));
        QTRY_VERIFY_WITH_TIMEOUT(dialog.Age() >= 23, 3000);
        QTest::mouseRelease(upDown, Qt::LeftButton, {}, QPoint(upDown->width() / 2, 2));
        const int released = dialog.Age();
        QTest::qWait(UpDownControl::kRepeatMs * 3);
        QCOMPARE(dialog.Age(), released);
    }

    void unopenableKeyReadsMinusOne() {
        ValidAge dialog; // no hive file
        QCOMPARE(dialog.Age(), -1);
    }

private:
    std::unique_ptr<TempHive> m_hive;
};

QTEST_MAIN(ValidAgeTest)
#include "ValidAgeTest.moc"
