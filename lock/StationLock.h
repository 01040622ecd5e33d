#pragma once
// The station lock of "Always On Top": the cursor confinement to the window's frame and the keyboard
// grab, and when each is set, renewed or let go. MainDlg tells it what happened to the window (painted,
// moved, activated, the option toggled, a dialog of the station opened or closed); the lock decides.
//
//   paint / move / About closed --> ConfineToFrame (while the option is checked and no other dialog shows)
//   activation, modal dialogs shown and hidden --> KeyboardLock::Update
//   Help, About --> ReleaseCursor; Remove at exit
//
// The window must outlive the lock (a member of the window does).

#include "KeyboardLock.h"
#include "StationLockFactory.h"

#include <QObject>
#include <QRect>

#include <functional>
#include <memory>

class QWidget;

class StationLock final : public QObject {
public:
    StationLock(QWidget& window, StationLockParts parts, std::function<bool()> ontopChecked);
    ~StationLock() override;

    StationLock(const StationLock&) = delete;
    StationLock& operator=(const StationLock&) = delete;

    // From here on the keyboard lock follows the option, and modal dialogs of the station take the
    // keyboard grab's place while they are shown.
    void Arm();
    // Lets go of the keyboard grab and the cursor confinement for good.
    void Remove();

    void AfterPaint();
    void AfterMove();
    void AfterActivationChange();
    // "Always On Top" has just been toggled: confine or release at once.
    void AfterOptionToggled();
    // Help and About free the cursor while they are used; About renews it when it has closed.
    void ReleaseCursor();
    void RenewAfterDialog();
    // An area beside the frame the pointer may reach as well (the Comments dialog where it opens outside
    // the window), or an empty rectangle for the frame alone.
    void SetExtraArea(const QRect& area);

    const KeyboardLock& Keys() const { return m_keyboardLock; }
    bool IsKeyboardGrabbed() const { return m_keyboardLock.IsGrabbed(); }
    bool IsCursorConfined() const { return m_confinement->IsConfined(); }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool IsOntopChecked() const;
    bool IsOtherModalOpen() const;
    void ConfineToFrame();
    void ConfineIfOntop();
    void UpdateKeyboardLock(bool modalOpening = false);

    QWidget& m_window;
    std::function<bool()> m_ontopChecked;
    std::unique_ptr<ICursorConfinement> m_confinement;
    KeyboardLock m_keyboardLock;
    QRect m_extraArea;
    bool m_grabRetryScheduled = false;
    bool m_filterInstalled = false;
};
