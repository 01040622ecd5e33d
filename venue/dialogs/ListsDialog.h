#pragma once
// "Lists...": the entries this door holds (banned, flagged, VIP, lifted and expired ones too), searched by
// name where the profile keeps names, and lifted with a reason. Keyboard: type in the search field, arrow
// keys in the table, Alt+L (or the button) to lift the selected entry.

#include "VenueDesk.h"

#include <QDialog>

#include <functional>

class QLineEdit;
class QPushButton;
class QTableWidget;

namespace Venue {

class ListsDialog final : public QDialog {
public:
    // Asks the operator for the reason of a lift; empty: cancelled.
    using AskReason = std::function<QString(QWidget* parent)>;

    ListsDialog(VenueDesk& desk, QWidget* parent, AskReason askReason = {});

    // Rows shown now (for tests): the entries matching the search, newest first.
    int RowCount() const;
    QString IdAt(int row) const;
    void Search(const QString& text);
    // Lifts the entry of the selected row, asking for the reason; false when nothing was lifted.
    bool LiftSelected();

private:
    void Fill();

    VenueDesk& m_desk;
    AskReason m_askReason;
    QLineEdit* m_search;
    QTableWidget* m_table;
    QPushButton* m_lift;
};

} // namespace Venue
