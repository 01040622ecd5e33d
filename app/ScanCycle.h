#pragma once
// Swipe capture and the scan cycle, without any windowing code:
//
//   reader keys --> swipe text --(quiet timer, 2nd tick)--> Card --> current card, last results, total
//                            \-(adaptive: an Enter that ends a provably whole scan)-/ \--> "Unknown DL"
//   Card --> log row written --> venue event stored --> verdict painted --> [Comments dialog --> comments into the row]
//        --> result timer (10 s from the dialog's close, or from the decode without one) --> Ready
//   unknown timer (5 s) --> Ready
//
// With the adaptive verdict delay, an Enter after which the text is provably one whole scan (a three-track
// stripe, an AAMVA barcode with all its declared subfiles) decodes at once. For the quiet period after
// that, Enters and line ends are the reader's suffix to that scan and change nothing; any other key starts
// a new scan. While comments are asked for, nothing is decided early: the reader's suffix Enter would land
// in the Comments dialog.
//
// A swipe that arrives while the Comments dialog is open is kept: it is decoded and shown once the
// dialog has closed, and the verdict under the dialog stays as it is meanwhile.
//
// A scan text that starts with "mdoc:" is a phone's engagement, not a card:
//
//   "mdoc:..." --> "Phone: connecting..." --> host runs the session --> OnMobileResult --> log row
//              --> venue event stored --> verdict painted --> result timer --> Ready
//   a new scan or Esc (CancelMobile) ends the session first; no result follows
//
// The host (MainDlg in the station, a fake in tests) runs the timers, paints, logs and opens the dialog.

#include "DisplayState.h"
#include "ReaderKey.h"
#include "ShownMobile.h"
#include "VerdictDelay.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace MagneticStripeCards {
class Card;
}

struct MobileResult;

class ScanCycleHost {
public:
    virtual ~ScanCycleHost() = default;
    // Start (or restart) periodic timer `id` (1 quiet, 2 result, 3 unknown) with the given period.
    virtual void StartTimer(int id, int periodMs) = 0;
    virtual void StopTimer(int id) = 0;
    // Repaint the whole client area.
    virtual void Repaint() = 0;
    // Paint the whole client area now: what it shows is on the screen when this returns.
    virtual void PaintNow() = 0;
    // "Create Log", "Comments" and "Count Valid DL Only", read during scan processing.
    virtual bool IsLogChecked() const = 0;
    virtual bool IsCommentsChecked() const = 0;
    virtual bool IsCountValidOnlyChecked() const = 0;
    // The valid age the verdict is judged by.
    virtual std::int32_t ValidAge() = 0;
    // Writes the card's row to the scan log now; with `commentsFollow` with two empty comment fields,
    // which the Comments dialog fills later. False when the row is not in the log file now (it waits
    // for a later write, and can still take its comments).
    virtual bool WriteLogRow(const MagneticStripeCards::Card& card, bool commentsFollow) = 0;
    // Opens the Comments dialog for the row written last. When it has closed and its comments are in the
    // row, the host calls ScanCycle::OnCommentsClosed (at once, or later from its event loop).
    virtual void OpenComments() = 0;
    // The venue's record of the scan (`card` null for an unknown scan), made after the log row and before
    // the verdict is painted; it may change what the verdict shows (a banned card). Never throws.
    virtual void RecordVenueScan(const MagneticStripeCards::Card* card) { (void)card; }
    // Starts the session of a phone's engagement; the host calls ScanCycle::OnMobileResult when it ends.
    virtual void StartMobileSession(const std::string& /*engagementText*/) {}
    // Ends the running session at once; no result follows.
    virtual void CancelMobileSession() {}
    // Writes a mobile licence's row to the scan log; false when it is not in the log file now.
    virtual bool WriteMobileLogRow(const std::string& /*row*/) { return false; }
    // The venue's record of a phone's session that ended with a result (verified or not), made after its
    // log row and before its verdict is painted. Never throws.
    virtual void RecordMobileVenueScan(const MobileResult& /*result*/) {}
};

// A mobile licence's session as it ended, in the cycle's terms.
struct MobileResult {
    ShownMobile shown;
    std::string logRow;     // empty: nothing to log (no verified licence)
    std::string resultLine; // for the last results
    bool verified = false;  // a verified licence (counts towards the total)
    bool ok = false;        // verified and of the valid age (counts with "Count Valid DL Only")
    std::string state;      // the verified issuing jurisdiction as the log writes it ("UT"); else empty
};

class ScanCycle {
public:
    static constexpr int kQuietTimer = 1;
    static constexpr int kResultTimer = 2;
    static constexpr int kUnknownTimer = 3;
    static constexpr int kResultPeriodMs = 10000;
    static constexpr int kUnknownPeriodMs = 5000;
    static constexpr std::size_t kLastResultsSize = 4;

    // Builds a card from a swipe text; throws as the Card constructor does. The default builds a
    // MagneticStripeCards::Card with the system clock.
    using CardFactory = std::function<std::unique_ptr<MagneticStripeCards::Card>(const std::string&)>;

    // Without a delay the cycle waits the quiet period for every scan.
    explicit ScanCycle(ScanCycleHost& host, CardFactory factory = {},
                       VerdictDelay delay = VerdictDelay::Fixed(VerdictDelay::kQuietMs));
    ~ScanCycle();

    void OnKey(const ReaderKey& key);
    void OnTimer(int id);
    void OnCommentsClosed();
    // The session started for the last "mdoc:" scan has ended; ignored when it was cancelled meanwhile.
    void OnMobileResult(const MobileResult& result);
    // Esc while a phone is connecting.
    void CancelMobile();

    DisplayState State() const;
    const std::string& SwipeText() const;
    const std::string& UnknownCardText() const;
    const MagneticStripeCards::Card* CurrentCard() const;
    const ShownMobile* CurrentMobile() const; // in MobileShown
    const std::deque<std::string>& LastResults() const;
    // Scans counted since the start, by the counting rule at the moment each card was decoded.
    std::int32_t Total() const;
    // The card shown is not in the scan log file (yet).
    bool IsNotLogged() const;
    bool IsCommentsOpen() const;

private:
    bool IsWholeScanAtEnter() const;
    void DecideNow();
    std::string TakeSwipe();
    void ProcessScan(const std::string& swipe);
    void ShowCard(std::unique_ptr<MagneticStripeCards::Card> card);
    void LogAndCount();
    void ShowUnknown();
    void StartMobile(const std::string& engagementText);

    ScanCycleHost& m_host;
    CardFactory m_factory;
    VerdictDelay m_delay;

    DisplayState m_state = DisplayState::Ready;
    bool m_settling = false;
    bool m_processing = false;   // a scan is being processed (the host may run a nested event loop)
    bool m_commentsOpen = false; // the Comments dialog of the card shown is open
    bool m_swipeHeld = false;    // keys arrived while it was open: a swipe waits for the dialog
    bool m_notLogged = false;
    bool m_suffixWindow = false; // a scan was decided at its Enter; its reader's suffix may still come
    std::int32_t m_total = 0;
    std::string m_swipe;
    std::vector<std::size_t> m_enters; // for each Enter of the swipe, the number of characters before it
    std::string m_unknownCardText;
    std::unique_ptr<MagneticStripeCards::Card> m_card;
    std::unique_ptr<ShownMobile> m_mobile;
    std::deque<std::string> m_lastResults;
};
