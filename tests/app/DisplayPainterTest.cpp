// The text items land where their anchors say: centred on x with the baseline at y, or starting at x with
// the bottom of the text cell at y; in their own colour and font; later items over earlier ones.
#include "DisplayPainter.h"
#include "Fonts.h"

#include <QImage>
#include <QPainter>
#include <QTest>

class DisplayPainterTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Fonts::InstallFontSubstitutions(); }
    void centreBaselineAnchor();
    void leftBottomAnchor();
    void drawsInItemColourOverEarlierItems();
};

namespace {
DisplayFonts TestFonts() {
    DisplayFonts fonts;
    fonts.fill(Fonts::CellHeightFont(QStringLiteral("Tahoma"), 35));
    return fonts;
}

struct Ink {
    int left = -1, right = -1, top = -1, bottom = -1;
};

Ink InkOf(const QImage& image) {
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == qRgb(255, 255, 255))
                continue;
            ink.left = ink.left < 0 ? x : std::min(ink.left, x);
            ink.right = std::max(ink.right, x);
            ink.top = ink.top < 0 ? y : std::min(ink.top, y);
            ink.bottom = std::max(ink.bottom, y);
        }
    return ink;
}

QImage Paint(const std::vector<TextItem>& items, const DisplayFonts& fonts) {
    QImage image(400, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintTextItems(painter, items, fonts);
    return image;
}
} // namespace

void DisplayPainterTest::centreBaselineAnchor() {
    const DisplayFonts fonts = TestFonts();
    // "HIH": no descender, symmetric ink.
    const QImage image = Paint({{"HIH", DisplayFont::Expiry, {0, 0, 0}, TextAnchor::CentreBaseline, 200, 100}}, fonts);
    const Ink ink = InkOf(image);
    QVERIFY(ink.left >= 0);
    QVERIFY2(std::abs((ink.left + ink.right) / 2 - 200) <= 3, "text not centred on x");
    QVERIFY2(ink.bottom <= 100 && ink.bottom >= 98, "baseline not at y");
}

void DisplayPainterTest::leftBottomAnchor() {
    const DisplayFonts fonts = TestFonts();
    const QFontMetrics metrics(fonts[0]);
    const QImage image = Paint({{"Hg", DisplayFont::Small, {0, 0, 0}, TextAnchor::LeftBottom, 20, 150}}, fonts);
    const Ink ink = InkOf(image);
    QVERIFY(ink.left >= 20 && ink.left <= 24);
    QVERIFY2(ink.bottom < 150, "ink below the bottom of the cell");
    QVERIFY2(ink.bottom > 150 - metrics.descent() - 1, "descender not below the baseline");
}

void DisplayPainterTest::drawsInItemColourOverEarlierItems() {
    const DisplayFonts fonts = TestFonts();
    const QImage image = Paint({{"I", DisplayFont::Expiry, {255, 0, 0}, TextAnchor::CentreBaseline, 200, 100},
                                {"I", DisplayFont::Expiry, {0, 200, 0}, TextAnchor::CentreBaseline, 200, 100}},
                               fonts);
    bool green = false;
    bool red = false;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            green = green || image.pixel(x, y) == qRgb(0, 200, 0);
            red = red || image.pixel(x, y) == qRgb(255, 0, 0);
        }
    QVERIFY(green);
    QVERIFY2(!red, "the later item does not cover the earlier one");
}

QTEST_MAIN(DisplayPainterTest)
#include "DisplayPainterTest.moc"
