// Draws the station's icons and product picture, so the repository holds the drawing and not the pixels:
//   128.png (32 x 32), 128-16.png, 128-48.png  the station icon: a licence card with a green age check
//   138.png (32 x 32)                           the OK symbol of the About box: a green tick in a disc
//   135.png (63 x 64)                           the product picture: a card passing through a reader
// Usage: kestrin_draw_art <output folder>. Only shapes, no text, so no fonts and no display are needed.

#include <QColor>
#include <QDir>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>

#include <cstdio>
#include <functional>

namespace {

const QColor kCardBlue(38, 92, 168);
const QColor kCardLight(120, 170, 230);
const QColor kStripe(30, 30, 36);
const QColor kGreen(34, 160, 70);
const QColor kGreenDark(18, 110, 44);

using Drawing = std::function<void(QPainter&)>;

// Every drawing is made on a 64 x 64 canvas and scaled to the size asked for.
QImage Render(int width, int height, const Drawing& draw) {
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(width / 64.0, height / 64.0);
    draw(painter);
    return image;
}

void Tick(QPainter& p, const QPointF& a, const QPointF& b, const QPointF& c, qreal width, const QColor& colour) {
    QPainterPath path(a);
    path.lineTo(b);
    path.lineTo(c);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
}

void GreenDisc(QPainter& p, const QRectF& box) {
    QRadialGradient shine(box.center() - QPointF(box.width() / 5, box.height() / 5), box.width() * 0.7);
    shine.setColorAt(0, kGreen.lighter(140));
    shine.setColorAt(1, kGreenDark);
    p.setPen(QPen(kGreenDark.darker(130), box.width() / 16));
    p.setBrush(shine);
    p.drawEllipse(box);
}

void Card(QPainter& p, const QRectF& box) {
    QLinearGradient face(box.topLeft(), box.bottomRight());
    face.setColorAt(0, kCardLight);
    face.setColorAt(1, kCardBlue);
    p.setPen(QPen(kCardBlue.darker(160), 2));
    p.setBrush(face);
    p.drawRoundedRect(box, 5, 5);
    // Photo and two text lines of the licence.
    const qreal unit = box.height() / 10;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(235, 240, 250));
    p.drawRoundedRect(QRectF(box.left() + unit, box.top() + 2 * unit, 3 * unit, 4 * unit), 1.5, 1.5);
    p.setBrush(QColor(225, 232, 245, 220));
    p.drawRect(QRectF(box.left() + 5 * unit, box.top() + 2.5 * unit, box.width() - 7 * unit, unit));
    p.drawRect(QRectF(box.left() + 5 * unit, box.top() + 4.5 * unit, box.width() - 9 * unit, unit));
    // The magnetic stripe.
    p.setBrush(kStripe);
    p.drawRect(QRectF(box.left() + 1, box.bottom() - 3 * unit, box.width() - 2, 1.6 * unit));
}

void StationIcon(QPainter& p) {
    Card(p, QRectF(3, 10, 50, 34));
    GreenDisc(p, QRectF(30, 30, 32, 32));
    Tick(p, QPointF(38, 46), QPointF(44, 53), QPointF(55, 38), 5, Qt::white);
}

void OkSymbol(QPainter& p) {
    GreenDisc(p, QRectF(3, 3, 58, 58));
    Tick(p, QPointF(17, 33), QPointF(28, 45), QPointF(48, 20), 8, Qt::white);
}

void ProductPicture(QPainter& p) {
    // Sky-blue backdrop filling the whole picture, as a bitmap has no transparency.
    QLinearGradient sky(0, 0, 0, 64);
    sky.setColorAt(0, QColor(210, 228, 250));
    sky.setColorAt(1, QColor(250, 252, 255));
    p.fillRect(QRectF(0, 0, 64, 64), sky);
    // The card, half-way through the reader's slot.
    p.save();
    p.translate(32, 26);
    p.rotate(-8);
    Card(p, QRectF(-24, -18, 48, 30));
    p.restore();
    // The reader: a dark body with a lighter slot edge and a green "ready" lamp.
    QLinearGradient body(0, 34, 0, 58);
    body.setColorAt(0, QColor(90, 96, 108));
    body.setColorAt(1, QColor(40, 44, 52));
    p.setPen(QPen(QColor(20, 22, 26), 1.5));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(4, 34, 56, 24), 4, 4);
    p.setPen(QPen(QColor(150, 156, 168), 2));
    p.drawLine(QPointF(9, 38), QPointF(55, 38));
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen.lighter(130));
    p.drawEllipse(QRectF(47, 46, 6, 6));
    p.setBrush(QColor(200, 60, 50));
    p.drawEllipse(QRectF(38, 46, 6, 6));
}

bool Write(const QDir& folder, const QString& name, const QImage& image) {
    const QString path = folder.filePath(name);
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "kestrin_draw_art: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: kestrin_draw_art <output folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "kestrin_draw_art: cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = Write(folder, QStringLiteral("128.png"), Render(32, 32, StationIcon));
    ok = Write(folder, QStringLiteral("128-16.png"), Render(16, 16, StationIcon)) && ok;
    ok = Write(folder, QStringLiteral("128-48.png"), Render(48, 48, StationIcon)) && ok;
    ok = Write(folder, QStringLiteral("138.png"), Render(32, 32, OkSymbol)) && ok;
    // The product picture is 63 pixels wide and 64 high; it is drawn opaque, as a bitmap is.
    QImage picture = Render(63, 64, ProductPicture).convertToFormat(QImage::Format_RGB32);
    ok = Write(folder, QStringLiteral("135.png"), picture) && ok;
    return ok ? 0 : 1;
}
