#include "AamvaElementSplit.h"

#include "IinTable.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <numeric>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace MagneticStripeCards {
namespace {

using AamvaElements::Kind;
using AamvaElements::Rule;

// What a reading is worth: first how well its values fit the standard, then (only between readings that
// fit equally well) how closely it keeps the usual order of the elements.
constexpr int kElement = 2;        // an element cut
constexpr int kRequired = 4;       // ... that the version requires of the card
constexpr int kFormHeld = 2;       // its value has the form its kind requires (a real date, a sex code ...)
constexpr int kDateOtherOrder = 1; // a real date only in the order the card's country does not use
constexpr int kFormBroken = -8;    // it has not: more than an element earns, so no such cut is invented
// An empty value where the width is not fixed: more than an element earns, since an empty optional
// element could be cut before every ID-like text that ends a value ("JUDAH" + "DAH"). Required codes and
// middle names are often written empty (no middle name, no restrictions): no penalty there.
constexpr int kEmpty = -3;
// A value that starts with a space or a comma, or a name or address that ends in one: a cut inside a
// value (padded values may end in spaces).
constexpr int kCutInside = -3;
// Longer than the standard allows: more than an optional element earns, less than a required one, so
// that restrictions written too long are not swallowed by the name before them.
constexpr int kTooLong = -4;
// How much longer than the standard allows a short code (classes, restrictions, endorsements) may be in
// the first pass; other values only in the second.
constexpr std::size_t kShortCode = 12;
constexpr std::size_t kCodeSlack = 16;
constexpr int kTextLost = -20; // the text before the first element read is lost
constexpr int kNone = std::numeric_limits<int>::min() / 4;
// In the second pass, when the lengths left no way, values may grow to this (the last one to the end).
constexpr std::size_t kLongestValue = 256;
// IDs found more than once are cut at most once: the search keeps which of them it has cut, for at most
// this many IDs and within a budget of states; the others keep only their first place.
constexpr int kMostTrackedIds = 6;
constexpr std::size_t kMostStates = std::size_t{1} << kMostTrackedIds; // the bits of one std::uint64_t
constexpr std::size_t kStateBudget = 1 << 15;
// Equally good readings compared with the one taken, and the most elements followed back (a card has
// fewer than a hundred; the walk recurses once per element).
constexpr int kMostReadings = 16;
constexpr std::size_t kLongestWalk = 512;

struct Candidate {
    std::size_t pos;
    const Rule* rule;
    int slot;
    int order;
    int base;       // what cutting here earns before the value is looked at
    int emptyScore; // what an empty value adds
    std::size_t maxLength;
    Kind kind;
    bool padded;
    bool freeText; // no form to check
    unsigned bit;  // its ID's bit among the tracked ones, or 0
};

struct Score {
    int fit = kNone;
    int order = 0;
    bool operator>(const Score& other) const { return fit != other.fit ? fit > other.fit : order > other.order; }
};

bool IsSpace(char c) {
    return c == ' ';
}

constexpr std::size_t kNoState = std::numeric_limits<std::size_t>::max();

// By (last cut, IDs cut): the best score, the state before in the best reading, and how many readings
// reach the best fit: 0 (unreached), 1, or 2 (more than one).
struct State {
    Score score;
    std::size_t back = kNoState;
    int count = 0;
};

// The search's tables, kept from scan to scan on each thread: a scan then allocates nothing. Tables
// grown by an outsized text are given back.
struct Workspace {
    static constexpr std::size_t kKeptCandidates = 1024;
    std::vector<Candidate> candidates;
    std::vector<State> states;
    std::vector<std::uint64_t> reached; // by candidate: the masks of its states reached
    std::vector<std::size_t> cuts;
    std::vector<int> earned; // by candidate: what cutting at every candidate earns before it
    std::vector<int> lowestFrom;

    void Trim() {
        if (candidates.capacity() > kKeptCandidates || states.capacity() > kKeptCandidates * 4) {
            candidates = {};
            states = {};
            reached = {};
            cuts = {};
            earned = {};
            lowestFrom = {};
        }
    }
};

// A few bytes looked for in a text: the separators of elements, the first letter of their IDs.
class ByteSet {
public:
    ByteSet(std::initializer_list<char> bytes) {
        for (const char c : bytes)
            Add(c);
    }
    bool operator()(char c) const { return m_is[static_cast<unsigned char>(c)]; }

    void Add(char c) {
        if ((*this)(c))
            return;
        m_is[static_cast<unsigned char>(c)] = true;
        if (m_count == m_bytes.size())
            m_compared = false; // more than a header declares: byte by byte
        else
            m_bytes[m_count++] = c;
    }

    // Calls `at(i)` for every byte of the set in `data`, front to back; sixteen bytes at a time where the
    // processor compares them at once. How many it found.
    template <typename At> std::size_t Each(std::string_view data, At at) const {
        const char* const text = data.data();
        std::size_t found = 0;
        std::size_t i = 0;
#ifdef __SSE2__
        // The first three (the separators every card uses) in registers, the others (rare) from memory.
        const __m128i first = _mm_set1_epi8(m_bytes[0]);
        const __m128i second = _mm_set1_epi8(m_bytes[m_count > 1 ? 1 : 0]);
        const __m128i third = _mm_set1_epi8(m_bytes[m_count > 2 ? 2 : 0]);
        for (; m_compared && m_count > 0 && i + 16 <= data.size(); i += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
            __m128i hits = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(block, first), _mm_cmpeq_epi8(block, second)),
                                        _mm_cmpeq_epi8(block, third));
            for (std::size_t k = 3; k < m_count; ++k)
                hits = _mm_or_si128(hits, _mm_cmpeq_epi8(block, _mm_set1_epi8(m_bytes[k])));
            for (auto mask = static_cast<unsigned>(_mm_movemask_epi8(hits)); mask != 0; mask &= mask - 1) {
                at(i + static_cast<std::size_t>(__builtin_ctz(mask)));
                ++found;
            }
        }
#endif
        for (; i < data.size(); ++i) {
            if ((*this)(text[i])) {
                at(i);
                ++found;
            }
        }
        return found;
    }

private:
    std::array<bool, 256> m_is{};
    std::array<char, 16> m_bytes{}; // a separator set: three, and at most eight that a header declares
    std::size_t m_count = 0;
    bool m_compared = true; // every byte of the set is in m_bytes
};

class RunTogether {
public:
    RunTogether(std::string_view data, const SplitContext& context, Workspace& work)
        : m_data(data), m_yearFirst(YearFirst(context)), m_work(work), m_candidates(work.candidates),
          m_states(work.states), m_reached(work.reached) {
        const std::array<Candidate, AamvaElements::kSlots>& kinds = CandidateKinds(context);
        m_candidates.clear();
        static const ByteSet kIdStart{'D'};
        kIdStart.Each(data, [&](std::size_t q) {
            if (q + 3 > data.size())
                return;
            const int slot = AamvaElements::SlotOfLetters(data[q + 1], data[q + 2]);
            if (slot < 0 || kinds[static_cast<std::size_t>(slot)].rule == nullptr)
                return;
            m_candidates.push_back(kinds[static_cast<std::size_t>(slot)]);
            m_candidates.back().pos = q;
        });
        TrackDuplicates();
    }

    // What every ID of the card's version and document earns, but for its place: worked out once for each.
    static const std::array<Candidate, AamvaElements::kSlots>& CandidateKinds(const SplitContext& context) {
        using Table = std::array<std::array<Candidate, AamvaElements::kSlots>, 2 * (AamvaElements::kNewestVersion + 1)>;
        static const Table tables = [] {
            Table all{};
            for (int version = 1; version <= AamvaElements::kNewestVersion; ++version) {
                for (const bool licence : {false, true}) {
                    auto& table = all[static_cast<std::size_t>(2 * version + (licence ? 1 : 0))];
                    for (std::size_t slot = 0; slot < AamvaElements::kSlots; ++slot) {
                        const Rule* rule = AamvaElements::RuleAt(static_cast<int>(slot), version);
                        if (rule == nullptr)
                            continue;
                        const bool required = AamvaElements::IsMandatory(*rule, version, licence);
                        table[slot] = {0,
                                       rule,
                                       static_cast<int>(slot),
                                       AamvaElements::OrderOf(*rule),
                                       kElement + (required ? kRequired : 0),
                                       EmptyScore(*rule, required),
                                       rule->maxLength,
                                       rule->kind,
                                       AamvaElements::MayBePadded(*rule),
                                       rule->kind == Kind::Text || rule->kind == Kind::Code,
                                       0};
                    }
                }
            }
            return all;
        }();
        const int version = std::clamp(context.rulesVersion, 1, AamvaElements::kNewestVersion);
        return tables[static_cast<std::size_t>(2 * version + (context.licence ? 1 : 0))];
    }

    // `shortcut`: take the reading that cuts at every candidate without the search where that is provably
    // the search's answer (off only to hold the two to the same readings in tests).
    void Split(AamvaElementValues& values, bool shortcut) {
        if (m_candidates.empty())
            return;
        m_relaxed = false;
        if (shortcut && EveryCutIsBest()) {
            m_work.cuts.resize(m_candidates.size());
            std::iota(m_work.cuts.begin(), m_work.cuts.end(), std::size_t{0});
            Fill(m_work.cuts, values);
            return;
        }
        if (!Search()) {
            m_relaxed = true;
            if (!Search())
                return;
        }
        Reading(m_bestEnd, m_work.cuts);
        Fill(m_work.cuts, values);
        if (m_bestCount > 1)
            MarkDisagreements(values);
    }

private:
    std::size_t States() const { return std::size_t{1} << m_tracked; }

    // IDs that occur more than once get a bit each while the budget lasts; later occurrences of the
    // others are no places to cut.
    void TrackDuplicates() {
        std::array<int, AamvaElements::kSlots> count{};
        for (const Candidate& c : m_candidates)
            ++count[static_cast<std::size_t>(c.slot)];
        std::array<unsigned, AamvaElements::kSlots> bits{};
        std::array<bool, AamvaElements::kSlots> seen{};
        std::size_t kept = 0;
        for (std::size_t k = 0; k < m_candidates.size(); ++k) {
            const auto s = static_cast<std::size_t>(m_candidates[k].slot);
            if (count[s] > 1 && bits[s] == 0 && !seen[s] && m_tracked < kMostTrackedIds &&
                m_candidates.size() << (m_tracked + 1) <= kStateBudget)
                bits[s] = 1u << m_tracked++;
            if (count[s] > 1 && bits[s] == 0 && seen[s])
                continue;
            seen[s] = true;
            if (kept != k)
                m_candidates[kept] = m_candidates[k];
            m_candidates[kept++].bit = bits[s];
        }
        m_candidates.resize(kept);
    }

    std::size_t Limit(const Candidate& c) const {
        if (m_relaxed)
            return std::max(kLongestValue, c.maxLength);
        return c.kind == Kind::Code && c.maxLength <= kShortCode ? c.maxLength + kCodeSlack : c.maxLength;
    }

    // The worth of the element at `c` when its value runs to `end`, or kNone when it may not. Called for
    // every pair of places to cut within an element's length: the rule's facts are kept in `c`.
    // `firstDigit`: where the first digit after the candidate's ID is (FirstDigit), for the names' form.
    int ValueScore(const Candidate& c, std::size_t end, std::size_t firstDigit) const {
        const std::size_t begin = c.pos + 3;
        int score = c.base;
        if (end - begin > c.maxLength) {
            // In the second pass the last value may run to the end of the text, however long.
            if (end - begin > Limit(c) && !(m_relaxed && end == m_data.size()))
                return kNone;
            if (!c.freeText)
                return score + kTooLong + kFormBroken;
            score += kTooLong;
        }
        std::size_t last = end;
        if (last > begin && !c.padded && (m_data[last - 1] == ' ' || m_data[last - 1] == ','))
            score += kCutInside;
        while (last > begin && IsSpace(m_data[last - 1]))
            --last;
        if (last == begin)
            return score + c.emptyScore;
        if (m_data[begin] == ' ' || m_data[begin] == ',')
            score += kCutInside;
        // No street or city is one character long; the last letter of a name before an ID often is.
        if (c.kind == Kind::Text && last - begin == 1)
            score += kCutInside;
        if (c.freeText)
            return score;
        if (c.kind == Kind::Name || c.kind == Kind::MiddleName)
            return firstDigit < last ? score + kFormBroken : score;
        const std::string_view value = m_data.substr(begin, last - begin);
        if (c.kind == Kind::Date) {
            const unsigned orders = AamvaElements::DateOrders(value);
            if (orders == 0)
                return score + kFormBroken;
            return score + ((orders & (m_yearFirst ? 1u : 2u)) != 0 ? kFormHeld : kDateOtherOrder);
        }
        if (!AamvaElements::HasForm(c.kind, value))
            return score + kFormBroken;
        return score + (c.kind == Kind::FullName ? 0 : kFormHeld);
    }

    // Where the first digit within reach of `c`'s values is, or past that reach: once per candidate
    // rather than once per value.
    std::size_t FirstDigit(const Candidate& c) const { return FirstDigit(c, c.pos + 3 + Limit(c)); }
    // The same for values that end before `reach`.
    std::size_t FirstDigit(const Candidate& c, std::size_t reach) const {
        if (c.kind != Kind::Name && c.kind != Kind::MiddleName)
            return m_data.size();
        reach = std::min(m_data.size(), reach);
        std::size_t k = c.pos + 3;
        while (k < reach && (m_data[k] < '0' || m_data[k] > '9'))
            ++k;
        return k < reach ? k : m_data.size();
    }

    static int EmptyScore(const Rule& rule, bool required) {
        const Kind kind = rule.kind;
        if (rule.fixed || kind == Kind::Name || kind == Kind::FullName)
            return kFormBroken;
        const bool oftenEmpty = kind == Kind::MiddleName || kind == Kind::Code || kind == Kind::Suffix;
        return required && oftenEmpty ? 0 : kEmpty;
    }

    int StartScore(const Candidate& c) const { return c.pos == 0 ? 0 : kTextLost; }

    static int OrderScore(const Candidate& from, const Candidate& to) { return to.order > from.order ? 1 : -1; }

    std::size_t StateOf(std::size_t candidate, unsigned mask) const { return candidate << m_tracked | mask; }

    // The most the element at `c` can earn, whatever its value: ValueScore gives no more.
    static int MostEarned(const Candidate& c) {
        const bool formEarns =
            !c.freeText && c.kind != Kind::Name && c.kind != Kind::MiddleName && c.kind != Kind::FullName;
        return c.base + (formEarns ? kFormHeld : 0);
    }

    // Whether cutting at every candidate is the one best reading, proven without the search: most
    // run-together cards hold no ID-like text inside a value, and then the search's work is wasted.
    // Every other reading skips candidates: a run of them swallowed into the value of the candidate
    // before (or all before its first cut, losing that text). It differs from cutting everywhere by one
    // term per run: what the longer value earns, less what the value it replaces and the swallowed
    // elements earned. When every possible run's term is below zero, every other reading fits worse, so
    // the search would take this reading and find no other as good (nothing to mark uncertain). A run's
    // value is looked at only while the most it can earn could reach what it gives up. Without
    // duplicate IDs only (cutting at every candidate would cut an ID twice).
    bool EveryCutIsBest() {
        const std::size_t n = m_candidates.size();
        if (m_tracked != 0 || m_candidates[0].pos != 0)
            return false;
        // earned[k]: what the cuts at candidates 0 .. k-1 earn when every candidate is cut.
        std::vector<int>& earned = m_work.earned;
        earned.resize(n + 1);
        earned[0] = 0;
        for (std::size_t k = 0; k < n; ++k) {
            const Candidate& c = m_candidates[k];
            const std::size_t end = k + 1 < n ? m_candidates[k + 1].pos : m_data.size();
            if (end < c.pos + 3)
                return false;
            const int value = ValueScore(c, end, FirstDigit(c, end));
            if (value == kNone)
                return false;
            earned[k + 1] = earned[k] + value;
        }
        // A reading that starts at a later candidate loses the text before it.
        for (std::size_t k = 1; k < n; ++k) {
            if (earned[k] <= kTextLost)
                return false;
        }
        // lowestFrom[j]: the least of earned[j .. n], the least a run ending before j or later gives up.
        std::vector<int>& lowestFrom = m_work.lowestFrom;
        lowestFrom.resize(n + 1);
        lowestFrom[n] = earned[n];
        for (std::size_t k = n; k-- > 0;)
            lowestFrom[k] = std::min(earned[k], lowestFrom[k + 1]);
        for (std::size_t i = 0; i + 1 < n; ++i) {
            const Candidate& from = m_candidates[i];
            const int most = MostEarned(from);
            // The run i+1 .. j-1 swallowed: the value of `i` runs to candidate j, or to the end (j == n).
            for (std::size_t j = i + 2; j <= n; ++j) {
                if (most < lowestFrom[j] - earned[i])
                    break;
                const std::size_t end = j < n ? m_candidates[j].pos : m_data.size();
                if (end - from.pos - 3 > Limit(from))
                    break;
                const int value = ValueScore(from, end, FirstDigit(from, end));
                if (value != kNone && value >= earned[j] - earned[i])
                    return false;
            }
        }
        return true;
    }

    // Fills the best score of every (last cut, IDs cut) state, front to back, counting the readings of
    // the best fit (up to 2); false when no reading covers the text.
    bool Search() {
        const std::size_t n = m_candidates.size();
        m_states.assign(n * States(), State{});
        m_reached.assign(n, 0);
        for (std::size_t j = 0; j < n; ++j) {
            const std::size_t s = StateOf(j, m_candidates[j].bit);
            m_states[s].score = {StartScore(m_candidates[j]), 0};
            m_states[s].count = 1;
            m_reached[j] = std::uint64_t{1} << m_candidates[j].bit;
        }
        m_best = Score{};
        m_bestCount = 0;
        std::array<unsigned, kMostStates> masks{};
        for (std::size_t i = 0; i < n; ++i) {
            const Candidate& from = m_candidates[i];
            const std::size_t limit = Limit(from);
            const std::size_t reached = Reached(i, masks);
            const std::size_t digit = FirstDigit(from);
            for (std::size_t j = i + 1; j < n; ++j) {
                const Candidate& to = m_candidates[j];
                if (to.pos < from.pos + 3)
                    continue;
                if (to.pos - from.pos - 3 > limit)
                    break;
                const int value = ValueScore(from, to.pos, digit);
                if (value == kNone)
                    continue;
                for (std::size_t k = 0; k < reached; ++k) {
                    const unsigned mask = masks[k];
                    if ((mask & to.bit) != 0)
                        continue;
                    const std::size_t s = StateOf(i, mask);
                    Offer(StateOf(j, mask | to.bit), s,
                          {m_states[s].score.fit + value, m_states[s].score.order + OrderScore(from, to)});
                }
            }
            if (!m_relaxed && m_data.size() - from.pos - 3 > limit)
                continue;
            const int last = ValueScore(from, m_data.size(), digit);
            if (last == kNone)
                continue;
            for (std::size_t k = 0; k < reached; ++k) {
                const std::size_t s = StateOf(i, masks[k]);
                const Score total{m_states[s].score.fit + last, m_states[s].score.order};
                if (total.fit > m_best.fit)
                    m_bestCount = 0;
                if (total.fit >= m_best.fit)
                    m_bestCount = std::min(2, m_bestCount + m_states[s].count);
                if (!(m_best > total)) {
                    m_best = total;
                    m_bestEnd = s;
                }
            }
        }
        return m_bestCount > 0;
    }

    // The masks under which candidate `i` was reached, into `masks`; how many.
    std::size_t Reached(std::size_t i, std::array<unsigned, kMostStates>& masks) const {
        std::size_t count = 0;
        const std::uint64_t set = m_reached[i];
        for (unsigned mask = 0; mask < States(); ++mask) {
            if ((set >> mask & 1u) != 0)
                masks[count++] = mask;
        }
        return count;
    }

    void Offer(std::size_t to, std::size_t from, const Score& score) {
        State& target = m_states[to];
        const int count = m_states[from].count;
        if (target.count == 0 || score.fit > target.score.fit) {
            if (target.count == 0)
                m_reached[to >> m_tracked] |= std::uint64_t{1} << (to & (States() - 1));
            target = {score, from, count};
            return;
        }
        if (score.fit < target.score.fit)
            return;
        target.count = std::min(2, target.count + count);
        // Offers come from earlier cuts first: a later one as good wins, so of two readings that fit and
        // keep the order equally well the one with the longer earlier value is taken.
        if (!(target.score > score)) {
            target.score = score;
            target.back = from;
        }
    }

    void Reading(std::size_t end, std::vector<std::size_t>& cuts) const {
        cuts.clear();
        for (std::size_t s = end; s != kNoState; s = m_states[s].back)
            cuts.push_back(s >> m_tracked);
        std::reverse(cuts.begin(), cuts.end());
    }

    void Fill(const std::vector<std::size_t>& cuts, AamvaElementValues& values) const {
        for (std::size_t k = 0; k < cuts.size(); ++k) {
            const Candidate& c = m_candidates[cuts[k]];
            const std::size_t end = k + 1 < cuts.size() ? m_candidates[cuts[k + 1]].pos : m_data.size();
            values.Set(c.slot, m_data.substr(c.pos + 3, end - c.pos - 3));
        }
    }

    // Walks back every reading as good as the best (up to kMostReadings) and marks the IDs on which one
    // of them disagrees with the reading taken.
    void MarkDisagreements(AamvaElementValues& values) {
        m_readings = 0;
        std::vector<std::size_t> cuts;
        const std::size_t n = m_candidates.size();
        for (std::size_t i = 0; i < n && m_readings < kMostReadings; ++i) {
            const int last = ValueScore(m_candidates[i], m_data.size(), FirstDigit(m_candidates[i]));
            if (last == kNone)
                continue;
            for (unsigned mask = 0; mask < States(); ++mask) {
                const std::size_t s = StateOf(i, mask);
                if (m_states[s].count != 0 && m_states[s].score.fit + last == m_best.fit) {
                    cuts.assign(1, i);
                    WalkBack(s, cuts, values);
                }
            }
        }
    }

    void WalkBack(std::size_t state, std::vector<std::size_t>& cuts, AamvaElementValues& values) {
        if (m_readings >= kMostReadings || cuts.size() > kLongestWalk)
            return;
        const std::size_t j = state >> m_tracked;
        const auto mask = static_cast<unsigned>(state & (States() - 1));
        const Candidate& to = m_candidates[j];
        const int fit = m_states[state].score.fit;
        if (mask == to.bit && StartScore(to) == fit) {
            ++m_readings;
            Compare(std::vector<std::size_t>(cuts.rbegin(), cuts.rend()), values);
        }
        const unsigned before = mask & ~to.bit;
        for (std::size_t i = j; i-- > 0;) {
            const Candidate& from = m_candidates[i];
            if (to.pos < from.pos + 3)
                continue;
            if (to.pos - from.pos - 3 > kLongestValue)
                break;
            const std::size_t s = StateOf(i, before);
            if (m_states[s].count == 0 || to.pos - from.pos - 3 > Limit(from))
                continue;
            const int value = ValueScore(from, to.pos, FirstDigit(from));
            if (value == kNone || m_states[s].score.fit + value != fit)
                continue;
            cuts.push_back(i);
            WalkBack(s, cuts, values);
            cuts.pop_back();
        }
    }

    void Compare(const std::vector<std::size_t>& cuts, AamvaElementValues& values) const {
        AamvaElementValues other;
        Fill(cuts, other);
        for (const Candidate& c : m_candidates) {
            const char* id = c.rule->id;
            if (values.Has(id) != other.Has(id) || Trimmed(values.Get(id)) != Trimmed(other.Get(id)))
                values.MarkUncertain(c.slot);
        }
    }

    static std::string_view Trimmed(std::string_view value) {
        while (!value.empty() && IsSpace(value.front()))
            value.remove_prefix(1);
        while (!value.empty() && IsSpace(value.back()))
            value.remove_suffix(1);
        return value;
    }

    static bool YearFirst(const SplitContext& context) {
        if (context.rulesVersion == 1)
            return true;
        const IinTable::Issuer* issuer = IinTable::FindIssuer(context.iin);
        return issuer != nullptr && std::string_view(issuer->country) == "CAN";
    }

    std::string_view m_data;
    bool m_yearFirst;
    Workspace& m_work;
    std::vector<Candidate>& m_candidates;
    int m_tracked = 0;
    bool m_relaxed = false;
    std::vector<State>& m_states;
    std::vector<std::uint64_t>& m_reached;
    Score m_best;
    std::size_t m_bestEnd = kNoState;
    int m_bestCount = 0;
    int m_readings = 0;
};

// The bytes that end an element: LF, RS and CR always, and those the header declared (no letter, digit or
// space, which values hold).
ByteSet Separators(std::string_view declared) {
    ByteSet separators{'\n', '\r', '\x1e'};
    for (const char c : declared) {
        const auto b = static_cast<unsigned char>(c);
        const bool alnum = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
        if (!alnum && b != ' ')
            separators.Add(c);
    }
    return separators;
}

// Every piece between separators that starts with an element ID is an element; false (and nothing set)
// when the text has no separator at all.
bool SplitSeparated(std::string_view data, const ByteSet& separators, AamvaElementValues& values) {
    const char* const text = data.data();
    std::size_t start = 0;
    const auto element = [&](std::size_t end) {
        if (end - start >= 3 && text[start] == 'D') {
            const int slot = AamvaElements::SlotOfLetters(text[start + 1], text[start + 2]);
            if (slot >= 0)
                values.Set(slot, std::string_view(text + start + 3, end - start - 3));
        }
        start = end + 1;
    };
    if (separators.Each(data, element) == 0)
        return false;
    element(data.size());
    return true;
}

} // namespace

std::string_view AamvaElementValues::Get(std::string_view id) const {
    const int slot = AamvaElements::SlotOf(id);
    return slot < 0 ? std::string_view() : Get(slot);
}

bool AamvaElementValues::Has(std::string_view id) const {
    const int slot = AamvaElements::SlotOf(id);
    return slot >= 0 && m_present[static_cast<std::size_t>(slot)];
}

bool AamvaElementValues::Uncertain(std::string_view id) const {
    const int slot = AamvaElements::SlotOf(id);
    return slot >= 0 && m_uncertain[static_cast<std::size_t>(slot)];
}

void AamvaElementValues::MarkUncertain(int slot) {
    if (slot < 0 || static_cast<std::size_t>(slot) >= m_uncertain.size())
        return;
    m_uncertain[static_cast<std::size_t>(slot)] = true;
    m_anyUncertain = true;
}

void AamvaElementValues::Set(int slot, std::string_view value) {
    const auto s = static_cast<std::size_t>(slot);
    if (slot < 0 || s >= m_present.size() || m_present[s])
        return;
    m_present[s] = true;
    m_values[s] = {value.data(), value.size()};
}

namespace {

AamvaElementValues Split(std::string_view data, const SplitContext& context, std::string_view separators,
                         bool shortcut) {
    const ByteSet separator = Separators(separators);
    while (!data.empty() && separator(data.front()))
        data.remove_prefix(1);
    while (!data.empty() && separator(data.back()))
        data.remove_suffix(1);
    AamvaElementValues values;
    if (SplitSeparated(data, separator, values))
        return values;
    thread_local Workspace work;
    RunTogether(data, context, work).Split(values, shortcut);
    work.Trim();
    return values;
}

} // namespace

AamvaElementValues SplitElements(std::string_view data, const SplitContext& context, std::string_view separators) {
    return Split(data, context, separators, true);
}

AamvaElementValues SplitElementsBySearch(std::string_view data, const SplitContext& context,
                                         std::string_view separators) {
    return Split(data, context, separators, false);
}

} // namespace MagneticStripeCards
