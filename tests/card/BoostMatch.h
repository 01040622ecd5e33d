#pragma once
// The reference the card's own matchers are held to: Boost's leftmost search, accepted only when it
// matches at position 0, as spans of the whole match and its groups.

#include "GreedySequence.h"

#include <boost/regex.hpp>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace CardTests {

inline std::optional<std::vector<RegexClass::GreedySequence::Span>>
BoostMatchAtStart(const boost::regex& re, const std::string& text, bool notNull) {
    boost::smatch m;
    const auto flags = notNull ? boost::match_not_null : boost::match_default;
    if (!boost::regex_search(text, m, re, flags) || m[0].first != text.begin())
        return std::nullopt;
    std::vector<RegexClass::GreedySequence::Span> spans;
    for (std::size_t g = 0; g < m.size(); ++g) {
        const auto begin = static_cast<std::size_t>(m[g].first - text.begin());
        spans.push_back({begin, begin + static_cast<std::size_t>(m[g].length())});
    }
    return spans;
}

} // namespace CardTests
