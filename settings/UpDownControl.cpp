#include "UpDownControl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>

#include <algorithm>

UpDownControl::UpDownControl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    m_repeat.setSingleShot(false);
    connect(&m_repeat, &QTimer::timeout, this, &UpDownControl::OnRepeat);
}

void UpDownControl::Step(Half half) {
    if (half == Half::Up)
        emit DeltaPos(-1);
    else if (half == Half::Down)
        emit DeltaPos(+1);
}

void UpDownControl::OnRepeat() {
    m_repeat.setInterval(kRepeatMs);
    Step(m_pressed);
}

void UpDownControl::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_pressed = event->position().y() < height() / 2.0 ? Half::Up : Half::Down;
    update();
    Step(m_pressed);
    m_repeat.start(kFirstRepeatMs);
}

void UpDownControl::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_repeat.stop();
    m_pressed = Half::None;
    update();
}

void UpDownControl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Up)
        Step(Half::Up);
    else if (event->key() == Qt::Key_Down)
        Step(Half::Down);
    else
        QWidget::keyPressEvent(event);
}

void UpDownControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const int upHeight = height() / 2;
    DrawHalf(painter, QRect(0, 0, width(), upHeight), true, m_pressed == Half::Up);
    DrawHalf(painter, QRect(0, upHeight, width(), height() - upHeight), false, m_pressed == Half::Down);
}

void UpDownControl::DrawHalf(QPainter& painter, const QRect& r, bool up, bool pressed) const {
    const QPalette& p = palette();
    painter.fillRect(r, p.color(QPalette::Button));
    const QColor topLeft = p.color(pressed ? QPalette::Dark : QPalette::Light);
    const QColor bottomRight = p.color(pressed ? QPalette::Light : QPalette::Shadow);
    painter.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    painter.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    painter.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    painter.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);

    // A small solid triangle in the middle of the half, pointing the way it steps.
    const int half = std::max(1, std::min(r.width(), r.height()) / 4);
    const QPoint c = r.center() + (pressed ? QPoint(1, 1) : QPoint(0, 0));
    QPolygon arrow;
    if (up)
        arrow << QPoint(c.x() - half, c.y() + half / 2) << QPoint(c.x() + half, c.y() + half / 2)
              << QPoint(c.x(), c.y() - half / 2 - 1);
    else
        arrow << QPoint(c.x() - half, c.y() - half / 2) << QPoint(c.x() + half, c.y() - half / 2)
              << QPoint(c.x(), c.y() + half / 2 + 1);
    painter.setPen(Qt::NoPen);
    painter.setBrush(p.color(isEnabled() ? QPalette::ButtonText : QPalette::Dark));
    painter.drawPolygon(arrow);
}
