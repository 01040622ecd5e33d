#include "CDrawnButton.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QSignalSpy>
#include <QtTest>

namespace {

const QColor kFace(192, 192, 192);
const QColor kHighlight(255, 255, 255);
const QColor kLight(223, 223, 224);
const QColor kShadow(128, 128, 129);
const QColor kDarkShadow(10, 20, 30);
const QColor kText(0, 0, 200);
const QColor kIconColor(250, 0, 0);

QPalette TestPalette() {
    QPalette p;
    p.setColor(QPalette::Button, kFace);
    p.setColor(QPalette::Light, kHighlight);
    p.setColor(QPalette::Midlight, kLight);
    p.setColor(QPalette::Dark, kShadow);
    p.setColor(QPalette::Shadow, kDarkShadow);
    p.setColor(QPalette::ButtonText, kText);
    return p;
}

QImage Render(QWidget& w) {
    return w.grab().toImage();
}

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

template <typename Predicate> int CountPixels(const QImage& image, Predicate wanted) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += wanted(image.pixelColor(x, y)) ? 1 : 0;
    return n;
}

// Text is antialiased: classify pixels by what they lean to rather than by exact colour.
bool Bluish(const QColor& c) {
    return c.blue() > c.red() + 60;
}
bool Neutral(const QColor& c) {
    return std::abs(c.blue() - c.red()) <= 5;
}
bool DarkerThanFace(const QColor& c) {
    return c.red() < kFace.red() - 30 && Neutral(c);
}
bool BrighterThanFace(const QColor& c) {
    return c.red() > kFace.red() + 30;
}

QPixmap SolidIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(kIconColor);
    return pixmap;
}

// Raised OK and Cancel, OK the template's default button, in a shown and active dialog.
struct TwoButtonDialog {
    QDialog dialog;
    CDrawnButton ok{QStringLiteral("OK"), &dialog};
    CDrawnButton cancel{QStringLiteral("Cancel"), &dialog};
    TwoButtonDialog() {
        dialog.setPalette(TestPalette());
        dialog.resize(200, 80);
        cancel.setGeometry(10, 40, 60, 24);
        ok.setGeometry(100, 40, 60, 24);
        ok.SetDefaultButton(true);
        ok.SetFlat(false);
        cancel.SetFlat(false);
        QWidget::setTabOrder(&ok, &cancel);
    }
    bool Show() {
        dialog.show();
        dialog.activateWindow();
        if (!QTest::qWaitForWindowActive(&dialog))
            return false;
        ok.setFocus();
        return ok.hasFocus();
    }
};

} // namespace

class CDrawnButtonTest : public QObject {
    Q_OBJECT
private slots:
    void raisedBorderLitFromTopLeft() {
        CDrawnButton button;
        button.setPalette(TestPalette());
        button.resize(60, 24);
        button.SetFlat(false);
        const QImage image = Render(button);
        QCOMPARE(At(image, 0, 0), kHighlight);
        QCOMPARE(At(image, 0, 12), kHighlight);
        QCOMPARE(At(image, 30, 0), kHighlight);
        QCOMPARE(At(image, 1, 1), kLight);
        QCOMPARE(At(image, 59, 23), kDarkShadow);
        QCOMPARE(At(image, 30, 23), kDarkShadow);
        QCOMPARE(At(image, 59, 12), kDarkShadow);
        QCOMPARE(At(image, 58, 22), kShadow);
        QCOMPARE(At(image, 30, 22), kShadow);
        QCOMPARE(At(image, 30, 12), kFace);
    }

    void pressedIsThinShadowFrame() {
        CDrawnButton button;
        button.setPalette(TestPalette());
        button.resize(60, 24);
        button.SetFlat(false);
        button.setDown(true);
        const QImage image = Render(button);
        QCOMPARE(At(image, 0, 0), kShadow);
        QCOMPARE(At(image, 59, 23), kShadow);
        QCOMPARE(At(image, 1, 1), kFace);
        QCOMPARE(At(image, 58, 22), kFace);
    }

    void flatByDefault() {
        CDrawnButton button;
        button.setPalette(TestPalette());
        button.resize(60, 24);
        QVERIFY(button.IsFlat());
        const QImage image = Render(button);
        QCOMPARE(At(image, 0, 0), kFace);
        QCOMPARE(At(image, 59, 23), kFace);
    }

    void defaultButtonCarriesBlackFrameWithoutFocus() {
        CDrawnButton button;
        button.setPalette(TestPalette());
        button.resize(60, 24);
        button.SetFlat(false);
        button.SetDefaultButton(true);
        const QImage image = Render(button);
        QCOMPARE(At(image, 0, 0), QColor(Qt::black));
        QCOMPARE(At(image, 59, 23), QColor(Qt::black));
        QCOMPARE(At(image, 1, 1), kHighlight);
        QCOMPARE(At(image, 2, 2), kLight);
        QCOMPARE(At(image, 58, 22), kDarkShadow);
        QCOMPARE(At(image, 57, 21), kShadow);
    }

    void iconCentredWithoutCaptionAndMovesWhenPressed() {
        CDrawnButton button;
        button.setPalette(TestPalette());
        button.resize(40, 30);
        button.SetFlat(false);
        button.SetIcon(SolidIcon(8));
        QImage image = Render(button);
        QCOMPARE(At(image, 16, 11), kIconColor);
        QCOMPARE(At(image, 23, 18), kIconColor);
        QCOMPARE(At(image, 15, 11), kFace);
        QCOMPARE(At(image, 24, 18), kFace);
        button.setDown(true);
        image = Render(button);
        QCOMPARE(At(image, 16, 11), kFace);
        QCOMPARE(At(image, 17, 12), kIconColor);
        QCOMPARE(At(image, 24, 19), kIconColor);
        QCOMPARE(At(image, 0, 0), kShadow);
    }

    void iconBesideCaptionStartsAtTheMargin() {
        CDrawnButton button(QStringLiteral("Go"));
        button.setPalette(TestPalette());
        button.resize(80, 30);
        button.SetIcon(SolidIcon(8));
        const QImage image = Render(button);
        QCOMPARE(At(image, CDrawnButton::kImageMargin, 11), kIconColor);
        QCOMPARE(At(image, CDrawnButton::kImageMargin - 1, 11), kFace);
    }

    void disabledIconIsNotDrawnInColour() {
        CDrawnButton button;
        button.setPalette(TestPalette());
        button.resize(40, 30);
        button.SetIcon(SolidIcon(8));
        button.setEnabled(false);
        const QImage image = Render(button);
        QVERIFY(At(image, 19, 14) != kIconColor);
        QVERIFY(At(image, 19, 14) != kFace);
    }

    void captionInTextColourOrEmbossedWhenDisabled() {
        CDrawnButton button(QStringLiteral("Cancel"));
        button.setPalette(TestPalette());
        button.resize(80, 30);
        button.SetFlat(false);
        const QImage inner = Render(button).copy(3, 3, 74, 24);
        QVERIFY(CountPixels(inner, Bluish) > 5);
        QCOMPARE(CountPixels(inner, DarkerThanFace), 0);
        QCOMPARE(CountPixels(inner, BrighterThanFace), 0);
        button.setEnabled(false);
        const QImage disabled = Render(button).copy(3, 3, 74, 24);
        QCOMPARE(CountPixels(disabled, Bluish), 0);
        QVERIFY(CountPixels(disabled, DarkerThanFace) > 5);
        QVERIFY(CountPixels(disabled, BrighterThanFace) > 5);
    }

    void systemColourChangeRepaintsFace() {
        CDrawnButton button;
        button.setPalette(TestPalette());
        button.resize(60, 24);
        QPalette changed = TestPalette();
        const QColor newFace(10, 200, 10);
        changed.setColor(QPalette::Button, newFace);
        button.setPalette(changed);
        QCOMPARE(At(Render(button), 30, 12), newFace);
    }

    void focusedButtonShowsDottedMarkInside() {
        TwoButtonDialog d;
        QVERIFY(d.Show());
        const QImage image = Render(d.ok);
        // Frame (1 px), then the mark 3 px inside the remaining rectangle: starts at (4, 4).
        QCOMPARE(At(image, 0, 0), QColor(Qt::black));
        QCOMPARE(At(image, 4, 4), kText);
        QCOMPARE(At(image, 5, 4), kFace);
        QCOMPARE(At(image, 6, 4), kText);
        QCOMPARE(At(image, 4, 5), kFace);
        QCOMPARE(At(image, 4, 6), kText);
        QCOMPARE(At(Render(d.cancel), 4, 4), kFace);
    }

    void defaultFrameMovesWithTheFocus() {
        TwoButtonDialog d;
        QVERIFY(d.Show());
        QVERIFY(d.ok.isDefault());
        QCOMPARE(At(Render(d.cancel), 0, 0), kHighlight);
        d.cancel.setFocus();
        QVERIFY(d.cancel.isDefault());
        QVERIFY(!d.ok.isDefault());
        QCOMPARE(At(Render(d.cancel), 0, 0), QColor(Qt::black));
        QCOMPARE(At(Render(d.ok), 0, 0), kHighlight);
        d.ok.setFocus();
        QVERIFY(d.ok.isDefault());
        QCOMPARE(At(Render(d.cancel), 0, 0), kHighlight);
    }

    void enterActivatesTheDefaultButton() {
        TwoButtonDialog d;
        QVERIFY(d.Show());
        QSignalSpy okClicks(&d.ok, &QAbstractButton::clicked);
        QSignalSpy cancelClicks(&d.cancel, &QAbstractButton::clicked);
        QTest::keyClick(&d.ok, Qt::Key_Return);
        QCOMPARE(okClicks.count(), 1);
        d.cancel.setFocus();
        QTest::keyClick(&d.cancel, Qt::Key_Enter);
        QCOMPARE(cancelClicks.count(), 1);
        QCOMPARE(okClicks.count(), 1);
    }

    void clickTakesFocusAndDoubleClickCountsTwice() {
        TwoButtonDialog d;
        QVERIFY(d.Show());
        QSignalSpy clicks(&d.cancel, &QAbstractButton::clicked);
        QTest::mouseClick(&d.cancel, Qt::LeftButton);
        QVERIFY(d.cancel.hasFocus());
        QCOMPARE(clicks.count(), 1);
        // A quick second click arrives as press, release, double click, release.
        const QPoint centre = d.cancel.rect().center();
        QTest::mousePress(&d.cancel, Qt::LeftButton, {}, centre);
        QTest::mouseRelease(&d.cancel, Qt::LeftButton, {}, centre);
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(centre), d.cancel.mapToGlobal(QPointF(centre)),
                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&d.cancel, &doubleClick);
        QTest::mouseRelease(&d.cancel, Qt::LeftButton, {}, centre);
        QCOMPARE(clicks.count(), 3);
    }

    void disabledButtonPassesTheFocusOn() {
        TwoButtonDialog d;
        QVERIFY(d.Show());
        d.ok.setEnabled(false);
        QVERIFY(d.cancel.hasFocus());
    }
};

QTEST_MAIN(CDrawnButtonTest)
#include "CDrawnButtonTest.moc"
