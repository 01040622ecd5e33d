#include "DisplayPainter.h"

#include "QtText.h"

#include "DisplayFontSet.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

QColor ColourOf(const Rgb& rgb) {
    return QColor(rgb.r, rgb.g, rgb.b);
}

QPointF At(const QRect& box, double fx, double fy) {
    return QPointF(box.left() + fx * box.width(), box.top() + fy * box.height());
}

QPen StrokeOf(const ShapeItem& shape, double widthFactor) {
    QPen pen(ColourOf(shape.colour), std::max(2.0, widthFactor * shape.box.width()));
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

void PaintFrame(QPainter& painter, const ShapeItem& shape) {
    const QRect& r = shape.box;
    const int t = std::max(1, std::min({shape.thickness, r.width() / 2, r.height() / 2}));
    const QColor colour = ColourOf(shape.colour);
    painter.fillRect(QRect(r.left(), r.top(), r.width(), t), colour);
    painter.fillRect(QRect(r.left(), r.bottom() - t + 1, r.width(), t), colour);
    painter.fillRect(QRect(r.left(), r.top(), t, r.height()), colour);
    painter.fillRect(QRect(r.right() - t + 1, r.top(), t, r.height()), colour);
}

// A tick: the mark of a valid licence.
void PaintCheck(QPainter& painter, const ShapeItem& shape) {
    painter.setPen(StrokeOf(shape, 0.16));
    const QPointF points[] = {At(shape.box, 0.12, 0.55), At(shape.box, 0.4, 0.82), At(shape.box, 0.88, 0.18)};
    painter.drawPolyline(points, 3);
}

// A cross: under age.
void PaintCross(QPainter& painter, const ShapeItem& shape) {
    painter.setPen(StrokeOf(shape, 0.16));
    painter.drawLine(At(shape.box, 0.15, 0.15), At(shape.box, 0.85, 0.85));
    painter.drawLine(At(shape.box, 0.85, 0.15), At(shape.box, 0.15, 0.85));
}

// A warning triangle with an exclamation mark: expired.
void PaintWarning(QPainter& painter, const ShapeItem& shape) {
    painter.setPen(StrokeOf(shape, 0.09));
    const QPointF triangle[] = {At(shape.box, 0.5, 0.06), At(shape.box, 0.95, 0.92), At(shape.box, 0.05, 0.92)};
    painter.drawPolygon(triangle, 3);
    painter.setPen(StrokeOf(shape, 0.1));
    painter.drawLine(At(shape.box, 0.5, 0.36), At(shape.box, 0.5, 0.62));
    painter.drawPoint(At(shape.box, 0.5, 0.78));
}

} // namespace

QString DisplayText(const std::string& text) {
    return QtText::FromBytes(text);
}

void PaintShapes(QPainter& painter, const std::vector<ShapeItem>& shapes) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setBrush(Qt::NoBrush);
    for (const ShapeItem& shape : shapes) {
        switch (shape.kind) {
        case ShapeKind::Frame:
            PaintFrame(painter, shape);
            break;
        case ShapeKind::Check:
            PaintCheck(painter, shape);
            break;
        case ShapeKind::Cross:
            PaintCross(painter, shape);
            break;
        case ShapeKind::Warning:
            PaintWarning(painter, shape);
            break;
        }
    }
    painter.restore();
}

void PaintTextItems(QPainter& painter, const std::vector<TextItem>& items, const DisplayFontSet& fonts) {
    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode);
    for (const TextItem& item : items) {
        const QFont& font = fonts.Font(item.font, item.cellHeight);
        const QFontMetrics metrics(font);
        const QString text = DisplayText(item.text);
        int x = item.x;
        int baseline = item.y;
        if (item.anchor == TextAnchor::CentreBaseline)
            x -= metrics.horizontalAdvance(text) / 2;
        else
            baseline -= metrics.descent(); // y is the bottom of the text cell
        painter.setFont(font);
        painter.setPen(ColourOf(item.colour));
        painter.drawText(QPoint(x, baseline), text);
    }
    painter.restore();
}

void PaintDisplay(QPainter& painter, const DisplayOutput& display, const DisplayFontSet& fonts) {
    PaintShapes(painter, display.shapes);
    PaintTextItems(painter, display.items, fonts);
}
