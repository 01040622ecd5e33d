#include "RepeatWindow.h"

namespace Venue {
namespace {
constexpr Micros kMinuteMicros = 60'000'000;
}

std::optional<RepeatWindow::Seen> RepeatWindow::Last(const std::string& idHmac, int minutes, Micros now) const {
    if (idHmac.empty() || minutes <= 0)
        return std::nullopt;
    const std::lock_guard lock(m_mutex);
    const auto found = m_seen.find(idHmac);
    if (found == m_seen.end() || now - found->second.at > minutes * kMinuteMicros)
        return std::nullopt;
    return found->second;
}

void RepeatWindow::Note(const std::string& idHmac, Micros at, const std::string& station, int minutes) {
    if (idHmac.empty() || minutes <= 0)
        return;
    const std::lock_guard lock(m_mutex);
    // Forgetting what is out of the window keeps the map as small as one window of scans.
    for (auto it = m_seen.begin(); it != m_seen.end();)
        it = at - it->second.at > minutes * kMinuteMicros ? m_seen.erase(it) : std::next(it);
    auto& seen = m_seen[idHmac];
    if (seen.at <= at)
        seen = {at, station};
}

} // namespace Venue
