#include "ReaderBurstDetector.h"

bool ReaderBurstDetector::IsSentinel(char32_t c) {
    return c == U'%' || c == U';' || c == U'#' || c == U'@';
}

bool ReaderBurstDetector::Within(std::uint64_t timeMs, std::uint64_t gapMs) const {
    return timeMs >= m_lastMs && timeMs - m_lastMs <= gapMs;
}

ReaderBurstDetector::Decision ReaderBurstDetector::OnPress(char32_t character, bool autoRepeat, std::uint64_t timeMs) {
    switch (m_state) {
    case State::Holding:
        // A held-down key repeats by itself; no reader does that.
        if (!autoRepeat && Within(timeMs, kStartGapMs)) {
            m_state = State::Burst;
            m_lastMs = timeMs;
            return {Route::Scan, Route::Scan};
        }
        m_state = State::Idle;
        return {Route::Dialog, Judge(character, autoRepeat, timeMs).key};
    case State::Burst:
        if (Within(timeMs, kContinueGapMs)) {
            m_lastMs = timeMs;
            return {std::nullopt, Route::Scan};
        }
        m_state = State::Idle;
        return Judge(character, autoRepeat, timeMs);
    case State::Idle:
        return Judge(character, autoRepeat, timeMs);
    }
    return {};
}

ReaderBurstDetector::Decision ReaderBurstDetector::Judge(char32_t character, bool autoRepeat, std::uint64_t timeMs) {
    if (autoRepeat || !IsSentinel(character))
        return {std::nullopt, Route::Dialog};
    m_state = State::Holding;
    m_lastMs = timeMs;
    m_lateWaits = 0;
    return {std::nullopt, Route::Hold};
}

ReaderBurstDetector::Route ReaderBurstDetector::OnRelease() const {
    return m_state == State::Burst ? Route::Scan : Route::Dialog;
}

ReaderBurstDetector::Expiry ReaderBurstDetector::OnHoldExpired(std::uint64_t lateMs) {
    if (m_state != State::Holding)
        return Expiry::Nothing;
    if (lateMs > kLateMs && m_lateWaits < kMostLateWaits) {
        ++m_lateWaits;
        return Expiry::WaitLonger;
    }
    m_state = State::Idle;
    return Expiry::GiveToDialog;
}
