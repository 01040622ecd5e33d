#pragma once
// The keyboard lock of the station: while it is armed and "Always On Top" is checked it holds the
// keyboard grab, so the task-switching combinations never reach the window manager, and it decides which
// of the key events that then arrive are dropped (ShouldSwallowKey).
//
// The grab sends every key of the application to the station window, so it is let go while another
// modal dialog of the station (Comments, Set Valid Age, About, a message box) is open or the station is
// not the active window, and taken again afterwards.

#include "IKeyboardGrab.h"
#include "KeyboardLockPolicy.h"

#include <memory>

class QKeyEvent;
class QWidget;

struct KeyboardLockInputs {
    bool ontopChecked = false;
    bool stationActive = false;
    bool otherModalOpen = false;
};

class KeyboardLock {
public:
    KeyboardLock(QWidget& window, std::unique_ptr<IKeyboardGrab> grab);
    ~KeyboardLock();

    KeyboardLock(const KeyboardLock&) = delete;
    KeyboardLock& operator=(const KeyboardLock&) = delete;

    // Set once, when the window's option items exist; before then the lock never reads the option.
    void Arm() { m_armed = true; }

    // Takes or lets go of the grab to match the inputs.
    void Update(const KeyboardLockInputs& inputs);
    // Lets go of the grab for good (at exit); Update() no longer takes it.
    void Remove();
    bool IsGrabbed() const { return m_grabbed; }
    // The grab is wanted but the server refused it: Update() again a little later.
    bool IsPending() const { return m_wanted && !m_grabbed; }

    bool ShouldSwallow(const QKeyEvent& event, bool ontopChecked) const;

private:
    QWidget& m_window;
    std::unique_ptr<IKeyboardGrab> m_grab;
    bool m_armed = false;
    bool m_removed = false;
    bool m_wanted = false;
    bool m_grabbed = false;
};

// A Qt key event in the X terms the swallow decision is written in.
LockKeyEvent ToLockKeyEvent(const QKeyEvent& event);
