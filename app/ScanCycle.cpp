#include "ScanCycle.h"

#include "Card.h"
#include "KeyTranslation.h"
#include "StringTable.h"

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

ScanCycle::ScanCycle(ScanCycleHost& host, IKeyboardLayout& layout, CardFactory factory)
    : m_host(host), m_layout(layout), m_factory(factory ? std::move(factory) : CardFactory(BuildCard)) {}

ScanCycle::~ScanCycle() = default;

void ScanCycle::OnKeyDown(std::uint16_t virtualKey) {
    const TranslatedKey key = TranslateKey(virtualKey, m_layout);
    if (!key.counted)
        return;
    if (key.character)
        m_swipe.push_back(*key.character);

    m_host.StopTimer(kQuietTimer);
    const bool stateChanged = m_state != DisplayState::Capturing;
    m_state = DisplayState::Capturing;
    m_settling = true;
    m_host.StopTimer(kResultTimer);
    m_host.StartTimer(kQuietTimer, key.quietPeriodMs);
    if (stateChanged)
        m_host.Repaint();
}

void ScanCycle::OnTimer(int id) {
    switch (id) {
    case kQuietTimer:
        if (m_settling) {
            m_settling = false;
            return;
        }
        // A quiet tick inside a nested event loop of LogScan (possible only if keys reached the cycle
        // while the Comments dialog was open) waits for the next tick instead of replacing the card
        // LogScan is working on.
        if (m_state != DisplayState::Capturing || m_processing)
            return;
        ProcessScan(std::exchange(m_swipe, std::string()));
        m_host.Repaint();
        return;
    case kResultTimer:
        if (m_state != DisplayState::CardShown)
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

void ScanCycle::ProcessScan(const std::string& swipe) {
    const FlagScope processing(m_processing);
    m_host.StopTimer(kQuietTimer);
    m_state = DisplayState::Ready;
    // The decoder reports an unrecognised scan with the logic-error family; anything else thrown by the
    // decoder or the log (bad_alloc, a foreign exception) is no reason to lose the station, so it ends
    // the scan the same way.
    try {
        std::unique_ptr<MagneticStripeCards::Card> card = m_factory(swipe);
        if (!card)
            throw std::logic_error(Resources::String(Resources::IDS_UNKNOWN_DL));
        ShowCard(std::move(card));
        if (m_host.IsLogChecked())
            m_host.LogScan(*m_card, m_host.IsCommentsChecked());
    } catch (const std::exception&) {
        ShowUnknown();
    } catch (...) {
        ShowUnknown();
    }
}

void ScanCycle::ShowCard(std::unique_ptr<MagneticStripeCards::Card> card) {
    m_card = std::move(card);
    m_state = DisplayState::CardShown;
    m_uncounted = true;
    m_lastResults.push_front(m_card->ResultLine());
    if (m_lastResults.size() > kLastResultsSize)
        m_lastResults.pop_back();
    m_host.StartTimer(kResultTimer, kResultPeriodMs);
}

void ScanCycle::ShowUnknown() {
    // A card whose logging failed ends as an unknown scan and is not counted either.
    m_uncounted = false;
    m_unknownCardText = Resources::String(Resources::IDS_UNKNOWN_DL);
    m_state = DisplayState::UnknownCard;
    m_host.StartTimer(kUnknownTimer, kUnknownPeriodMs);
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
bool ScanCycle::HasUncountedCard() const {
    return m_uncounted;
}
void ScanCycle::TakeUncounted() {
    m_uncounted = false;
}
