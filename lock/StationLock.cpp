#include "StationLock.h"

#include "Guarded.h"
#include "StationTrace.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include <utility>

namespace {
constexpr int kGrabRetryMs = 100;
} // namespace

StationLock::StationLock(QWidget& window, StationLockParts parts, std::function<bool()> ontopChecked)
    : m_window(window), m_ontopChecked(std::move(ontopChecked)), m_confinement(std::move(parts.confinement)),
      m_keyboardLock(window, std::move(parts.keyboardGrab)) {}

StationLock::~StationLock() {
    if (m_filterInstalled)
        qApp->removeEventFilter(this);
    Remove();
}

void StationLock::Arm() {
    if (!m_filterInstalled)
        qApp->installEventFilter(this); // modal dialogs of the station take the keyboard grab's place
    m_filterInstalled = true;
    m_keyboardLock.Arm();
}

void StationLock::Remove() {
    m_keyboardLock.Remove();
    m_confinement->Release();
}

bool StationLock::IsOntopChecked() const {
    return m_ontopChecked && m_ontopChecked();
}

bool StationLock::IsOtherModalOpen() const {
    const QWidget* const modal = QApplication::activeModalWidget();
    return modal && modal != &m_window;
}

void StationLock::ConfineToFrame() {
    m_confinement->ConfineTo(m_window, m_extraArea);
}

void StationLock::ConfineIfOntop() {
    // The About box and the help error box free the cursor while they are shown; the station repaints
    // behind them (it turns inactive), and that paint must not fence the cursor in again. The commands
    // renew the confinement when their dialogs have closed; the Comments and valid-age dialogs never
    // release it.
    if (!IsOntopChecked() || !m_window.isVisible() || IsOtherModalOpen())
        return;
    ConfineToFrame(); // the confinement follows the frame from here, also while the window manager builds it
}

void StationLock::AfterPaint() {
    ConfineIfOntop();
}

void StationLock::AfterMove() {
    if (m_confinement->IsConfined())
        ConfineToFrame();
}

void StationLock::AfterActivationChange() {
    UpdateKeyboardLock();
}

void StationLock::AfterOptionToggled() {
    if (IsOntopChecked())
        ConfineToFrame();
    else
        m_confinement->Release();
    UpdateKeyboardLock();
}

void StationLock::ReleaseCursor() {
    m_confinement->Release();
}

void StationLock::RenewAfterDialog() {
    if (IsOntopChecked())
        ConfineToFrame();
}

void StationLock::SetExtraArea(const QRect& area) {
    m_extraArea = area;
    if (m_confinement->IsConfined())
        ConfineToFrame();
}

bool StationLock::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() != QEvent::Show && e->type() != QEvent::Hide)
        return false;
    const auto* const widget = qobject_cast<QWidget*>(watched);
    if (!widget || widget == &m_window || !widget->isWindow() || widget->windowModality() == Qt::NonModal)
        return false;
    // A modal dialog of the station needs the keyboard while it is open: let go of the grab before it
    // shows, take it again once the dialog has gone and the station is active again.
    if (e->type() == QEvent::Show)
        Guarded("keyboard lock", [this] { UpdateKeyboardLock(true); });
    else
        QTimer::singleShot(0, this, [this] { Guarded("keyboard lock", [this] { UpdateKeyboardLock(); }); });
    return false;
}

void StationLock::UpdateKeyboardLock(bool modalOpening) {
    KeyboardLockInputs inputs;
    inputs.ontopChecked = IsOntopChecked();
    inputs.stationActive = m_window.isVisible() && m_window.isActiveWindow();
    inputs.otherModalOpen = modalOpening || IsOtherModalOpen();
    const bool wasGrabbed = m_keyboardLock.IsGrabbed();
    m_keyboardLock.Update(inputs);
    if (m_keyboardLock.IsGrabbed() != wasGrabbed)
        StationTrace::Line(m_keyboardLock.IsGrabbed() ? "keyboard grab taken" : "keyboard grab released");
    if (m_keyboardLock.IsPending())
        StationTrace::Line("keyboard grab refused");
    if (!m_keyboardLock.IsPending() || m_grabRetryScheduled)
        return;
    // The window manager may hold the keyboard for a moment (activating, moving the window): try again.
    m_grabRetryScheduled = true;
    QTimer::singleShot(kGrabRetryMs, this, [this] {
        m_grabRetryScheduled = false;
        Guarded("keyboard lock", [this] { UpdateKeyboardLock(); });
    });
}
