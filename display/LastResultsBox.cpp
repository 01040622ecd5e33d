#include "LastResultsBox.h"

#include <QStyle>
#include <QStyleOptionGroupBox>

#include <algorithm>

namespace {
constexpr int kGap = 2;
}

LastResultsBox::LastResultsBox(QWidget* parent) : QGroupBox(QStringLiteral("Last Results"), parent) {
    setFocusPolicy(Qt::NoFocus);
}

QRect LastResultsBox::SubControl(int subControl, const QSize& size) const {
    QStyleOptionGroupBox option;
    option.initFrom(this);
    option.rect = QRect(QPoint(0, 0), size);
    option.fontMetrics = QFontMetrics(font());
    option.text = title();
    option.textAlignment = alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    option.lineWidth = 1;
    return style()->subControlRect(QStyle::CC_GroupBox, &option, static_cast<QStyle::SubControl>(subControl), this);
}

void LastResultsBox::PlaceAround(const QRect& lines, int left, int bottom, const QFont& font) {
    setFont(font);
    const int width = std::max(1, parentWidget() ? parentWidget()->width() - 2 * left : lines.width());
    // The lines must start below both the caption and the frame's top edge, wherever the style puts them.
    const QSize probe(width, std::max(bottom - lines.top(), 1) + 100);
    const int above = std::max(SubControl(QStyle::SC_GroupBoxLabel, probe).bottom(),
                               SubControl(QStyle::SC_GroupBoxFrame, probe).top()) +
                      1 + kGap;
    const int top = lines.top() - above;
    setGeometry(left, top, width, std::max(bottom, lines.bottom() + 1 + kGap) - top);
}

QRect LastResultsBox::CaptionRect() const {
    return SubControl(QStyle::SC_GroupBoxLabel, size()).translated(pos());
}

QRect LastResultsBox::FrameRect() const {
    return SubControl(QStyle::SC_GroupBoxFrame, size()).translated(pos());
}
