#pragma once
// Station-lock parts that record what the window asks of them, shared with the test through a log.

#include "ICursorConfinement.h"
#include "IKeyboardGrab.h"
#include "StationLockFactory.h"

#include <QRect>
#include <QWidget>

#include <memory>
#include <vector>

struct StationLockLog {
    std::vector<QRect> confinedTo;
    int releases = 0;
    bool confined = false;
    int grabs = 0;
    int grabReleases = 0;
    bool grabbed = false;
    int refuseGrabs = 0; // the next grabs the "server" refuses
};

class FakeConfinement final : public ICursorConfinement {
public:
    explicit FakeConfinement(StationLockLog& log) : m_log(log) {}
    void ConfineTo(const QWidget& window, const QRect& alsoReachable) override {
        m_log.confinedTo.push_back(window.frameGeometry().united(alsoReachable));
        m_log.confined = true;
    }
    void Release() override {
        ++m_log.releases;
        m_log.confined = false;
    }
    bool IsConfined() const override { return m_log.confined; }

private:
    StationLockLog& m_log;
};

class FakeKeyboardGrab final : public IKeyboardGrab {
public:
    explicit FakeKeyboardGrab(StationLockLog& log) : m_log(log) {}
    bool Grab(QWidget&) override {
        ++m_log.grabs;
        if (m_log.refuseGrabs > 0) {
            --m_log.refuseGrabs;
            return false;
        }
        m_log.grabbed = true;
        return true;
    }
    void Release() override {
        ++m_log.grabReleases;
        m_log.grabbed = false;
    }

private:
    StationLockLog& m_log;
};

inline StationLockParts FakeLockParts(StationLockLog& log) {
    StationLockParts parts;
    parts.confinement = std::make_unique<FakeConfinement>(log);
    parts.keyboardGrab = std::make_unique<FakeKeyboardGrab>(log);
    return parts;
}
