#include "CDrawnButton.h"

#include <QEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>

namespace {

// The Windows system colours the recipe names, as Qt's palette carries them.
QColor ButtonHighlight(const QPalette& p) {
    return p.color(QPalette::Light);
} // COLOR_BTNHIGHLIGHT
QColor Light3D(const QPalette& p) {
    return p.color(QPalette::Midlight);
} // COLOR_3DLIGHT
QColor ButtonShadow(const QPalette& p) {
    return p.color(QPalette::Dark);
} // COLOR_BTNSHADOW
QColor DarkShadow3D(const QPalette& p) {
    return p.color(QPalette::Shadow);
} // COLOR_3DDKSHADOW

// A 1-pixel frame just inside `r`, as FrameRect draws it.
void FrameRect(QPainter& painter, const QRect& r, const QColor& color) {
    if (r.isEmpty())
        return;
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), color);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), color);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), color);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), color);
}

void HLine(QPainter& painter, int x1, int x2, int y, const QColor& color) {
    if (x2 >= x1)
        painter.fillRect(QRect(x1, y, x2 - x1 + 1, 1), color);
}

void VLine(QPainter& painter, int x, int y1, int y2, const QColor& color) {
    if (y2 >= y1)
        painter.fillRect(QRect(x, y1, 1, y2 - y1 + 1), color);
}

} // namespace

CDrawnButton::CDrawnButton(QWidget* parent) : CDrawnButton(QString(), parent) {}

CDrawnButton::CDrawnButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    LoadDefaultColors();
}

void CDrawnButton::SetFlat(bool flat, bool repaint) {
    m_flat = flat;
    if (repaint)
        this->repaint();
}

void CDrawnButton::SetIcon(const QPixmap& icon) {
    m_icon = icon;
    update();
}

void CDrawnButton::SetIcon(const QString& path) {
    SetIcon(QPixmap(path));
}

void CDrawnButton::SetDefaultButton(bool isDefaultButton) {
    setDefault(isDefaultButton);
}

void CDrawnButton::LoadDefaultColors() {
    const QPalette& p = palette();
    m_faceColors.fill(p.color(QPalette::Button));
    m_textColors.fill(p.color(QPalette::ButtonText));
}

void CDrawnButton::changeEvent(QEvent* event) {
    // A change of the system colours reaches a widget as a palette change.
    if (event->type() == QEvent::PaletteChange) {
        LoadDefaultColors();
        update();
    }
    QPushButton::changeEvent(event);
}

void CDrawnButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second click of a quick pair counts as a click of its own.
    mousePressEvent(event);
}

void CDrawnButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool pressed = isDown();
    const bool focused = hasFocus();
    const bool disabled = !isEnabled();
    const State state = pressed ? Pressed : (focused ? Focused : Normal);

    QRect rect = this->rect();
    DrawBackground(painter, rect, state, focused || isDefault());
    if (!m_flat)
        DrawBorder(painter, rect, pressed);
    else if (pressed)
        FrameRect(painter, rect, ButtonShadow(palette()));

    // Icon and caption sit on the whole client rectangle, not on the framed one.
    QRect captionArea = DrawIcon(painter, this->rect(), pressed, disabled);
    DrawCaption(painter, captionArea, state, pressed, disabled);
    if (focused)
        DrawFocusMark(painter, rect.adjusted(3, 3, -3, -3));
}

void CDrawnButton::DrawBackground(QPainter& painter, QRect& rect, State state, bool framed) const {
    if (framed) {
        FrameRect(painter, rect, Qt::black);
        rect.adjust(1, 1, -1, -1);
    }
    painter.fillRect(rect, m_faceColors[state]);
}

void CDrawnButton::DrawBorder(QPainter& painter, const QRect& r, bool pressed) const {
    const QPalette& p = palette();
    if (pressed) {
        FrameRect(painter, r, ButtonShadow(p));
        return;
    }
    if (r.width() < 2 || r.height() < 2)
        return;
    // Light from the top left: highlight outside, 3-D light inside; shadows bottom and right.
    VLine(painter, r.left(), r.top(), r.bottom() - 1, ButtonHighlight(p));
    HLine(painter, r.left(), r.right() - 1, r.top(), ButtonHighlight(p));
    VLine(painter, r.left() + 1, r.top() + 1, r.bottom() - 1, Light3D(p));
    HLine(painter, r.left() + 1, r.right() - 1, r.top() + 1, Light3D(p));
    HLine(painter, r.left(), r.right(), r.bottom(), DarkShadow3D(p));
    VLine(painter, r.right(), r.top(), r.bottom(), DarkShadow3D(p));
    HLine(painter, r.left() + 1, r.right() - 1, r.bottom() - 1, ButtonShadow(p));
    VLine(painter, r.right() - 1, r.top() + 1, r.bottom() - 1, ButtonShadow(p));
}

// Draws the icon and returns the area left for the caption.
QRect CDrawnButton::DrawIcon(QPainter& painter, const QRect& client, bool pressed, bool disabled) const {
    if (m_icon.isNull())
        return client;
    const QSize size = m_icon.deviceIndependentSize().toSize();
    const bool withCaption = !text().isEmpty();
    const int x = withCaption ? client.left() + kImageMargin : client.left() + (client.width() - size.width()) / 2;
    const int y = client.top() + (client.height() - size.height()) / 2;
    QRect iconRect(QPoint(x, y), size);
    if (pressed)
        iconRect.translate(kPushedOffset, kPushedOffset);
    if (disabled)
        painter.drawPixmap(iconRect.topLeft(), QIcon(m_icon).pixmap(size, QIcon::Disabled));
    else
        painter.drawPixmap(iconRect.topLeft(), m_icon);
    if (!withCaption)
        return client;
    QRect rest = client;
    rest.setLeft(x + size.width() + kImageMargin);
    return rest;
}

void CDrawnButton::DrawCaption(QPainter& painter, QRect area, State state, bool pressed, bool disabled) const {
    const QString caption = text();
    if (caption.isEmpty())
        return;
    if (pressed)
        area.translate(kPushedOffset, kPushedOffset);
    painter.setFont(font());
    constexpr int flags = Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    if (disabled) {
        painter.setPen(ButtonHighlight(palette()));
        painter.drawText(area.translated(1, 1), flags, caption);
        painter.setPen(ButtonShadow(palette()));
        painter.drawText(area, flags, caption);
        return;
    }
    painter.setPen(m_textColors[state]);
    painter.drawText(area, flags, caption);
}

void CDrawnButton::DrawFocusMark(QPainter& painter, const QRect& r) const {
    if (r.width() < 1 || r.height() < 1)
        return;
    // A checkerboard along the edge, as the focus rectangle's pattern brush draws it.
    const QColor color = m_textColors[Focused];
    const auto dot = [&](int x, int y) {
        if (((x - r.left()) + (y - r.top())) % 2 == 0)
            painter.fillRect(QRect(x, y, 1, 1), color);
    };
    for (int x = r.left(); x <= r.right(); ++x) {
        dot(x, r.top());
        dot(x, r.bottom());
    }
    for (int y = r.top() + 1; y < r.bottom(); ++y) {
        dot(r.left(), y);
        dot(r.right(), y);
    }
}
