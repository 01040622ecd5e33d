#include "QtMenu.h"

#include "QtText.h"

#include <QAction>
#include <QMenu>

QtMenu::QtMenu(QWidget& window) : m_bar(&window) {
    m_bar.setFocusPolicy(Qt::NoFocus);
    m_bar.setStyle(&m_style);
    // The option items overwrite every check mark from the stored states; these are the resource's.
    QMenu& file = *m_bar.addMenu(QStringLiteral("File"));
    AddItem(file, ID_APP_EXIT, "Exit       Alt + F4", false, false, false);

    QMenu& options = *m_bar.addMenu(QStringLiteral("Options"));
    AddItem(options, ID_ALWAYS_ON_TOP, "Always On Top", true, true, false);
    AddItem(options, ID_CREATE_LOG, "Create Log", true, true, false);
    AddItem(options, ID_COMMENTS, "Comments", true, false, true);
    AddItem(options, ID_COUNT_VALID_ONLY, "Count Valid DL Only", true, true, false);
    AddItem(options, ID_SET_VALID_AGE, "Set Valid Age", false, false, true);

    m_venue = m_bar.addMenu(QStringLiteral("Venue"));
    AddItem(*m_venue, ID_VENUE_BAN, "Ban Last Card...", false, false, false);
    AddItem(*m_venue, ID_VENUE_FLAG, "Flag Last Card...", false, false, false);
    AddItem(*m_venue, ID_VENUE_VIP, "VIP Last Card...", false, false, false);
    m_venue->addSeparator();
    AddItem(*m_venue, ID_VENUE_LISTS, "Lists...", false, false, false);
    AddItem(*m_venue, ID_VENUE_REPORTS, "Reports...", false, false, false);

    QMenu& help = *m_bar.addMenu(QStringLiteral("Help"));
    AddItem(help, ID_HELP, "Help", false, false, false);
    help.addSeparator();
    AddItem(help, ID_APP_ABOUT, "About", false, false, false);
}

QAction* QtMenu::AddItem(QMenu& popup, int id, const char* text, bool checkable, bool checked, bool greyed) {
    QAction* const action = popup.addAction(QtText::FromBytes(text));
    action->setData(id);
    action->setCheckable(checkable);
    action->setChecked(checked);
    action->setEnabled(!greyed);
    m_actions[id] = action;
    return action;
}

QAction* QtMenu::Action(int id) const {
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void QtMenu::CheckMenuItem(int id, bool checked) {
    if (QAction* const action = Action(id))
        action->setChecked(checked);
}

void QtMenu::EnableMenuItem(int id, bool enabled) {
    if (QAction* const action = Action(id))
        action->setEnabled(enabled);
}

int QtMenu::NoAltNavigationStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                                            QStyleHintReturn* returnData) const {
    if (hint == SH_MenuBar_AltKeyNavigation)
        return 0;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
}
