// The linear program must give exactly what the backtracking engine gives: checked against Boost on the
// card's own patterns and on random patterns of the same family, over random texts rich in the
// characters the patterns care about.

#include "GreedySequence.h"
#include "BoostMatch.h"
#include "RegularExpression.h"
#include "StripeFormat.h"

#include <boost/regex.hpp>
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

using RegexClass::GreedySequence;

const std::vector<std::string> kCardPatterns = MagneticStripeCards::StripeFormat::PatternTexts();

std::string RandomText(std::mt19937& rng, const std::string& alphabet, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> length(0, maxLength);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string s(length(rng), ' ');
    for (char& c : s)
        c = alphabet[pick(rng)];
    return s;
}

std::string Describe(const std::string& pattern, const std::string& subject) {
    std::string shown;
    for (const char c : subject)
        shown += c == '\0' ? std::string("\\0") : c == '\n' ? std::string("\\n") : std::string(1, c);
    return "pattern " + pattern + " subject [" + shown + "]";
}

void ExpectSameAsBoost(const std::string& pattern, const std::string& alphabet, int texts, std::size_t maxLength,
                       std::uint32_t seed) {
    const auto program = GreedySequence::FromPattern(pattern, boost::regex::perl);
    ASSERT_TRUE(program.has_value()) << pattern;
    const boost::regex re(pattern);
    std::mt19937 rng(seed);
    for (int i = 0; i < texts; ++i) {
        const std::string s = RandomText(rng, alphabet, maxLength);
        for (const bool notNull : {true, false}) {
            const auto expected = CardTests::BoostMatchAtStart(re, s, notNull);
            for (const auto strategy :
                 {GreedySequence::Strategy::Search, GreedySequence::Strategy::Table, GreedySequence::Strategy::Auto}) {
                std::vector<GreedySequence::Span> spans;
                const bool found = program->Match(s, notNull, spans, strategy);
                ASSERT_EQ(found, expected.has_value()) << Describe(pattern, s);
                if (!found)
                    continue;
                ASSERT_EQ(spans.size(), expected->size()) << Describe(pattern, s);
                for (std::size_t g = 0; g < spans.size(); ++g) {
                    ASSERT_EQ(spans[g].begin, (*expected)[g].begin) << Describe(pattern, s) << " group " << g;
                    ASSERT_EQ(spans[g].end, (*expected)[g].end) << Describe(pattern, s) << " group " << g;
                }
            }
        }
    }
}

TEST(GreedySequence, CardPatternsAgreeWithBoostOnRandomScans) {
    const std::string alphabet = std::string("%;?#^$=\\ \n\0\r,AZaz_09", 21) + "0123456789";
    std::uint32_t seed = 1;
    for (const auto& pattern : kCardPatterns)
        ExpectSameAsBoost(pattern, alphabet, 2000, 40, seed++);
}

TEST(GreedySequence, CardPatternsAgreeWithBoostOnLongerScans) {
    const std::string alphabet = "%;?#^$=A1 ";
    std::uint32_t seed = 100;
    for (const auto& pattern : kCardPatterns)
        ExpectSameAsBoost(pattern, alphabet, 300, 200, seed++);
}

// Random members of the family: atoms with every kind of count, groups around runs of elements.
std::string RandomPattern(std::mt19937& rng) {
    static const char* const kAtoms[] = {".",   "a",    "b",    ";",   "\\d", "\\D",     "\\w",  "\\W",
                                         "\\s", "[ab]", "[^a]", "\\^", "\\?", "(?:a|;)", "(?:b)"};
    static const char* const kCounts[] = {"", "", "*", "+", "?", "{2}", "{0,2}", "{1,3}", "{2,}"};
    std::uniform_int_distribution<int> elements(1, 6);
    std::uniform_int_distribution<std::size_t> atom(0, std::size(kAtoms) - 1);
    std::uniform_int_distribution<std::size_t> count(0, std::size(kCounts) - 1);
    std::uniform_int_distribution<int> coin(0, 3);
    std::string pattern;
    bool open = false;
    const int n = elements(rng);
    for (int i = 0; i < n; ++i) {
        if (!open && coin(rng) == 0) {
            pattern += '(';
            open = true;
        }
        pattern += kAtoms[atom(rng)];
        pattern += kCounts[count(rng)];
        if (open && coin(rng) == 0) {
            pattern += ')';
            open = false;
        }
    }
    if (open)
        pattern += ')';
    return pattern;
}

TEST(GreedySequence, RandomPatternsOfTheFamilyAgreeWithBoost) {
    std::mt19937 rng(7);
    for (int i = 0; i < 400; ++i)
        ExpectSameAsBoost(RandomPattern(rng), std::string("ab;^?1 \0", 8), 200, 14, static_cast<std::uint32_t>(i));
}

TEST(GreedySequence, EmptyGroupAndEmptyPatternAgreeWithBoost) {
    ExpectSameAsBoost("()", "ab", 50, 4, 3);
    ExpectSameAsBoost("a()b*", "ab", 200, 6, 4);
}

TEST(GreedySequence, PatternsOutsideTheFamilyAreLeftToTheFullEngine) {
    for (const char* pattern : {"(a)|(b)", "a|b",   "a+?",    "a*+", "(ab)+",    "((a))",       "\\bx",   "\\<a",
                                "x\\>",    "\\`a",  "a\\'",   "^a",  "a$",       "[[:alpha:]]", "\\1",    "\\n",
                                "(?=a)",   "(?i)a", "a{2,1}", "{",   "a{99999}", "(?:ab)",      "(?:a+)", "(a"}) {
        EXPECT_FALSE(GreedySequence::FromPattern(pattern, boost::regex::perl).has_value()) << pattern;
    }
    EXPECT_FALSE(GreedySequence::FromPattern("a b", boost::regex::perl | boost::regex::mod_x).has_value());
}

// Patterns the linear program does not take go to Boost with a search tried at the first character
// only; that must equal the leftmost search that is accepted only at the first character.
TEST(RegularExpressionFallback, AnchoredSearchEqualsLeftmostSearchAcceptedAtTheStart) {
    const std::vector<std::string> patterns = {"(a)|(b)",    "a+?b", "(ab)+c", "(a|ab)(c|bcd)", "\\ba\\w*",
                                               "(?:a|b)*?;", "x?$",  "(a*)*b", "^b|a"};
    std::mt19937 rng(11);
    for (const auto& pattern : patterns) {
        const boost::regex re(pattern);
        for (int i = 0; i < 3000; ++i) {
            const std::string s = RandomText(rng, "abcd; x", 10);
            for (const bool notNull : {false, true}) {
                RegexClass::RegularExpression matcher;
                RegexClass::CaptureList seen;
                struct Sink {
                    RegexClass::CaptureList* out;
                    void On(RegexClass::RegularExpression*, const RegexClass::CaptureList& c, int, int) { *out = c; }
                } sink{&seen};
                matcher.Hook(&sink, &Sink::On);
                if (notNull)
                    matcher.AddMatchOption(10);
                matcher.SetPattern(pattern);
                matcher.SetText(s);
                const bool found = matcher.Match();
                const auto expected = CardTests::BoostMatchAtStart(re, s, notNull);
                ASSERT_EQ(found, expected.has_value()) << Describe(pattern, s);
                if (found) {
                    ASSERT_EQ(seen.size(), expected->size());
                    for (std::size_t g = 0; g < seen.size(); ++g) {
                        if (seen[g].position < 0)
                            continue;
                        EXPECT_EQ(static_cast<std::size_t>(seen[g].position), (*expected)[g].begin);
                        EXPECT_EQ(seen[g].text.size(), (*expected)[g].end - (*expected)[g].begin);
                    }
                }
                matcher.Unhook(&sink, &Sink::On);
            }
        }
    }
}

TEST(GreedySequence, CubicPatternOnAMegabyteIsDecidedByTheTable) {
    const auto program = GreedySequence::FromPattern(kCardPatterns[0], boost::regex::perl);
    ASSERT_TRUE(program);
    std::string s(1 << 20, '?');
    s[0] = '%';
    for (std::size_t i = 1; i < s.size(); i += 2)
        s[i] = ';';
    std::vector<GreedySequence::Span> spans;
    EXPECT_FALSE(program->Match(s, true, spans));
    s[s.size() / 2] = '#';
    ASSERT_TRUE(program->Match(s, true, spans));
    EXPECT_EQ(spans[3].end, s.rfind('?')); // track 3 ends at the last '?'
    EXPECT_EQ(spans[3].begin, s.size() / 2 + 1);
}

} // namespace
