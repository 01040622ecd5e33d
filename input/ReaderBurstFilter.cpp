#include "ReaderBurstFilter.h"

#include "Guarded.h"
#include "ReaderKeymap.h"
#include "StationTrace.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QWidget>

#include <algorithm>
#include <string>
#include <utility>

ReaderBurstFilter::ReaderBurstFilter(const QWidget& station, const ReaderKeymap& keymap, Feed feed)
    : m_station(station), m_keymap(keymap), m_feed(std::move(feed)) {
    m_holdTimer.setSingleShot(true);
    connect(&m_holdTimer, &QTimer::timeout, this, [this] { Guarded("reader burst", [this] { OnHoldExpired(); }); });
    m_burstTimer.setSingleShot(true);
    m_burstTimer.setInterval(static_cast<int>(ReaderBurstDetector::kContinueGapMs) + 50);
    connect(&m_burstTimer, &QTimer::timeout, this, [this] { Guarded("reader burst", [this] { EndBurst(); }); });
    qApp->installEventFilter(this);
}

ReaderBurstFilter::~ReaderBurstFilter() {
    qApp->removeEventFilter(this);
}

bool ReaderBurstFilter::IsDialogOpen() const {
    const QWidget* const modal = QApplication::activeModalWidget();
    return modal && modal != &m_station && !QApplication::activePopupWidget();
}

bool ReaderBurstFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // A key event reaches the window first and then the widget with the focus; the window is where it is
    // judged once.
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWindowType() || m_replaying)
        return false;
    if (!IsDialogOpen())
        return false;
    auto& key = static_cast<QKeyEvent&>(*event);
    if (type == QEvent::KeyRelease)
        return m_detector.OnRelease() == ReaderBurstDetector::Route::Scan;
    bool consumed = false;
    Guarded("reader burst", [&] { consumed = OnPress(watched, key); });
    return consumed;
}

bool ReaderBurstFilter::OnPress(QObject* window, QKeyEvent& key) {
    const ReaderBurstDetector::Decision decision =
        m_detector.OnPress(m_keymap.Character(key), key.isAutoRepeat(), key.timestamp());
    if (decision.held) {
        m_holdTimer.stop();
        if (*decision.held == ReaderBurstDetector::Route::Scan) {
            StationTrace::Line("reader burst while a dialog is open: keys go to the scan");
            StartBurst();
            FeedHeld();
        } else {
            StationTrace::Line(
                "reader burst: the key after the sentinel came at a person's pace; both go to the dialog");
            ReplayHeld();
        }
    }
    switch (decision.key) {
    case ReaderBurstDetector::Route::Dialog:
        EndBurst();
        return false;
    case ReaderBurstDetector::Route::Hold:
        Hold(window, key);
        return true;
    case ReaderBurstDetector::Route::Scan:
        m_burstTimer.start();
        m_feed(key);
        return true;
    }
    return false;
}

void ReaderBurstFilter::Hold(QObject* window, const QKeyEvent& key) {
    m_held.emplace_back(key.clone());
    m_heldWindow = window;
    StartHoldTimer(ReaderBurstDetector::kHoldMs);
}

void ReaderBurstFilter::StartHoldTimer(int ms) {
    m_holdTimer.start(ms);
    m_holdTimerDue.start();
    m_holdTimerMs = ms;
}

void ReaderBurstFilter::OnHoldExpired() {
    const qint64 late = std::max<qint64>(0, m_holdTimerDue.elapsed() - m_holdTimerMs);
    switch (m_detector.OnHoldExpired(static_cast<std::uint64_t>(late))) {
    case ReaderBurstDetector::Expiry::Nothing:
        return;
    case ReaderBurstDetector::Expiry::WaitLonger:
        StationTrace::Line("reader burst: the hold timer came " + std::to_string(late) +
                           " ms late; waiting for keys not read yet");
        StartHoldTimer(ReaderBurstDetector::kLateWaitMs);
        return;
    case ReaderBurstDetector::Expiry::GiveToDialog:
        StationTrace::Line("reader burst: no key followed the sentinel; it goes to the dialog");
        ReplayHeld();
        return;
    }
}

void ReaderBurstFilter::FeedHeld() {
    const auto held = std::exchange(m_held, {});
    for (const auto& key : held)
        m_feed(*key);
}

void ReaderBurstFilter::StartBurst() {
    m_burstTimer.start();
    QWidget* const focus = QApplication::focusWidget();
    if (!focus)
        return;
    m_focusBefore = focus;
    focus->clearFocus();
}

void ReaderBurstFilter::EndBurst() {
    m_burstTimer.stop();
    const QPointer<QWidget> focus = std::exchange(m_focusBefore, nullptr);
    if (focus && focus->isVisible() && !QApplication::focusWidget())
        focus->setFocus(Qt::OtherFocusReason);
}

void ReaderBurstFilter::ReplayHeld() {
    // After a burst the text box is still without the focus; it must have it back before the keys come.
    EndBurst();
    const auto held = std::exchange(m_held, {});
    if (!m_heldWindow)
        return;
    // A person typed them: the dialog gets the keys it would have had, only a moment later.
    const QScopedValueRollback<bool> replaying(m_replaying, true);
    for (const auto& key : held)
        QCoreApplication::sendEvent(m_heldWindow, key.get());
}
