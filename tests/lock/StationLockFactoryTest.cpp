// Without an X11 display (here: the offscreen platform) the station gets a lock that does nothing and
// holds nothing, and says so once on standard error.
#include "StationLockFactory.h"

#include <QTest>
#include <QWidget>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

class StationLockFactoryTest : public QObject {
    Q_OBJECT
private slots:
    void offscreenGetsNullPartsAndOneNotice();
};

namespace {
// Runs `f` with standard error sent to a file and returns what was written.
template <typename F> std::string CapturedStderr(F&& f) {
    char path[] = "/tmp/kestrin-stderr-XXXXXX";
    const int file = mkstemp(path);
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    dup2(file, STDERR_FILENO);
    f();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(file);
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    unlink(path);
    return text.str();
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}
} // namespace

void StationLockFactoryTest::offscreenGetsNullPartsAndOneNotice() {
    QCOMPARE(QGuiApplication::platformName(), QStringLiteral("offscreen"));
    StationLockParts first;
    StationLockParts second;
    const std::string said = CapturedStderr([&] {
        first = CreateStationLockParts();
        second = CreateStationLockParts();
    });
    QCOMPARE(Count(said, "without the lock"), 1);

    QVERIFY(first.confinement && first.keyboardGrab);
    QWidget window;
    first.confinement->ConfineTo(window, QRect());
    QVERIFY(!first.confinement->IsConfined());
    QVERIFY(first.keyboardGrab->Grab(window)); // nothing to refuse, so no retries
    QCOMPARE(QWidget::keyboardGrabber(), nullptr);
}

QTEST_MAIN(StationLockFactoryTest)
#include "StationLockFactoryTest.moc"
