#pragma once
// Menu 129 of the station window as a QMenuBar whose actions are found by their command id. The option
// items set their check marks through the AuxW32::IMenu side.

#include "IMenu.h"

#include <QMenuBar>
#include <QProxyStyle>

#include <map>

class QAction;
class QWidget;

class QtMenu final : public AuxW32::IMenu {
public:
    enum CommandId : int {
        ID_APP_EXIT = 32773,
        ID_ALWAYS_ON_TOP = 32780,
        ID_CREATE_LOG = 32781,
        ID_COMMENTS = 32787,
        ID_SET_VALID_AGE = 32791,
        ID_COUNT_VALID_ONLY = 32792,
        ID_HELP = 32777,
        ID_APP_ABOUT = 32778,
        ID_VENUE_BAN = 32801,
        ID_VENUE_FLAG = 32802,
        ID_VENUE_VIP = 32803,
        ID_VENUE_LISTS = 32804,
        ID_VENUE_REPORTS = 32805,
    };

    // Builds the menu bar as a child of `window`, with the resource's check marks and greyed items. The
    // window must outlive the menu (a member of the window does).
    explicit QtMenu(QWidget& window);

    QMenuBar& Bar() { return m_bar; }
    const QMenuBar& Bar() const { return m_bar; }
    // The action of command `id`, or null for an id the menu does not have.
    QAction* Action(int id) const;
    // The "Venue" menu, which F9 opens from the keyboard.
    QMenu& VenueMenu() { return *m_venue; }

    void CheckMenuItem(int id, bool checked) override;
    void EnableMenuItem(int id, bool enabled);

private:
    QAction* AddItem(QMenu& popup, int id, const char* text, bool checkable, bool checked, bool greyed);

    // Alt pressed alone must not pull the keyboard into the menu bar: the keys of a swipe that follows
    // would go to the menu instead of the station.
    class NoAltNavigationStyle final : public QProxyStyle {
    public:
        int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                      QStyleHintReturn* returnData) const override;
    };

    NoAltNavigationStyle m_style;
    QMenuBar m_bar;
    std::map<int, QAction*> m_actions;
    QMenu* m_venue = nullptr; // owned by the bar
};
