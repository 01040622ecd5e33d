#include "DialogUnits.h"

#include <QFontMetrics>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <cstdlib>

namespace {
int AverageLetterWidth(const QFontMetrics& metrics) {
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int total = metrics.horizontalAdvance(letters);
    // The 52 letters averaged and rounded: (total / 26 + 1) / 2.
    return (total / 26 + 1) / 2;
}
} // namespace

DialogUnits::DialogUnits(const QFont& dialogFont) {
    const QFontMetrics metrics(dialogFont);
    m_baseX = AverageLetterWidth(metrics);
    m_baseY = metrics.ascent() + metrics.descent();
}

int DialogUnits::MulDiv(int a, int b, int c) {
    if (c == 0)
        return 0;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = std::llabs(c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

int DialogUnits::X(int units) const {
    return MulDiv(units, m_baseX, 4);
}
int DialogUnits::Y(int units) const {
    return MulDiv(units, m_baseY, 8);
}

QSize DialogUnits::Size(int width, int height) const {
    return {X(width), Y(height)};
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    // The dialog manager converts position and size separately, each rounded on its own.
    return {X(x), Y(y), X(width), Y(height)};
}

void DialogUnits::Place(QWidget& widget, int x, int y, int width, int height) const {
    widget.setGeometry(Rect(x, y, width, height));
}
