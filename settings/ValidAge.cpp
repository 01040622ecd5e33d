#include "ValidAge.h"

#include "DialogUnits.h"
#include "Fonts.h"
#include "Settings.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>

#include <algorithm>
#include <limits>

ValidAge::ValidAge(QWidget* parent)
    : QDialog(parent), m_ok(QStringLiteral("OK"), this), m_upDown(this), m_cancel(QStringLiteral("Cancel"), this),
      m_age(Settings::GetValidAge()) {
    setWindowTitle(QStringLiteral("Valid Age"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFont(Fonts::StandardDialogFont());
    const DialogUnits units(font());
    setFixedSize(units.Size(kWidth, kHeight));

    m_ok.setObjectName(QStringLiteral("ok"));
    m_upDown.setObjectName(QStringLiteral("upDown"));
    m_cancel.setObjectName(QStringLiteral("cancel"));
    units.Place(m_ok, 36, 42, 24, 13);
    units.Place(m_upDown, 52, 12, 9, 24);
    units.Place(m_cancel, 6, 42, 24, 13);
    m_ok.SetDefaultButton(true);
    QWidget::setTabOrder(&m_ok, &m_cancel);

    connect(&m_upDown, &UpDownControl::DeltaPos, this, &ValidAge::OnDeltaPos);
    connect(&m_ok, &QPushButton::clicked, this, &ValidAge::OnOK);
    connect(&m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    // The buttons would take the arrow keys for focus moves; here they step the age.
    m_ok.installEventFilter(this);
    m_cancel.installEventFilter(this);
}

void ValidAge::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_ok.SetFlat(false, true);
    m_cancel.SetFlat(false, true);
    m_ok.setFocus(Qt::OtherFocusReason);
}

void ValidAge::OnDeltaPos(int delta) {
    // No bounds of its own, but no wrap-around either: a step past the end of the integer range is lost.
    const std::int64_t next = static_cast<std::int64_t>(m_age) - delta;
    m_age = static_cast<std::int32_t>(std::clamp<std::int64_t>(next, std::numeric_limits<std::int32_t>::min(),
                                                               std::numeric_limits<std::int32_t>::max()));
    update();
}

void ValidAge::OnOK() {
    Settings::SetValidAge(m_age);
    accept();
}

bool ValidAge::StepByKey(int key) {
    if (key == Qt::Key_Up) {
        OnDeltaPos(-1);
        return true;
    }
    if (key == Qt::Key_Down) {
        OnDeltaPos(+1);
        return true;
    }
    return false;
}

void ValidAge::keyPressEvent(QKeyEvent* event) {
    if (!StepByKey(event->key()))
        QDialog::keyPressEvent(event);
}

bool ValidAge::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && StepByKey(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QDialog::eventFilter(watched, event);
}

void ValidAge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFont font = Fonts::CellHeightFont(QStringLiteral("Arial Black"), kNumberCellHeight);
    m_ageText = QString::number(m_age);
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetrics metrics(font);
    // Centred on x, top of the cell at y.
    const int x = kNumberCentreX - metrics.horizontalAdvance(m_ageText) / 2;
    painter.drawText(QPoint(x, kNumberTop + metrics.ascent()), m_ageText);
}
