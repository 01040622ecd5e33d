#include "GreedySequence.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string.h>

namespace RegexClass {
namespace {

constexpr std::uint32_t kUnbounded = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint32_t kLargestCount = 10000;

// Escaped punctuation is a literal, except \< \> \` \' which Boost reads as word and buffer boundaries.
bool IsEscapedLiteral(char c) {
    return c != '\0' && std::strchr("!\"#$%&()*+,-./:;=?@[\\]^_{|}~", c) != nullptr;
}

// End of the atom that starts at `pos`, or npos when the text there is not a single-character atom we
// know to be one.
std::size_t AtomEnd(const std::string& p, std::size_t pos) {
    const char c = p[pos];
    if (c == '\\') {
        if (pos + 1 >= p.size())
            return std::string::npos;
        const char x = p[pos + 1];
        if (std::strchr("dDwWsS", x) != nullptr && x != '\0')
            return pos + 2;
        return IsEscapedLiteral(x) ? pos + 2 : std::string::npos;
    }
    if (c == '[') {
        std::size_t j = pos + 1;
        if (j < p.size() && p[j] == '^')
            ++j;
        if (j < p.size() && p[j] == ']')
            ++j;
        while (j < p.size() && p[j] != ']') {
            if (p[j] == '[')
                return std::string::npos; // [:class:], [=e=], [.coll.]: leave them to the full engine
            j += p[j] == '\\' ? 2 : 1;
        }
        return j < p.size() ? j + 1 : std::string::npos;
    }
    if (std::strchr("^$|?*+(){}]", c) != nullptr && c != '\0')
        return std::string::npos;
    return pos + 1;
}

// End of the single-character matcher at `pos`: an atom, or a non-capturing alternation of atoms (which
// consumes one character whichever branch wins). npos when the text there is neither.
std::size_t SingleCharacterEnd(const std::string& p, std::size_t pos) {
    if (p.compare(pos, 3, "(?:") != 0)
        return AtomEnd(p, pos);
    pos += 3;
    for (;;) {
        const std::size_t end = pos < p.size() ? AtomEnd(p, pos) : std::string::npos;
        if (end == std::string::npos || end >= p.size())
            return std::string::npos;
        if (p[end] == ')')
            return end + 1;
        if (p[end] != '|')
            return std::string::npos;
        pos = end + 1;
    }
}

bool ParseNumber(const std::string& p, std::size_t& pos, std::uint32_t& value) {
    const std::size_t start = pos;
    value = 0;
    while (pos < p.size() && p[pos] >= '0' && p[pos] <= '9') {
        value = value * 10 + static_cast<std::uint32_t>(p[pos] - '0');
        if (value > kLargestCount)
            return false;
        ++pos;
    }
    return pos > start;
}

// Reads an optional greedy count at `pos`; false when the text there is a count we do not take on.
bool ParseCount(const std::string& p, std::size_t& pos, std::uint32_t& min, std::uint32_t& max) {
    min = max = 1;
    if (pos >= p.size())
        return true;
    switch (p[pos]) {
    case '*':
        min = 0;
        max = kUnbounded;
        ++pos;
        break;
    case '+':
        min = 1;
        max = kUnbounded;
        ++pos;
        break;
    case '?':
        min = 0;
        max = 1;
        ++pos;
        break;
    case '{': {
        ++pos;
        if (!ParseNumber(p, pos, min))
            return false;
        max = min;
        if (pos < p.size() && p[pos] == ',') {
            ++pos;
            max = kUnbounded;
            if (pos < p.size() && p[pos] != '}' && !ParseNumber(p, pos, max))
                return false;
        }
        if (pos >= p.size() || p[pos] != '}' || max < min)
            return false;
        ++pos;
        break;
    }
    default:
        return true;
    }
    // Lazy and possessive counts behave differently.
    return pos >= p.size() || (p[pos] != '?' && p[pos] != '+');
}

} // namespace

std::optional<std::array<bool, 256>> GreedySequence::ByteClass(const std::string& atom,
                                                               boost::regex_constants::syntax_option_type syntax) {
    try {
        const boost::regex re(atom, syntax);
        if (boost::regex_match(std::string(), re))
            return std::nullopt;
        std::array<bool, 256> in{};
        bool any = false;
        for (int b = 0; b < 256; ++b) {
            const std::string one(1, static_cast<char>(b));
            in[static_cast<std::size_t>(b)] = boost::regex_match(one, re);
            any = any || in[static_cast<std::size_t>(b)];
        }
        // A zero-width assertion matches no single character; it is not a class.
        return any ? std::optional<std::array<bool, 256>>(in) : std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<GreedySequence> GreedySequence::FromPattern(const std::string& p,
                                                          boost::regex_constants::syntax_option_type syntax) {
    if (syntax != boost::regex::perl)
        return std::nullopt; // other syntaxes (free spacing, icase, POSIX) parse differently
    GreedySequence program;
    bool inGroup = false;
    std::size_t groupFirst = 0;
    std::size_t pos = 0;
    try {
        while (pos < p.size()) {
            if (p[pos] == '(' && p.compare(pos, 3, "(?:") != 0) {
                if (inGroup || (pos + 1 < p.size() && p[pos + 1] == '?'))
                    return std::nullopt;
                inGroup = true;
                groupFirst = program.m_elements.size();
                ++pos;
                continue;
            }
            if (p[pos] == ')') {
                if (!inGroup)
                    return std::nullopt;
                inGroup = false;
                program.m_groups.emplace_back(groupFirst, program.m_elements.size());
                ++pos;
                std::uint32_t min = 0, max = 0;
                const std::size_t before = pos;
                if (!ParseCount(p, pos, min, max) || pos != before)
                    return std::nullopt; // a counted group repeats its captures
                continue;
            }
            const std::size_t start = pos;
            pos = SingleCharacterEnd(p, pos);
            if (pos == std::string::npos)
                return std::nullopt;
            const auto in = ByteClass(p.substr(start, pos - start), syntax);
            Element element;
            if (!in || !ParseCount(p, pos, element.min, element.max))
                return std::nullopt;
            element.in = *in;
            element.any = std::all_of(element.in.begin(), element.in.end(), [](bool b) { return b; });
            if (std::count(element.in.begin(), element.in.end(), true) == 1)
                element.literal =
                    static_cast<int>(std::find(element.in.begin(), element.in.end(), true) - element.in.begin());
            program.m_elements.push_back(element);
            if (program.m_elements.size() > kMostElements)
                return std::nullopt;
        }
    } catch (const std::exception&) {
        return std::nullopt;
    }
    if (inGroup)
        return std::nullopt;
    return program;
}

struct GreedySequence::Search {
    const unsigned char* s;
    std::size_t n;
    bool notNull;
    long long budget;
    bool exhausted;
    Ends& ends;
};

// The last position in [lo, hi] where `e` can take the character, or npos. A class of one byte is found
// with memrchr; the steps charged to the search stay proportional to the work.
std::size_t GreedySequence::LastFit(const Element& e, std::size_t lo, std::size_t hi, Search& search) const {
    if (e.literal >= 0) {
        const void* hit = ::memrchr(search.s + lo, e.literal, hi - lo + 1);
        const std::size_t q =
            hit == nullptr ? lo : static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - search.s);
        search.budget -= static_cast<long long>((hi - q) / 16);
        return hit == nullptr ? std::string_view::npos : q;
    }
    for (std::size_t q = hi + 1; q-- > lo;) {
        --search.budget;
        if (e.in[search.s[q]])
            return q;
    }
    return std::string_view::npos;
}

// Depth-first, longest count first: the order in which the backtracking engine tries them. Depth is
// bounded by the number of elements, not by the text.
bool GreedySequence::SearchFrom(std::size_t i, std::size_t pos, Search& search) const {
    if (i == m_elements.size())
        return !(search.notNull && pos == 0);
    const Element& e = m_elements[i];
    const std::size_t limit = std::min<std::size_t>(e.max, search.n - pos);
    std::size_t run = e.any ? limit : 0;
    while (run < limit && e.in[search.s[pos + run]])
        ++run;
    search.budget -= static_cast<long long>(e.any ? 0 : run) + 1;
    if (run < e.min)
        return false;
    const Element* next = i + 1 < m_elements.size() ? &m_elements[i + 1] : nullptr;
    const bool nextNeedsChar = next != nullptr && next->min > 0;
    const std::size_t lo = pos + e.min;
    // The next element needs a character at q, so q < n: only the ends where it fits are tried.
    std::size_t hi = pos + run;
    if (nextNeedsChar && hi >= search.n) {
        if (lo >= search.n)
            return false;
        hi = search.n - 1;
    }
    for (std::size_t q = hi;; --q) {
        if (nextNeedsChar) {
            q = LastFit(*next, lo, q, search);
            if (q == std::string_view::npos)
                return false;
        }
        if (--search.budget < 0) {
            search.exhausted = true;
            return false;
        }
        if (SearchFrom(i + 1, q, search)) {
            search.ends[i] = q;
            return true;
        }
        if (search.exhausted || q == lo)
            return false;
    }
}

// feasible[i][q]: elements i.. can match starting at q. The greedy choice for each element is then the
// largest end whose rest is feasible.
bool GreedySequence::TableMatch(std::string_view subject, bool notNull, Ends& ends) const {
    const auto* s = reinterpret_cast<const unsigned char*>(subject.data());
    const std::size_t n = subject.size();
    const std::size_t k = m_elements.size();
    const std::size_t width = n + 1;
    std::vector<std::uint8_t> feasible((k + 1) * width, 1);
    if (notNull)
        feasible[k * width] = 0;
    constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();
    for (std::size_t i = k; i-- > 0;) {
        const Element& e = m_elements[i];
        const std::uint8_t* rest = &feasible[(i + 1) * width];
        std::uint8_t* here = &feasible[i * width];
        std::size_t run = 0;
        std::size_t nearest = kNone; // smallest feasible start of the rest at or after pos + min
        for (std::size_t pos = n + 1; pos-- > 0;) {
            run = pos < n && e.in[s[pos]] ? run + 1 : 0;
            const std::size_t from = pos + e.min;
            if (from <= n && rest[from])
                nearest = from;
            const std::size_t to = pos + std::min<std::size_t>(e.max, run);
            here[pos] = nearest != kNone && nearest <= to;
        }
    }
    if (!feasible[0])
        return false;
    std::size_t pos = 0;
    for (std::size_t i = 0; i < k; ++i) {
        const Element& e = m_elements[i];
        const std::uint8_t* rest = &feasible[(i + 1) * width];
        const std::size_t limit = std::min<std::size_t>(e.max, n - pos);
        std::size_t q = pos;
        while (q - pos < limit && e.in[s[q]])
            ++q;
        while (!rest[q])
            --q;
        ends[i] = q;
        pos = q;
    }
    return true;
}

// A necessary condition, checked in one pass: the elements' minimum counts fit into the text in order
// (earliest fit, gaps allowed). A pattern that cannot match because a separator is missing is rejected
// here instead of by a search that would explore the whole text.
bool GreedySequence::CanEmbed(std::string_view subject) const {
    const auto* s = reinterpret_cast<const unsigned char*>(subject.data());
    const std::size_t n = subject.size();
    std::size_t pos = 0;
    for (const Element& e : m_elements) {
        if (e.any) {
            pos += e.min;
            continue;
        }
        for (std::uint32_t c = 0; c < e.min; ++c) {
            if (e.literal >= 0 && pos < n) {
                const void* hit = std::memchr(s + pos, e.literal, n - pos);
                pos = hit == nullptr ? n : static_cast<std::size_t>(static_cast<const unsigned char*>(hit) - s);
            }
            while (pos < n && !e.in[s[pos]])
                ++pos;
            if (pos >= n)
                return false;
            ++pos;
        }
    }
    return pos <= n;
}

void GreedySequence::FillSpans(const Ends& ends, std::vector<Span>& spans) const {
    const auto endOf = [&](std::size_t count) { return count == 0 ? std::size_t{0} : ends[count - 1]; };
    spans.resize(m_groups.size() + 1);
    spans[0] = Span{0, endOf(m_elements.size())};
    for (std::size_t g = 0; g < m_groups.size(); ++g)
        spans[g + 1] = Span{endOf(m_groups[g].first), endOf(m_groups[g].second)};
}

bool GreedySequence::Match(std::string_view subject, bool notNull, std::vector<Span>& spans, Strategy strategy) const {
    // The match starts at the first character: a first element that needs one there decides at once.
    if (!m_elements.empty() && m_elements.front().min > 0 &&
        (subject.empty() || !m_elements.front().in[static_cast<unsigned char>(subject.front())]))
        return false;
    // On a long text a pattern whose separators are missing is rejected here, before the search; on a
    // short one the search's own budget is the cheaper bound.
    constexpr std::size_t kShortText = 256;
    if (subject.size() > kShortText && !CanEmbed(subject))
        return false;
    Ends ends;
    bool found = false;
    bool decided = false;
    if (strategy != Strategy::Table) {
        // Enough steps for any real scan; a text built to make the search explode goes to the table.
        const long long budget = strategy == Strategy::Search ? std::numeric_limits<long long>::max()
                                                              : 4 * static_cast<long long>(subject.size()) + 1024;
        Search search{
            reinterpret_cast<const unsigned char*>(subject.data()), subject.size(), notNull, budget, false, ends};
        found = SearchFrom(0, 0, search);
        decided = !search.exhausted;
    }
    if (!decided)
        found = TableMatch(subject, notNull, ends);
    if (found)
        FillSpans(ends, spans);
    return found;
}

} // namespace RegexClass
