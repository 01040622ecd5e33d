#include "DisplayPainter.h"

#include <QFontMetrics>
#include <QPainter>

QString DisplayText(const std::string& text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

void PaintTextItems(QPainter& painter, const std::vector<TextItem>& items, const DisplayFonts& fonts) {
    painter.save();
    painter.setBackgroundMode(Qt::TransparentMode);
    for (const TextItem& item : items) {
        const QFont& font = fonts.at(static_cast<std::size_t>(item.font));
        const QFontMetrics metrics(font);
        const QString text = DisplayText(item.text);
        int x = item.x;
        int baseline = item.y;
        if (item.anchor == TextAnchor::CentreBaseline)
            x -= metrics.horizontalAdvance(text) / 2;
        else
            baseline -= metrics.descent(); // y is the bottom of the text cell
        painter.setFont(font);
        painter.setPen(QColor(item.colour.r, item.colour.g, item.colour.b));
        painter.drawText(QPoint(x, baseline), text);
    }
    painter.restore();
}
