#include "ManualDlg.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>

namespace {

const QString kManualResource = QStringLiteral(":/docs/manual.md");

// Room for the manual's tables, yet within a small kiosk screen.
QSize PreferredSize(const QWidget* parent) {
    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    const QSize wanted(760, 640);
    if (!screen)
        return wanted;
    return wanted.boundedTo(screen->availableSize() * 9 / 10);
}

} // namespace

ManualDlg::ManualDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_text(this), m_buttons(QDialogButtonBox::Close, this), m_layout(this) {
    setWindowTitle(QStringLiteral("Kestrin Advanced User Manual"));
    // A text edit, not a browser: it has no navigation, and without the LinksAccessibleBy... flags a link
    // is only coloured text.
    m_text.setReadOnly(true);
    m_text.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text.setMarkdown(ManualText());
    connect(&m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    m_layout.addWidget(&m_text);
    m_layout.addWidget(&m_buttons);
    resize(PreferredSize(parent));
    m_text.setFocus();
}

QString ManualDlg::ManualText() {
    QFile manual(kManualResource);
    if (!manual.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(manual.readAll());
}
