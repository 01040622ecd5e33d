#include "Remarks.h"

#include "QtText.h"

#include "CardText.h"
#include "DialogUnits.h"
#include "Fonts.h"

#include <QKeyEvent>

namespace {

void SetUpBox(QLineEdit& box, const char* name) {
    box.setObjectName(QString::fromLatin1(name));
    box.setFrame(true);
    box.setFocusPolicy(Qt::StrongFocus);
}

void SetUpButton(QPushButton& button, const char* name) {
    button.setObjectName(QString::fromLatin1(name));
    // Not tab stops: the focus cycles between the two boxes only. Enter is the dialog's OK.
    button.setFocusPolicy(Qt::ClickFocus);
    button.setAutoDefault(false);
}

} // namespace

Remarks::Remarks(QWidget* parent)
    : QDialog(parent), m_comment1Box(this), m_comment2Box(this), m_ok(QStringLiteral("OK"), this),
      m_cancel(QStringLiteral("Cancel"), this) {
    setWindowTitle(QStringLiteral("Comments"));
    setFont(Fonts::StandardDialogFont());
    const DialogUnits units(font());
    setFixedSize(units.Size(kWidth, kHeight));

    SetUpBox(m_comment1Box, "comment1");
    SetUpBox(m_comment2Box, "comment2");
    SetUpButton(m_ok, "ok");
    SetUpButton(m_cancel, "cancel");
    units.Place(m_ok, 45, 59, 50, 14);
    units.Place(m_cancel, 114, 59, 50, 14);
    units.Place(m_comment1Box, 13, 12, 185, 12);
    units.Place(m_comment2Box, 12, 35, 185, 12);
    QWidget::setTabOrder(&m_comment1Box, &m_comment2Box);
    m_comment1Box.setFocus(Qt::OtherFocusReason);

    connect(&m_ok, &QPushButton::clicked, this, &Remarks::OnOK);
    connect(&m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void Remarks::OnOK() {
    m_comment1 = QtText::ToBytes(m_comment1Box.text());
    m_comment2 = QtText::ToBytes(m_comment2Box.text());
    accept();
}

void Remarks::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        OnOK();
        return;
    }
    QDialog::keyPressEvent(event);
}

std::string Remarks::GetLogSuffix() const {
    // The same field rule as the card's own fields, so a comment can no more become a formula than a name.
    std::string suffix = ",";
    MagneticStripeCards::CardText::AppendCsvField(suffix, m_comment1);
    suffix += ',';
    MagneticStripeCards::CardText::AppendCsvField(suffix, m_comment2);
    return suffix;
}
