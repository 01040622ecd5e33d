#pragma once
// Swipe capture and the scan cycle, without any windowing code:
//
//   key-downs --> swipe text --(quiet timer, 2nd tick)--> Card --> current card, last results, log
//                                                     \--> "Unknown DL"
//   result timer (10 s) / unknown timer (5 s) --> Ready
//
// The host (MainDlg in the station, a fake in tests) runs the timers, repaints and logs.

#include "DisplayState.h"
#include "IKeyboardLayout.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

namespace MagneticStripeCards {
class Card;
}

class ScanCycleHost {
public:
    virtual ~ScanCycleHost() = default;
    // Start (or restart) periodic timer `id` (1 quiet, 2 result, 3 unknown) with the given period.
    virtual void StartTimer(int id, int periodMs) = 0;
    virtual void StopTimer(int id) = 0;
    // Repaint the whole client area.
    virtual void Repaint() = 0;
    // "Create Log" and "Comments", read during scan processing.
    virtual bool IsLogChecked() const = 0;
    virtual bool IsCommentsChecked() const = 0;
    // LogScan of the scan log (may run the Comments dialog modally).
    virtual void LogScan(const MagneticStripeCards::Card& card, bool comments) = 0;
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

    ScanCycle(ScanCycleHost& host, IKeyboardLayout& layout, CardFactory factory = {});
    ~ScanCycle();

    void OnKeyDown(std::uint16_t virtualKey);
    void OnTimer(int id);

    DisplayState State() const;
    const std::string& SwipeText() const;
    const std::string& UnknownCardText() const;
    const MagneticStripeCards::Card* CurrentCard() const;
    const std::deque<std::string>& LastResults() const;

    // A card result is counted once: true from the moment a new card is shown until TakeUncounted() (or
    // until the scan ends as unknown after all, when logging it threw).
    bool HasUncountedCard() const;
    void TakeUncounted();

private:
    void ProcessScan(const std::string& swipe);
    void ShowCard(std::unique_ptr<MagneticStripeCards::Card> card);
    void ShowUnknown();

    ScanCycleHost& m_host;
    IKeyboardLayout& m_layout;
    CardFactory m_factory;

    DisplayState m_state = DisplayState::Ready;
    bool m_settling = false;
    bool m_processing = false; // a scan is being processed (LogScan may run a nested event loop)
    bool m_uncounted = false;
    std::string m_swipe;
    std::string m_unknownCardText;
    std::unique_ptr<MagneticStripeCards::Card> m_card;
    std::deque<std::string> m_lastResults;
};
