#pragma once
// The stripe's field rules: each is a pattern (its text, for the record and for checking) and a direct
// scanner that finds what the backtracking engine would find for that pattern, anchored at the first
// character, without running an engine:
//
//   track text --> Match(rule) --(a few backward searches for the rule's literals)--> spans into the text
//
// Every stripe pattern is a sequence of literals, single-character classes and '.' runs, so the greedy
// choice of the engine (first element as long as it can be, then the next ...) is the latest chain of
// the pattern's literals found from the right end of the text. The derivation of each rule stands beside
// its scanner; the equivalence with the engine is checked on random and generated texts by the tests and
// the fuzzer. The character classes (\d, \w, \s and their complements) are asked of Boost once, so they
// mean exactly what they mean to the engine.

#include "GreedySequence.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace MagneticStripeCards::StripeRules {

enum class Rule {
    ThreeTracks,
    TrackTwoOnly,
    TracksOneAndTwo,
    State,
    City,
    CityToNonWord,
    Name,
    NameAfterNonWord,
    NameBeforeDollar,
    NameAfterWord,
    Address,
    AddressAfterSpace,
    AddressBeforeDollar,
    DlNumber,
    DlOverflow,
    ExpiryPart,
    BirthPart,
};
constexpr std::size_t kRules = 17;

using Span = RegexClass::GreedySequence::Span;
// spans[0] the whole match, spans[g] group g (1-3); entries past the rule's groups are left alone.
using Spans = std::array<Span, 4>;

// The pattern the rule stands for, in the engine's Perl syntax.
const char* PatternText(Rule rule);
// The number of capturing groups of the rule's pattern.
std::size_t GroupCount(Rule rule);

// True when the rule's pattern matches at the start of `text`; `spans` then holds the match and groups.
bool Match(Rule rule, std::string_view text, Spans& spans);

// Group `group` of the rule on `text`, a view into `text`; empty when the rule does not match.
std::string_view Group(Rule rule, std::string_view text, std::size_t group = 1);

// The track-1 fields, each the group of the first of its rules that matches (City then CityToNonWord;
// Name, NameAfterNonWord, NameBeforeDollar, NameAfterWord; Address, AddressAfterSpace,
// AddressBeforeDollar), empty when none does. The first rules of the three share their carets, which are
// found once.
struct TrackOneGroups {
    std::string_view state;
    std::string_view city;
    std::string_view name;
    std::string_view address;
};
TrackOneGroups ReadTrackOne(std::string_view text);

// The groups of DlNumber, DlOverflow, ExpiryPart and BirthPart, empty where the rule does not match. All
// four begin with the leading digits and their '=', which are read once.
struct TrackTwoGroups {
    std::string_view dlNumber;
    std::string_view dlOverflow;
    std::string_view expiry; // four digits
    std::string_view birth;  // eight digits
};
TrackTwoGroups ReadTrackTwo(std::string_view text);

} // namespace MagneticStripeCards::StripeRules
