// When the keyboard lock holds the grab: armed, "Always On Top" checked, station active and no other
// modal dialog of the station open; and that it lets go when any of them changes and for good at exit.
#include "KeyboardLock.h"
#include "FakeStationLock.h"

#include <QTest>
#include <QWidget>

class KeyboardLockTest : public QObject {
    Q_OBJECT
private slots:
    void grabFollowsInputs_data();
    void grabFollowsInputs();
    void uncheckingReleasesAndCheckingGrabsAgain();
    void modalDialogMovesTheGrabAway();
    void removedLockNeverGrabsAgain();
    void destructionReleases();
    void refusedGrabStaysPendingUntilGranted();
};

namespace {
KeyboardLockInputs On() {
    return {true, true, false};
}
} // namespace

void KeyboardLockTest::grabFollowsInputs_data() {
    QTest::addColumn<bool>("armed");
    QTest::addColumn<bool>("ontop");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("modal");
    QTest::addColumn<bool>("grabbed");
    QTest::newRow("all conditions met") << true << true << true << false << true;
    QTest::newRow("not armed yet") << false << true << true << false << false;
    QTest::newRow("option unchecked") << true << false << true << false << false;
    QTest::newRow("station not active") << true << true << false << false << false;
    QTest::newRow("other modal dialog open") << true << true << true << true << false;
}

void KeyboardLockTest::grabFollowsInputs() {
    QFETCH(bool, armed);
    QFETCH(bool, ontop);
    QFETCH(bool, active);
    QFETCH(bool, modal);
    QFETCH(bool, grabbed);
    StationLockLog log;
    QWidget window;
    KeyboardLock lock(window, std::make_unique<FakeKeyboardGrab>(log));
    if (armed)
        lock.Arm();
    lock.Update({ontop, active, modal});
    QCOMPARE(lock.IsGrabbed(), grabbed);
    QCOMPARE(log.grabbed, grabbed);
    lock.Update({ontop, active, modal}); // no second grab for the same inputs
    QCOMPARE(log.grabs, grabbed ? 1 : 0);
}

void KeyboardLockTest::uncheckingReleasesAndCheckingGrabsAgain() {
    StationLockLog log;
    QWidget window;
    KeyboardLock lock(window, std::make_unique<FakeKeyboardGrab>(log));
    lock.Arm();
    lock.Update(On());
    lock.Update({false, true, false});
    QVERIFY(!log.grabbed);
    QCOMPARE(log.grabReleases, 1);
    lock.Update(On());
    QVERIFY(log.grabbed);
    QCOMPARE(log.grabs, 2);
}

void KeyboardLockTest::modalDialogMovesTheGrabAway() {
    StationLockLog log;
    QWidget window;
    KeyboardLock lock(window, std::make_unique<FakeKeyboardGrab>(log));
    lock.Arm();
    lock.Update(On());
    lock.Update({true, false, true}); // dialog shown: it is active, the station is not
    QVERIFY(!log.grabbed);
    lock.Update(On()); // dialog closed, station active again
    QVERIFY(log.grabbed);
}

void KeyboardLockTest::removedLockNeverGrabsAgain() {
    StationLockLog log;
    QWidget window;
    KeyboardLock lock(window, std::make_unique<FakeKeyboardGrab>(log));
    lock.Arm();
    lock.Update(On());
    lock.Remove();
    QVERIFY(!log.grabbed);
    lock.Update(On());
    QVERIFY(!log.grabbed);
}

void KeyboardLockTest::destructionReleases() {
    StationLockLog log;
    QWidget window;
    {
        KeyboardLock lock(window, std::make_unique<FakeKeyboardGrab>(log));
        lock.Arm();
        lock.Update(On());
        QVERIFY(log.grabbed);
    }
    QVERIFY(!log.grabbed);
}

void KeyboardLockTest::refusedGrabStaysPendingUntilGranted() {
    StationLockLog log;
    log.refuseGrabs = 2;
    QWidget window;
    KeyboardLock lock(window, std::make_unique<FakeKeyboardGrab>(log));
    lock.Arm();
    lock.Update(On());
    QVERIFY(!lock.IsGrabbed());
    QVERIFY(lock.IsPending());
    lock.Update(On());
    QVERIFY(lock.IsPending());
    lock.Update(On());
    QVERIFY(lock.IsGrabbed());
    QVERIFY(!lock.IsPending());
    QCOMPARE(log.grabs, 3);
    lock.Update({false, true, false});
    QVERIFY(!lock.IsPending()); // not wanted any more
}

QTEST_MAIN(KeyboardLockTest)
#include "KeyboardLockTest.moc"
