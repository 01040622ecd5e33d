#pragma once
// Key strokes that a card reader types while a dialog of the station is open (Comments, Set Valid Age,
// About, a message box) belong to a scan, not to the dialog: without this a swipe filled the comment
// boxes, or its Enter closed the dialog and the card was lost. Installed on the application, the filter
// sees every key event at its window before any widget does; while a modal window other than the station
// is active it routes them as ReaderBurstDetector decides:
//
//   key at the dialog's window --> detector --Dialog--> delivered as usual
//                                           \-Scan----> feed (the scan cycle), withheld from the dialog
//                                           \-Hold----> kept; replayed to the dialog, or fed, later
//
// The dialog keeps what the operator typed and is never closed by a burst's Enter. During a burst the
// dialog's text box gives up the focus: Qt composes dead keys for text boxes before any filter sees them,
// and a reader's '=' is a dead key on a German desktop.

#include "ReaderBurstDetector.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class QKeyEvent;
class QWidget;
class ReaderKeymap;

class ReaderBurstFilter final : public QObject {
public:
    using Feed = std::function<void(const QKeyEvent&)>;

    // Installs itself on the application until destroyed. `station` is the window whose own keys are
    // none of this filter's business; `keymap` says which character a key press stands for.
    ReaderBurstFilter(const QWidget& station, const ReaderKeymap& keymap, Feed feed);
    ~ReaderBurstFilter() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool IsDialogOpen() const;
    bool OnPress(QObject* window, QKeyEvent& key);
    void Hold(QObject* window, const QKeyEvent& key);
    void StartHoldTimer(int ms);
    void OnHoldExpired();
    void FeedHeld();
    void ReplayHeld();
    void StartBurst();
    void EndBurst();

    const QWidget& m_station;
    const ReaderKeymap& m_keymap;
    Feed m_feed;
    ReaderBurstDetector m_detector;
    QTimer m_holdTimer;
    QElapsedTimer m_holdTimerDue; // since the hold timer was started, to tell how late it fires
    qint64 m_holdTimerMs = 0;
    std::vector<std::unique_ptr<QKeyEvent>> m_held; // in the order they came
    QPointer<QObject> m_heldWindow;
    QTimer m_burstTimer;             // runs out when the burst is over
    QPointer<QWidget> m_focusBefore; // the dialog's focus widget, given back after the burst
    bool m_replaying = false;
};
