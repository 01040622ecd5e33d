#pragma once
// "Ban Last Card...", "Flag Last Card...", "VIP Last Card...": the operator picks the reason from the fixed
// set, the last day the entry holds (at most five years on), a note and the scope. Every field is
// reached with Tab and the arrow keys; Enter confirms, Esc cancels.

#include "VenueDesk.h"

#include <QDialog>

class QComboBox;
class QDateEdit;
class QLineEdit;

namespace Venue {

class ListEntryDialog final : public QDialog {
public:
    // `today` is the station's date; `who` names the person where the profile keeps names (may be empty).
    ListEntryDialog(ListKind list, const QDate& today, const QString& who, QWidget* parent);

    EntryRequest Request() const;

private:
    ListKind m_list;
    QComboBox* m_reason;
    QDateEdit* m_until;
    QLineEdit* m_note;
    QComboBox* m_scope;
};

} // namespace Venue
