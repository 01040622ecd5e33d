// Where the station window sends each key event, with the keyboard lock armed or not and "Always On Top"
// checked or not: the task-switching combinations are withheld only while the lock is on, Alt+F4 always
// closes, Esc/Enter/Tab are keys of the swipe.
#include "KeyRoute.h"
#include "FakeStationLock.h"
#include "KeyboardLock.h"

#include <QKeyEvent>
#include <QTest>
#include <QWidget>

Q_DECLARE_METATYPE(KeyRoute)

class KeyRouteTest : public QObject {
    Q_OBJECT
private slots:
    void routes_data();
    void routes();
    void heldCountingKeyCountsOnce();
    void lockEventOfAltShiftTab();
};

void KeyRouteTest::routes_data() {
    QTest::addColumn<bool>("armed");
    QTest::addColumn<bool>("ontop");
    QTest::addColumn<bool>("press");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<KeyRoute>("route");

    const int alt = Qt::AltModifier;
    const int ctrl = Qt::ControlModifier;
    const int shift = Qt::ShiftModifier;
    QTest::newRow("Alt+Tab, lock on") << true << true << true << int(Qt::Key_Tab) << alt << KeyRoute::Swallow;
    QTest::newRow("Alt+Tab release, lock on") << true << true << false << int(Qt::Key_Tab) << alt << KeyRoute::Swallow;
    QTest::newRow("Alt+Shift+Tab, lock on")
        << true << true << true << int(Qt::Key_Backtab) << (alt | shift) << KeyRoute::Swallow;
    QTest::newRow("Alt+Esc, lock on") << true << true << true << int(Qt::Key_Escape) << alt << KeyRoute::Swallow;
    QTest::newRow("Ctrl+Esc, lock on") << true << true << true << int(Qt::Key_Escape) << ctrl << KeyRoute::Swallow;
    QTest::newRow("Ctrl+Shift+Esc, lock on")
        << true << true << true << int(Qt::Key_Escape) << (ctrl | shift) << KeyRoute::Swallow;
    QTest::newRow("Ctrl+Alt+Delete, lock on")
        << true << true << true << int(Qt::Key_Delete) << (ctrl | alt) << KeyRoute::Swallow;
    QTest::newRow("Alt+Delete without Ctrl") << true << true << true << int(Qt::Key_Delete) << alt << KeyRoute::System;
    QTest::newRow("Ctrl+Delete without Alt") << true << true << true << int(Qt::Key_Delete) << ctrl << KeyRoute::Feed;
    QTest::newRow("Ctrl+Tab passes") << true << true << true << int(Qt::Key_Tab) << ctrl << KeyRoute::Feed;
    QTest::newRow("Alt+Tab, option unchecked") << true << false << true << int(Qt::Key_Tab) << alt << KeyRoute::System;
    QTest::newRow("Alt+Tab, lock not armed") << false << true << true << int(Qt::Key_Tab) << alt << KeyRoute::System;
    QTest::newRow("Ctrl+Esc, option unchecked")
        << true << false << true << int(Qt::Key_Escape) << ctrl << KeyRoute::Feed;
    QTest::newRow("Alt+F4, lock on") << true << true << true << int(Qt::Key_F4) << alt << KeyRoute::CloseWindow;
    QTest::newRow("Alt+F4, lock off") << true << false << true << int(Qt::Key_F4) << alt << KeyRoute::CloseWindow;
    QTest::newRow("Alt+F4 release") << true << true << false << int(Qt::Key_F4) << alt << KeyRoute::System;
    QTest::newRow("Alt+letter is a system key") << true << true << true << int(Qt::Key_F) << alt << KeyRoute::System;
    QTest::newRow("Esc alone is a swipe key") << true << true << true << int(Qt::Key_Escape) << 0 << KeyRoute::Feed;
    QTest::newRow("Enter is a swipe key") << true << true << true << int(Qt::Key_Return) << 0 << KeyRoute::Feed;
    QTest::newRow("Tab alone is a swipe key") << true << true << true << int(Qt::Key_Tab) << 0 << KeyRoute::Feed;
    QTest::newRow("Shift+5 is a swipe key") << true << true << true << int(Qt::Key_Percent) << shift << KeyRoute::Feed;
    QTest::newRow("release of a letter") << true << true << false << int(Qt::Key_A) << 0 << KeyRoute::Ignore;
    QTest::newRow("F11 full screen") << true << true << true << int(Qt::Key_F11) << 0 << KeyRoute::FullScreen;
    QTest::newRow("F9 the Venue menu") << true << true << true << int(Qt::Key_F9) << 0 << KeyRoute::VenueMenu;
    QTest::newRow("F7 counts in") << true << false << true << int(Qt::Key_F7) << 0 << KeyRoute::CountIn;
    QTest::newRow("F8 counts out") << true << true << true << int(Qt::Key_F8) << 0 << KeyRoute::CountOut;
    QTest::newRow("F7 release") << true << true << false << int(Qt::Key_F7) << 0 << KeyRoute::Ignore;
    QTest::newRow("Shift+F7 is no count") << true << true << true << int(Qt::Key_F7) << shift << KeyRoute::Feed;
}

void KeyRouteTest::heldCountingKeyCountsOnce() {
    StationLockLog log;
    QWidget window;
    KeyboardLock lock(window, std::make_unique<FakeKeyboardGrab>(log));
    lock.Arm();
    const QKeyEvent repeat(QEvent::KeyPress, Qt::Key_F7, Qt::NoModifier, QString(), true);
    QCOMPARE(RouteKey(repeat, lock, true), KeyRoute::Ignore);
}

void KeyRouteTest::routes() {
    QFETCH(bool, armed);
    QFETCH(bool, ontop);
    QFETCH(bool, press);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(KeyRoute, route);

    StationLockLog log;
    QWidget window;
    KeyboardLock lock(window, std::make_unique<FakeKeyboardGrab>(log));
    if (armed)
        lock.Arm();
    const QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(RouteKey(event, lock, ontop), route);
}

void KeyRouteTest::lockEventOfAltShiftTab() {
    const QKeyEvent event(QEvent::KeyRelease, Qt::Key_Backtab, Qt::AltModifier | Qt::ShiftModifier);
    const LockKeyEvent x = ToLockKeyEvent(event);
    QCOMPARE(x.keysym, LockKeys::kIsoLeftTab);
    QCOMPARE(x.state, LockKeys::kMod1Mask);
}

QTEST_MAIN(KeyRouteTest)
#include "KeyRouteTest.moc"
