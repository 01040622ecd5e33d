#include "ListEntryDialog.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace Venue {
namespace {

constexpr Reason kReasons[] = {Reason::Violence, Reason::Theft,           Reason::FakeId, Reason::Harassment,
                               Reason::Drugs,    Reason::UnderageAttempt, Reason::Other};

QString Caption(ListKind list) {
    switch (list) {
    case ListKind::Banned:
        return QStringLiteral("Ban Last Card");
    case ListKind::Flagged:
        return QStringLiteral("Flag Last Card");
    case ListKind::Vip:
        return QStringLiteral("VIP Last Card");
    }
    return {};
}

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

ListEntryDialog::ListEntryDialog(ListKind list, const QDate& today, const QString& who, QWidget* parent)
    : QDialog(parent), m_list(list), m_reason(new QComboBox(this)), m_until(new QDateEdit(this)),
      m_note(new QLineEdit(this)), m_scope(new QComboBox(this)) {
    setWindowTitle(Caption(list));
    for (const Reason reason : kReasons)
        m_reason->addItem(Text(ReasonText(reason)), static_cast<int>(reason));
    m_reason->setCurrentIndex(list == ListKind::Vip ? m_reason->count() - 1 : 0);
    m_until->setCalendarPopup(true);
    m_until->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    m_until->setMinimumDate(today);
    // The store refuses more than five years on; the dialog never offers it.
    m_until->setMaximumDate(today.addYears(ListEntry::kMaxYears).addDays(-1));
    m_until->setDate(today.addYears(1));
    m_note->setMaxLength(200);
    m_scope->addItem(QStringLiteral("This venue"), static_cast<int>(Scope::Venue));
    m_scope->addItem(QStringLiteral("The whole group"), static_cast<int>(Scope::Group));

    auto* const form = new QFormLayout;
    form->addRow(QStringLiteral("&Reason:"), m_reason);
    form->addRow(QStringLiteral("&Until:"), m_until);
    form->addRow(QStringLiteral("&Note:"), m_note);
    form->addRow(QStringLiteral("&Scope:"), m_scope);
    auto* const buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* const layout = new QVBoxLayout(this);
    if (!who.isEmpty())
        layout->addWidget(new QLabel(who, this));
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_reason->setFocus();
}

EntryRequest ListEntryDialog::Request() const {
    EntryRequest request;
    request.list = m_list;
    request.reason = static_cast<Reason>(m_reason->currentData().toInt());
    request.until = m_until->date().toString(Qt::ISODate).toStdString();
    request.note = m_note->text().toStdString();
    request.scope = static_cast<Scope>(m_scope->currentData().toInt());
    return request;
}

} // namespace Venue
