// The text items land where their anchors say: centred on x with the baseline at y, or starting at x with
// the bottom of the text cell at y; in their own colour and font; later items over earlier ones. The
// verdict's frame and marks are drawn in their colour inside their boxes, each of its own shape.
#include "DisplayPainter.h"
#include "DisplayFontSet.h"
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
    void measureMatchesWhatIsDrawn();
    void framesAndMarksStayInTheirBoxes();
};

namespace {
constexpr int kCell = 35;

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

QImage Paint(const std::vector<TextItem>& items, const DisplayFontSet& fonts) {
    QImage image(400, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintTextItems(painter, items, fonts);
    return image;
}

QImage Paint(const std::vector<ShapeItem>& shapes) {
    QImage image(400, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintShapes(painter, shapes);
    return image;
}

int CountColour(const QImage& image, const QRect& area, QRgb colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}
} // namespace

void DisplayPainterTest::centreBaselineAnchor() {
    const DisplayFontSet fonts;
    // "HIH": no descender, symmetric ink.
    const QImage image =
        Paint({{"HIH", DisplayFont::Expiry, kCell, {0, 0, 0}, TextAnchor::CentreBaseline, 200, 100}}, fonts);
    const Ink ink = InkOf(image);
    QVERIFY(ink.left >= 0);
    QVERIFY2(std::abs((ink.left + ink.right) / 2 - 200) <= 3, "text not centred on x");
    QVERIFY2(ink.bottom <= 100 && ink.bottom >= 98, "baseline not at y");
}

void DisplayPainterTest::leftBottomAnchor() {
    const DisplayFontSet fonts;
    const QFontMetrics metrics(fonts.Font(DisplayFont::Small, kCell));
    const QImage image = Paint({{"Hg", DisplayFont::Small, kCell, {0, 0, 0}, TextAnchor::LeftBottom, 20, 150}}, fonts);
    const Ink ink = InkOf(image);
    QVERIFY(ink.left >= 20 && ink.left <= 24);
    QVERIFY2(ink.bottom < 150, "ink below the bottom of the cell");
    QVERIFY2(ink.bottom > 150 - metrics.descent() - 1, "descender not below the baseline");
}

void DisplayPainterTest::drawsInItemColourOverEarlierItems() {
    const DisplayFontSet fonts;
    const QImage image = Paint({{"I", DisplayFont::Expiry, kCell, {255, 0, 0}, TextAnchor::CentreBaseline, 200, 100},
                                {"I", DisplayFont::Expiry, kCell, {0, 200, 0}, TextAnchor::CentreBaseline, 200, 100}},
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

// The layout fits texts by the measure; what is drawn must stay inside the box the measure gives, at
// every size the display uses, and the cell height must be the one asked for.
void DisplayPainterTest::measureMatchesWhatIsDrawn() {
    const DisplayFontSet fonts;
    for (const DisplayFont font : {DisplayFont::Headline, DisplayFont::Name, DisplayFont::Small}) {
        for (const int cell : {17, 40, 75}) {
            const TextItem item{"Unknown DL", font, cell, {0, 0, 0}, TextAnchor::CentreBaseline, 200, 120};
            const QRect box = BoxOf(item, fonts);
            const TextExtent extent = fonts.Measure(font, cell, item.text);
            QVERIFY(extent.ascent + extent.descent <= cell);
            QVERIFY2(extent.ascent + extent.descent >= cell - 3, "font much smaller than its cell");
            const Ink ink = InkOf(Paint({item}, fonts));
            QVERIFY(ink.left >= 0);
            QVERIFY2(ink.left >= box.left() - 2 && ink.right <= box.right() + 2, "ink wider than the measure");
            QVERIFY2(ink.top >= box.top() - 1 && ink.bottom <= box.bottom() + 1,
                     qPrintable(QStringLiteral("ink %1..%2 outside the cell %3..%4 (font %5, cell %6)")
                                    .arg(ink.top)
                                    .arg(ink.bottom)
                                    .arg(box.top())
                                    .arg(box.bottom())
                                    .arg(int(font))
                                    .arg(cell)));
        }
    }
}

void DisplayPainterTest::framesAndMarksStayInTheirBoxes() {
    const QRgb green = qRgb(0, 200, 0);
    const QImage frame = Paint({{ShapeKind::Frame, {0, 200, 0}, QRect(10, 10, 300, 150), 5}});
    QCOMPARE(CountColour(frame, QRect(10, 10, 300, 5), green), 300 * 5); // the top band, whole
    QCOMPARE(CountColour(frame, QRect(15, 15, 290, 140), green), 0);     // nothing inside
    QCOMPARE(CountColour(frame, QRect(0, 0, 400, 200), green), 300 * 150 - 290 * 140);

    // Each mark in its own colour, inside its box, and of its own shape: which ninths of the box hold ink
    // differs from mark to mark.
    std::vector<int> shapes;
    for (const ShapeKind kind : {ShapeKind::Check, ShapeKind::Cross, ShapeKind::Warning}) {
        const QRect box(100, 50, 64, 64);
        const QImage image = Paint({{kind, {200, 0, 0}, box, 0}});
        const Ink ink = InkOf(image);
        QVERIFY(ink.left >= box.left() - 1 && ink.right <= box.right() + 1);
        QVERIFY(ink.top >= box.top() - 1 && ink.bottom <= box.bottom() + 1);
        QVERIFY2(CountColour(image, box, qRgb(200, 0, 0)) > 150, "the mark is not drawn in its colour");
        int ninths = 0;
        for (int i = 0; i < 9; ++i) {
            const QRect cell(box.left() + (i % 3) * 21 + 3, box.top() + (i / 3) * 21 + 3, 15, 15);
            ninths |= (CountColour(image, cell, qRgb(200, 0, 0)) > 0) << i;
        }
        shapes.push_back(ninths);
    }
    QVERIFY(shapes[0] != shapes[1] && shapes[1] != shapes[2] && shapes[0] != shapes[2]);
}

QTEST_MAIN(DisplayPainterTest)
#include "DisplayPainterTest.moc"
