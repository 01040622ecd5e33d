#include "StripeRules.h"

#include <boost/regex.hpp>

#include <algorithm>
#include <string.h>

namespace MagneticStripeCards::StripeRules {
namespace {

constexpr std::size_t npos = std::string_view::npos;
using ByteSet = std::array<bool, 256>;

struct Classes {
    ByteSet digit{};
    ByteSet nonDigit{};
    ByteSet word{};
    ByteSet nonWord{};
    ByteSet space{};
};

ByteSet ClassOf(const char* atom) {
    const auto in = RegexClass::GreedySequence::ByteClass(atom, boost::regex::perl);
    return in ? *in : ByteSet{};
}

const Classes& EngineClasses() {
    static const Classes classes{ClassOf("\\d"), ClassOf("\\D"), ClassOf("\\w"), ClassOf("\\W"), ClassOf("\\s")};
    return classes;
}

bool In(const ByteSet& set, char c) {
    return set[static_cast<unsigned char>(c)];
}

// p - k, or 0 when that would go below the text: "before position 0" finds nothing.
std::size_t Minus(std::size_t p, std::size_t k) {
    return p > k ? p - k : 0;
}

// The last position before `end` that holds `c`, or npos. Positions "at most q - 2" are those before q - 1.
std::size_t LastBefore(std::string_view t, char c, std::size_t end) {
    if (end == 0)
        return npos;
    const void* hit = ::memrchr(t.data(), c, end);
    return hit == nullptr ? npos : static_cast<std::size_t>(static_cast<const char*>(hit) - t.data());
}

std::size_t LastBefore(std::string_view t, const ByteSet& set, std::size_t end) {
    for (std::size_t p = end; p-- > 0;) {
        if (In(set, t[p]))
            return p;
    }
    return npos;
}

std::size_t LastPercentOrHashBefore(std::string_view t, std::size_t end) {
    const std::size_t percent = LastBefore(t, '%', end);
    const std::size_t hash = LastBefore(t, '#', end);
    if (percent == npos)
        return hash;
    return hash == npos ? percent : std::max(percent, hash);
}

std::size_t RunLength(std::string_view t, std::size_t from, const ByteSet& set) {
    std::size_t p = from;
    while (p < t.size() && In(set, t[p]))
        ++p;
    return p - from;
}

bool Found(Spans& spans, std::size_t matchEnd, Span group) {
    spans[0] = Span{0, matchEnd};
    spans[1] = group;
    return true;
}

// For a sequence of elements, the engine tries the longest stretch of the first element first, then of
// the second, and so on, and keeps the first assignment whose rest can match. '.' is any byte here (the
// card matches without the options that keep it from line feeds or NUL). When every stretch between
// two literals is '.', the rest can match from a literal exactly when later literals exist in
// order with the gaps their counts need; so each literal's greedy place is the latest one that leaves room
// for the latest places of the literals after it, found from the right end of the text. Where a '.' run is
// a class run instead (\d+, \w+ before a literal outside the class), the run cannot stop early, so the
// literal's place is the run's end.

// % (.+) ? .* ; (.+) ? .* [%#] (.+) ?
bool ThreeTracks(std::string_view t, Spans& spans) {
    if (t.empty() || t[0] != '%')
        return false;
    const std::size_t e = LastBefore(t, '?', t.size());
    if (e == npos)
        return false;
    const std::size_t d = LastPercentOrHashBefore(t, Minus(e, 1)); // (.+) before the last '?'
    if (d == npos)
        return false;
    const std::size_t c = LastBefore(t, '?', d); // .* before [%#]
    if (c == npos)
        return false;
    const std::size_t b = LastBefore(t, ';', Minus(c, 1)); // (.+) before '?'
    if (b == npos)
        return false;
    const std::size_t a = LastBefore(t, '?', b); // .* before ';'
    if (a == npos || a < 2)                      // (.+) from position 1
        return false;
    spans[0] = Span{0, e + 1};
    spans[1] = Span{1, a};
    spans[2] = Span{b + 1, c};
    spans[3] = Span{d + 1, e};
    return true;
}

// ; (.+) ?
bool TrackTwoOnly(std::string_view t, Spans& spans) {
    if (t.empty() || t[0] != ';')
        return false;
    const std::size_t e = LastBefore(t, '?', t.size());
    if (e == npos || e < 2)
        return false;
    return Found(spans, e + 1, Span{1, e});
}

// % (.+) ? .* ; (\d .*) ?   -- the ';' is the latest one followed by a digit that leaves room for a '?'.
bool TracksOneAndTwo(std::string_view t, const Classes& k, Spans& spans) {
    if (t.empty() || t[0] != '%')
        return false;
    const std::size_t e = LastBefore(t, '?', t.size());
    if (e == npos)
        return false;
    // One pass from the right: a text of sentinels has a ';' every other byte, too many for a call each.
    std::size_t b = Minus(e, 1);
    while (b > 0 && !(t[b - 1] == ';' && In(k.digit, t[b])))
        --b;
    if (b == 0)
        return false;
    --b;
    const std::size_t a = LastBefore(t, '?', b);
    if (a == npos || a < 2)
        return false;
    spans[0] = Span{0, e + 1};
    spans[1] = Span{1, a};
    spans[2] = Span{b + 1, e};
    return true;
}

// (\w{2})
bool State(std::string_view t, const Classes& k, Spans& spans) {
    if (t.size() < 2 || !In(k.word, t[0]) || !In(k.word, t[1]))
        return false;
    return Found(spans, 2, Span{0, 2});
}

// The last two carets of "... ^ .+ ^": `last` is the final one, `middle` the latest one two before it.
struct TwoCarets {
    std::size_t middle = npos;
    std::size_t last = npos;
};

TwoCarets LastTwo(std::string_view t, char final) {
    TwoCarets found;
    found.last = LastBefore(t, final, t.size());
    if (found.last != npos)
        found.middle = LastBefore(t, '^', Minus(found.last, 1));
    return found;
}

bool StartsWithTwoWordBytes(std::string_view t, const Classes& k) {
    return t.size() >= 2 && In(k.word, t[0]) && In(k.word, t[1]);
}

// \w{2} (.+) ^ .+ ^ .+ ^
bool City(std::string_view t, const Classes& k, Spans& spans) {
    if (!StartsWithTwoWordBytes(t, k))
        return false;
    const TwoCarets c = LastTwo(t, '^');
    if (c.middle == npos)
        return false;
    const std::size_t first = LastBefore(t, '^', Minus(c.middle, 1));
    if (first == npos || first < 3)
        return false;
    return Found(spans, c.last + 1, Span{2, first});
}

// \w{2} (.+) \W
bool CityToNonWord(std::string_view t, const Classes& k, Spans& spans) {
    if (!StartsWithTwoWordBytes(t, k))
        return false;
    const std::size_t w = LastBefore(t, k.nonWord, t.size());
    if (w == npos || w < 3)
        return false;
    return Found(spans, w + 1, Span{2, w});
}

// .+ <before> (.+) ^ .+ <final>, with <before> a byte of `set` and the group between it and the middle caret.
bool NameBetween(std::string_view t, const ByteSet* set, char final, Spans& spans) {
    const TwoCarets c = LastTwo(t, final);
    if (c.middle == npos)
        return false;
    const std::size_t end = Minus(c.middle, 1);
    const std::size_t before = set == nullptr ? LastBefore(t, '^', end) : LastBefore(t, *set, end);
    if (before == npos || before < 1)
        return false;
    return Found(spans, c.last + 1, Span{before + 1, c.middle});
}

// \w+ ^ (.+) ^   -- '^' is no word byte, so the first caret is where the word run ends.
bool NameAfterWord(std::string_view t, const Classes& k, Spans& spans) {
    const std::size_t run = RunLength(t, 0, k.word);
    if (run == 0 || run >= t.size() || t[run] != '^')
        return false;
    const std::size_t last = LastBefore(t, '^', t.size());
    if (last < run + 2)
        return false;
    return Found(spans, last + 1, Span{run + 1, last});
}

// .+ <before> .+ ^ (.+) <final>, the group between the middle caret and the final byte.
bool AddressBetween(std::string_view t, const ByteSet* set, char final, Spans& spans) {
    const TwoCarets c = LastTwo(t, final);
    if (c.middle == npos)
        return false;
    const std::size_t end = Minus(c.middle, 1);
    const std::size_t before = set == nullptr ? LastBefore(t, '^', end) : LastBefore(t, *set, end);
    if (before == npos || before < 1)
        return false;
    return Found(spans, c.last + 1, Span{c.middle + 1, c.last});
}

// Track 2 starts with the issuer number and the licence number, digits up to '='; '=' is no digit, so
// the first digit run ends there. Every track-2 rule starts that way: the run, its '=' and the digit run
// after it are read once.
struct TrackTwoShape {
    std::size_t digits = 0;  // the leading digit run
    std::size_t eq = npos;   // the '=' after it, when there is one and the run is not empty
    std::size_t after = 0;   // the digit run after the '='
    std::size_t stop = npos; // where that run ends, when a byte is there
    bool stopIsNonDigit = false;
};

TrackTwoShape ShapeOf(std::string_view t, const Classes& k) {
    TrackTwoShape shape;
    shape.digits = RunLength(t, 0, k.digit);
    if (shape.digits == 0 || shape.digits >= t.size() || t[shape.digits] != '=')
        return shape;
    shape.eq = shape.digits;
    shape.after = RunLength(t, shape.eq + 1, k.digit);
    const std::size_t stop = shape.eq + 1 + shape.after;
    if (stop < t.size()) {
        shape.stop = stop;
        shape.stopIsNonDigit = In(k.nonDigit, t[stop]);
    }
    return shape;
}

// \d{6} (\d+) =
bool DlNumber(const TrackTwoShape& s, Spans& spans) {
    if (s.eq == npos || s.digits < 7)
        return false;
    return Found(spans, s.eq + 1, Span{6, s.eq});
}

// \d+ = \d{12} (\d+) \D   -- the group is the whole digit run after the twelve, up to the first non-digit.
bool DlOverflow(const TrackTwoShape& s, Spans& spans) {
    if (s.eq == npos || s.after < 13 || s.stop == npos || !s.stopIsNonDigit)
        return false;
    return Found(spans, s.stop + 1, Span{s.eq + 13, s.stop});
}

// \d{6} \d+ = (\d{4})
bool ExpiryPart(const TrackTwoShape& s, Spans& spans) {
    if (s.eq == npos || s.digits < 7 || s.after < 4)
        return false;
    return Found(spans, s.eq + 5, Span{s.eq + 1, s.eq + 5});
}

// \d+ = \d{4} (\d{8})
bool BirthPart(const TrackTwoShape& s, Spans& spans) {
    if (s.eq == npos || s.after < 12)
        return false;
    return Found(spans, s.eq + 13, Span{s.eq + 5, s.eq + 13});
}

std::string_view GroupOne(std::string_view t, bool matched, const Spans& spans) {
    return matched ? t.substr(spans[1].begin, spans[1].end - spans[1].begin) : std::string_view();
}

struct RuleEntry {
    const char* pattern;
    std::size_t groups;
};

constexpr std::array<RuleEntry, kRules> kTable = {{
    {"%(.+)[\\?].*;(.+)[\\?].*(?:%|#)(.+)[\\?]", 3},
    {"(?:;)(.+)[\\?]", 1},
    // Several jurisdictions write no track 3. Track 2 must start with a digit here, so that a text of
    // sentinels alone is not taken for two tracks.
    {"%(.+)[\\?].*;(\\d.*)[\\?]", 2},
    {"(\\w{2})", 1},
    {"\\w{2}(.+)\\^.+\\^.+\\^", 1},
    {"\\w{2}(.+)\\W", 1},
    {".+\\^(.+)\\^.+\\^", 1},
    {".+\\W(.+)\\^.+\\^", 1},
    {".+\\^(.+)\\^.+\\$", 1},
    {"\\w+\\^(.+)\\^", 1},
    {".+\\^.+\\^(.+)\\^", 1},
    {".+\\s.+\\^(.+)\\^", 1},
    {".+\\^.+\\^(.+)\\$", 1},
    {"\\d{6}(\\d+)=", 1},
    {"\\d+=\\d{12}(\\d+)\\D", 1},
    {"\\d{6}\\d+=(\\d{4})", 1},
    {"\\d+=\\d{4}(\\d{8})", 1},
}};

} // namespace

const char* PatternText(Rule rule) {
    return kTable[static_cast<std::size_t>(rule)].pattern;
}

std::size_t GroupCount(Rule rule) {
    return kTable[static_cast<std::size_t>(rule)].groups;
}

bool Match(Rule rule, std::string_view t, Spans& spans) {
    const Classes& k = EngineClasses();
    switch (rule) {
    case Rule::ThreeTracks:
        return ThreeTracks(t, spans);
    case Rule::TrackTwoOnly:
        return TrackTwoOnly(t, spans);
    case Rule::TracksOneAndTwo:
        return TracksOneAndTwo(t, k, spans);
    case Rule::State:
        return State(t, k, spans);
    case Rule::City:
        return City(t, k, spans);
    case Rule::CityToNonWord:
        return CityToNonWord(t, k, spans);
    case Rule::Name:
        return NameBetween(t, nullptr, '^', spans);
    case Rule::NameAfterNonWord:
        return NameBetween(t, &k.nonWord, '^', spans);
    case Rule::NameBeforeDollar:
        return NameBetween(t, nullptr, '$', spans);
    case Rule::NameAfterWord:
        return NameAfterWord(t, k, spans);
    case Rule::Address:
        return AddressBetween(t, nullptr, '^', spans);
    case Rule::AddressAfterSpace:
        return AddressBetween(t, &k.space, '^', spans);
    case Rule::AddressBeforeDollar:
        return AddressBetween(t, nullptr, '$', spans);
    case Rule::DlNumber:
        return DlNumber(ShapeOf(t, k), spans);
    case Rule::DlOverflow:
        return DlOverflow(ShapeOf(t, k), spans);
    case Rule::ExpiryPart:
        return ExpiryPart(ShapeOf(t, k), spans);
    case Rule::BirthPart:
        return BirthPart(ShapeOf(t, k), spans);
    }
    return false;
}

std::string_view Group(Rule rule, std::string_view text, std::size_t group) {
    Spans spans;
    if (!Match(rule, text, spans) || group > GroupCount(rule))
        return {};
    return text.substr(spans[group].begin, spans[group].end - spans[group].begin);
}

TrackOneGroups ReadTrackOne(std::string_view t) {
    TrackOneGroups groups;
    if (t.empty())
        return groups; // every rule needs a byte (a swipe of track 2 alone has no track 1)
    const Classes& k = EngineClasses();
    Spans spans;
    groups.state = GroupOne(t, State(t, k, spans), spans);
    // City, Name and Address: .. ^ .. ^ .. ^ with the same three carets.
    const TwoCarets c = LastTwo(t, '^');
    const std::size_t first = c.middle == npos ? npos : LastBefore(t, '^', Minus(c.middle, 1));
    const bool carets = first != npos && first >= 1;
    if (carets && first >= 3 && StartsWithTwoWordBytes(t, k))
        groups.city = t.substr(2, first - 2);
    else
        groups.city = Group(Rule::CityToNonWord, t);
    if (carets) {
        groups.name = t.substr(first + 1, c.middle - first - 1);
        groups.address = t.substr(c.middle + 1, c.last - c.middle - 1);
        return groups;
    }
    for (const Rule rule : {Rule::NameAfterNonWord, Rule::NameBeforeDollar, Rule::NameAfterWord}) {
        if (groups.name.empty())
            groups.name = Group(rule, t);
    }
    for (const Rule rule : {Rule::AddressAfterSpace, Rule::AddressBeforeDollar}) {
        if (groups.address.empty())
            groups.address = Group(rule, t);
    }
    return groups;
}

TrackTwoGroups ReadTrackTwo(std::string_view t) {
    const TrackTwoShape shape = ShapeOf(t, EngineClasses());
    TrackTwoGroups groups;
    Spans spans;
    groups.dlNumber = GroupOne(t, DlNumber(shape, spans), spans);
    groups.dlOverflow = GroupOne(t, DlOverflow(shape, spans), spans);
    groups.expiry = GroupOne(t, ExpiryPart(shape, spans), spans);
    groups.birth = GroupOne(t, BirthPart(shape, spans), spans);
    return groups;
}

} // namespace MagneticStripeCards::StripeRules
