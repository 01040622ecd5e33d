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
        return OnHeldPress(character, autoRepeat, timeMs);
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

ReaderBurstDetector::Decision ReaderBurstDetector::OnHeldPress(char32_t character, bool autoRepeat,
                                                               std::uint64_t timeMs) {
    // A held-down key repeats by itself; no reader does that.
    const bool readerPace = !autoRepeat && Within(timeMs, kStartGapMs);
    // The reader presses Shift for the colon: a key without a character is held without deciding.
    if (readerPace && m_prefixKeys > 0 && character == 0) {
        m_lastMs = timeMs;
        return {std::nullopt, Route::Hold};
    }
    if (readerPace && m_prefixKeys > 0 && character == static_cast<unsigned char>(kPhonePrefix[m_prefixKeys])) {
        m_lastMs = timeMs;
        if (++m_prefixKeys < sizeof kPhonePrefix - 1)
            return {std::nullopt, Route::Hold};
        m_state = State::Burst;
        return {Route::Scan, Route::Scan};
    }
    if (readerPace && m_prefixKeys == 0) {
        m_state = State::Burst;
        m_lastMs = timeMs;
        return {Route::Scan, Route::Scan};
    }
    m_state = State::Idle;
    return {Route::Dialog, Judge(character, autoRepeat, timeMs).key};
}

ReaderBurstDetector::Decision ReaderBurstDetector::Judge(char32_t character, bool autoRepeat, std::uint64_t timeMs) {
    const bool phone = character == static_cast<unsigned char>(kPhonePrefix[0]);
    if (autoRepeat || !(IsSentinel(character) || phone))
        return {std::nullopt, Route::Dialog};
    m_prefixKeys = phone ? 1 : 0;
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
