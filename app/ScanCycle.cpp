#include "ScanCycle.h"

#include "Card.h"
#include "KeyTranslation.h"
#include "ScanCompleteness.h"
#include "StringTable.h"
#include "Verdict.h"

#include <exception>
#include <stdexcept>
#include <utility>

namespace {

std::unique_ptr<MagneticStripeCards::Card> BuildCard(const std::string& swipe) {
    return std::make_unique<MagneticStripeCards::Card>(swipe);
}

// Clears a flag on every way out of a scope.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
};

} // namespace

ScanCycle::ScanCycle(ScanCycleHost& host, CardFactory factory, VerdictDelay delay)
    : m_host(host), m_factory(factory ? std::move(factory) : CardFactory(BuildCard)), m_delay(delay) {}

ScanCycle::~ScanCycle() = default;

void ScanCycle::OnKey(const ReaderKey& readerKey) {
    const TranslatedKey key = TranslateKey(readerKey);
    if (!key.counted)
        return;
    const bool enter = readerKey.character == U'\r';
    if (m_suffixWindow) {
        if (enter || key.character == '\r' || key.character == '\n')
            return; // the reader's suffix to the scan just decided
        m_suffixWindow = false;
    }
    if (key.character)
        m_swipe.push_back(*key.character);
    else if (enter)
        m_enters.push_back(m_swipe.size());

    const int period = m_delay.QuietPeriodMs(enter);
    m_host.StopTimer(kQuietTimer);
    m_settling = true;
    if (m_state == DisplayState::MobileConnecting)
        m_host.CancelMobileSession(); // a new scan ends the phone's session
    if (m_commentsOpen || m_processing) {
        // The verdict stays as it is under the Comments dialog (or while its row is being written); the
        // new swipe waits and is decoded when the dialog has closed.
        m_swipeHeld = true;
        m_host.StartTimer(kQuietTimer, period);
        return;
    }
    const bool stateChanged = m_state != DisplayState::Capturing;
    m_state = DisplayState::Capturing;
    m_host.StopTimer(kResultTimer);
    m_host.StartTimer(kQuietTimer, period);
    if (enter && IsWholeScanAtEnter()) {
        DecideNow();
        return;
    }
    if (stateChanged)
        m_host.Repaint();
}

bool ScanCycle::IsWholeScanAtEnter() const {
    if (!m_delay.IsAdaptive() || m_swipeHeld)
        return false;
    // The Comments dialog would open at once, and the reader's suffix Enter would close it.
    if (m_host.IsLogChecked() && m_host.IsCommentsChecked())
        return false;
    return MagneticStripeCards::IsProvablyCompleteScan(m_swipe, m_enters);
}

void ScanCycle::DecideNow() {
    ProcessScan(TakeSwipe());
    m_host.Repaint();
    // The quiet timer now only closes the window in which the reader's suffix is taken as such.
    m_suffixWindow = true;
    m_settling = true;
    m_host.StartTimer(kQuietTimer, m_delay.QuietPeriodMs(true));
}

std::string ScanCycle::TakeSwipe() {
    m_enters.clear();
    return std::exchange(m_swipe, std::string());
}

void ScanCycle::OnTimer(int id) {
    switch (id) {
    case kQuietTimer:
        if (m_settling) {
            m_settling = false;
            return;
        }
        if (m_suffixWindow) {
            m_suffixWindow = false;
            m_host.StopTimer(kQuietTimer);
            return;
        }
        // A swipe taken while the Comments dialog is open (or while a scan is being processed inside a
        // nested event loop of the host) waits for the next tick after it.
        if (m_commentsOpen || m_processing)
            return;
        if (m_state != DisplayState::Capturing && !m_swipeHeld)
            return;
        ProcessScan(TakeSwipe());
        m_host.Repaint();
        return;
    case kResultTimer:
        if (m_state != DisplayState::CardShown && m_state != DisplayState::MobileShown)
            return;
        m_host.StopTimer(kResultTimer);
        m_state = DisplayState::Ready;
        m_host.Repaint();
        return;
    case kUnknownTimer:
        if (m_state != DisplayState::UnknownCard)
            return;
        m_host.StopTimer(kUnknownTimer);
        m_state = DisplayState::Ready;
        m_host.Repaint();
        return;
    default:
        return;
    }
}

void ScanCycle::OnCommentsClosed() {
    if (!m_commentsOpen)
        return;
    m_commentsOpen = false;
    // The result's ten seconds count from here: a result is never used up behind the dialog.
    if (m_state == DisplayState::CardShown)
        m_host.StartTimer(kResultTimer, kResultPeriodMs);
}

void ScanCycle::ProcessScan(const std::string& swipe) {
    const FlagScope processing(m_processing);
    m_host.StopTimer(kQuietTimer);
    m_state = DisplayState::Ready;
    m_swipeHeld = false;
    const std::int32_t totalBefore = m_total;
    if (swipe.rfind("mdoc:", 0) == 0) {
        StartMobile(swipe);
        return;
    }
    // The decoder reports an unrecognised scan with the logic-error family; anything else thrown by the
    // decoder or the log (bad_alloc, a foreign exception) is no reason to lose the station, so it ends
    // the scan the same way.
    try {
        std::unique_ptr<MagneticStripeCards::Card> card = m_factory(swipe);
        if (!card)
            throw std::logic_error(Resources::String(Resources::IDS_UNKNOWN_DL));
        ShowCard(std::move(card));
        if (!m_commentsOpen) {
            m_host.StartTimer(kResultTimer, kResultPeriodMs);
            return;
        }
        // The verdict is on the screen before the dialog opens over the window.
        m_host.PaintNow();
        m_host.OpenComments();
    } catch (...) {
        m_total = totalBefore; // a scan that ends as unknown is not counted
        ShowUnknown();
    }
}

void ScanCycle::ShowCard(std::unique_ptr<MagneticStripeCards::Card> card) {
    m_card = std::move(card);
    m_state = DisplayState::CardShown;
    m_notLogged = false;
    m_lastResults.push_front(m_card->ResultLine());
    if (m_lastResults.size() > kLastResultsSize)
        m_lastResults.pop_back();
    LogAndCount();
    m_host.RecordVenueScan(m_card.get());
}

void ScanCycle::LogAndCount() {
    // The row is on disk before the verdict is shown; its comments, if any, follow when the dialog closes.
    if (m_host.IsLogChecked()) {
        const bool comments = m_host.IsCommentsChecked();
        // A row the log file cannot take now waits for the next write that succeeds, and takes its
        // comments there.
        m_notLogged = !m_host.WriteLogRow(*m_card, comments);
        m_commentsOpen = comments;
    }
    if (CountsTowardsTotal(m_card->Age(), m_card->Expired(), m_host.ValidAge(), m_host.IsCountValidOnlyChecked()))
        m_total = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_total) + 1u); // wraps, never overflows
}

void ScanCycle::ShowUnknown() {
    m_commentsOpen = false;
    m_unknownCardText = Resources::String(Resources::IDS_UNKNOWN_DL);
    m_state = DisplayState::UnknownCard;
    m_host.RecordVenueScan(nullptr);
    m_host.StartTimer(kUnknownTimer, kUnknownPeriodMs);
}

void ScanCycle::StartMobile(const std::string& engagementText) {
    m_commentsOpen = false;
    m_mobile.reset();
    m_state = DisplayState::MobileConnecting;
    // On the screen before the session starts: the session may take seconds, the door wants to know.
    m_host.PaintNow();
    m_host.StartMobileSession(engagementText);
}

void ScanCycle::CancelMobile() {
    if (m_state != DisplayState::MobileConnecting)
        return;
    m_host.CancelMobileSession();
    m_state = DisplayState::Ready;
    m_host.Repaint();
}

void ScanCycle::OnMobileResult(const MobileResult& result) {
    if (m_state != DisplayState::MobileConnecting)
        return;
    m_mobile = std::make_unique<ShownMobile>(result.shown);
    m_state = DisplayState::MobileShown;
    m_notLogged = false;
    m_lastResults.push_front(result.resultLine);
    if (m_lastResults.size() > kLastResultsSize)
        m_lastResults.pop_back();
    if (m_host.IsLogChecked() && !result.logRow.empty())
        m_notLogged = !m_host.WriteMobileLogRow(result.logRow);
    m_host.RecordMobileVenueScan(result);
    if (result.verified && (result.ok || !m_host.IsCountValidOnlyChecked()))
        m_total = static_cast<std::int32_t>(static_cast<std::uint32_t>(m_total) + 1u);
    m_host.StartTimer(kResultTimer, kResultPeriodMs);
    m_host.Repaint();
}

const ShownMobile* ScanCycle::CurrentMobile() const {
    return m_state == DisplayState::MobileShown ? m_mobile.get() : nullptr;
}

DisplayState ScanCycle::State() const {
    return m_state;
}
const std::string& ScanCycle::SwipeText() const {
    return m_swipe;
}
const std::string& ScanCycle::UnknownCardText() const {
    return m_unknownCardText;
}
const MagneticStripeCards::Card* ScanCycle::CurrentCard() const {
    return m_card.get();
}
const std::deque<std::string>& ScanCycle::LastResults() const {
    return m_lastResults;
}
std::int32_t ScanCycle::Total() const {
    return m_total;
}
bool ScanCycle::IsNotLogged() const {
    return m_notLogged;
}
bool ScanCycle::IsCommentsOpen() const {
    return m_commentsOpen;
}
