#include "ListsDialog.h"

#include "VenueTime.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace Venue {
namespace {

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString StateOf(const ListEntry& entry, Micros now) {
    if (entry.liftedAt)
        return QStringLiteral("lifted: ") + Text(entry.liftReason);
    return entry.validUntil <= now ? QStringLiteral("expired") : QStringLiteral("holds");
}

QString AskLiftReason(QWidget* parent) {
    bool ok = false;
    const QString reason =
        QInputDialog::getText(parent, QStringLiteral("Lift"), QStringLiteral("Reason:"), QLineEdit::Normal, {}, &ok);
    return ok ? reason.trimmed() : QString();
}

const QStringList kColumns{QStringLiteral("List"), QStringLiteral("Reason"), QStringLiteral("Until"),
                           QStringLiteral("Name"), QStringLiteral("Scope"),  QStringLiteral("State"),
                           QStringLiteral("Note")};

} // namespace

ListsDialog::ListsDialog(VenueDesk& desk, QWidget* parent, AskReason askReason)
    : QDialog(parent), m_desk(desk), m_askReason(askReason ? std::move(askReason) : AskLiftReason),
      m_search(new QLineEdit(this)), m_table(new QTableWidget(this)),
      m_lift(new QPushButton(QStringLiteral("&Lift..."), this)) {
    setWindowTitle(QStringLiteral("Lists"));
    m_search->setPlaceholderText(QStringLiteral("Search by name"));
    m_table->setColumnCount(static_cast<int>(kColumns.size()));
    m_table->setHorizontalHeaderLabels(kColumns);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setStretchLastSection(true);
    auto* const buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->addButton(m_lift, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_lift, &QPushButton::clicked, this, [this] { LiftSelected(); });
    connect(m_search, &QLineEdit::textChanged, this, [this] { Fill(); });
    auto* const layout = new QVBoxLayout(this);
    auto* const label = new QLabel(QStringLiteral("&Search:"), this);
    label->setBuddy(m_search);
    layout->addWidget(label);
    layout->addWidget(m_search);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(720, 360);
    Fill();
    m_search->setFocus();
}

void ListsDialog::Fill() {
    const QString wanted = m_search->text().trimmed();
    std::vector<ListEntry> entries = m_desk.Entries();
    std::sort(entries.begin(), entries.end(),
              [](const ListEntry& a, const ListEntry& b) { return a.createdAt > b.createdAt; });
    const Micros now = NowMicros();
    m_table->setRowCount(0);
    for (const ListEntry& e : entries) {
        const QString name = Text(e.displayName);
        if (!wanted.isEmpty() && !name.contains(wanted, Qt::CaseInsensitive))
            continue;
        const int row = m_table->rowCount();
        m_table->insertRow(row);
        const QStringList cells{Text(CodeOf(e.list)),
                                Text(ReasonText(e.reason)),
                                Text(LocalDate(e.validUntil - 1)),
                                name,
                                Text(CodeOf(e.scope)),
                                StateOf(e, now),
                                Text(e.note)};
        for (int c = 0; c < cells.size(); ++c)
            m_table->setItem(row, c, new QTableWidgetItem(cells[c]));
        m_table->item(row, 0)->setData(Qt::UserRole, Text(e.id));
    }
    if (m_table->rowCount() > 0)
        m_table->selectRow(0);
}

int ListsDialog::RowCount() const {
    return m_table->rowCount();
}

QString ListsDialog::IdAt(int row) const {
    const QTableWidgetItem* const item = m_table->item(row, 0);
    return item ? item->data(Qt::UserRole).toString() : QString();
}

void ListsDialog::Search(const QString& text) {
    m_search->setText(text);
}

bool ListsDialog::LiftSelected() {
    const int row = m_table->currentRow();
    const QString id = IdAt(row);
    if (id.isEmpty())
        return false;
    const QString reason = m_askReason(this);
    if (reason.isEmpty())
        return false;
    std::string error;
    if (!m_desk.Lift(id.toStdString(), reason.toStdString(), error)) {
        QMessageBox::warning(this, QStringLiteral("Lift"), QString::fromStdString(error));
        return false;
    }
    Fill();
    return true;
}

} // namespace Venue
