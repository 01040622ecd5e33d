#include "VerdictDelay.h"

#include <algorithm>

VerdictDelay VerdictDelay::Adaptive() {
    return VerdictDelay(true, kQuietMs);
}

VerdictDelay VerdictDelay::Fixed(std::int64_t ms) {
    return VerdictDelay(false, static_cast<int>(std::clamp<std::int64_t>(ms, kShortestMs, kLongestMs)));
}

VerdictDelay VerdictDelay::FromSetting(std::int32_t value) {
    if (value == -1)
        return Adaptive();
    // A dword beyond 2^31 reads as a negative number: it is a long delay, not a short one.
    return Fixed(static_cast<std::int64_t>(static_cast<std::uint32_t>(value)));
}

int VerdictDelay::QuietPeriodMs(bool afterEnter) const {
    return afterEnter ? (m_ms + 1) / 2 : m_ms;
}
