#pragma once
// A linear-time stand-in for the backtracking engine on one family of patterns: a plain sequence of
// single-character classes (literals, '.', escapes such as \d or \^, bracket expressions, alternations
// of single characters), each with a greedy count (none, *, +, ?, {n}, {n,}, {n,m}), with capturing
// groups that do not nest and carry no count.
//
// For such a pattern the backtracking engine, anchored at the first character, returns the feasible
// assignment of counts that is largest in the order of the elements (the first element as long as
// possible, then the second, ...). This class finds the same assignment: first by a bounded depth-first
// search (fast on real scans), and when that runs out of steps, by a table of "the rest of the pattern
// can match from here" that costs O(elements x length) whatever the text.
//
// Character classes are taken from Boost itself (each atom is compiled alone and asked about all 256
// byte values), so locale classes and escapes mean exactly what they mean to the full engine.

#include <boost/regex.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace RegexClass {

class GreedySequence {
public:
    struct Span {
        std::size_t begin = 0;
        std::size_t end = 0;
    };
    enum class Strategy { Auto, Search, Table };

    // nullopt when the pattern is outside the family (the caller then uses the full engine).
    static std::optional<GreedySequence> FromPattern(const std::string& pattern,
                                                     boost::regex_constants::syntax_option_type syntax);

    // The byte values a single-character atom ("\\w", "[ab]", ".") matches, asked of Boost itself; nullopt
    // when the atom matches no single character or does not compile.
    static std::optional<std::array<bool, 256>> ByteClass(const std::string& atom,
                                                          boost::regex_constants::syntax_option_type syntax);

    std::size_t GroupCount() const { return m_groups.size(); }

    // Anchored match at position 0. On success `spans` holds the whole match and then every group.
    // `notNull` rejects an empty whole match, as match_not_null does.
    bool Match(std::string_view subject, bool notNull, std::vector<Span>& spans,
               Strategy strategy = Strategy::Auto) const;

private:
    static constexpr std::size_t kMostElements = 256;
    using Ends = std::array<std::size_t, kMostElements>; // where each element's stretch ends

    struct Element {
        std::array<bool, 256> in{};
        bool any = false; // every byte is in the class ('.' by default)
        int literal = -1; // the one byte in the class, when there is only one ('^', '?', '=' ...)
        std::uint32_t min = 1;
        std::uint32_t max = 1;
    };
    struct Search;

    GreedySequence() = default;
    bool CanEmbed(std::string_view subject) const;
    bool SearchFrom(std::size_t element, std::size_t pos, Search& search) const;
    std::size_t LastFit(const Element& e, std::size_t lo, std::size_t hi, Search& search) const;
    bool TableMatch(std::string_view subject, bool notNull, Ends& ends) const;
    void FillSpans(const Ends& ends, std::vector<Span>& spans) const;

    std::vector<Element> m_elements;
    std::vector<std::pair<std::size_t, std::size_t>> m_groups; // element range [first, last) of each group
};

} // namespace RegexClass
