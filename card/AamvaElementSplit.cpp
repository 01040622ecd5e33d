#include "AamvaElementSplit.h"

#include <algorithm>
#include <limits>
#include <vector>

namespace MagneticStripeCards {
namespace {

using AamvaElements::Kind;
using AamvaElements::Rule;

// Scores of one way of cutting run-together text; the way with the highest total wins.
constexpr int kElement = 2;     // an element found
constexpr int kFormHeld = 2;    // its value has the form its kind requires (a date of 8 digits ...)
constexpr int kFormBroken = -4; // it has not: probably an ID-like text inside another value
constexpr int kEmpty = -1;      // an empty value (allowed, but rarely written)
constexpr int kCutInside = -3;  // free text starting or ending with a space or comma: cut inside a value
constexpr int kOutOfOrder = -3; // an element before one it usually follows
constexpr int kTooLong = -6;    // longer than the standard allows (second pass only)
constexpr int kNone = std::numeric_limits<int>::min() / 2;
// In the second pass, when the lengths left no way, values may grow to this.
constexpr std::size_t kLongestValue = 256;
constexpr int kDuplicateRounds = 8;

// What separates words or names inside one value, and so rarely starts or ends one.
bool IsInnerSeparator(char c) {
    return c == ' ' || c == ',';
}

struct Candidate {
    std::size_t pos;
    const Rule* rule;
    int slot;
    int order;
};

class RunTogether {
public:
    RunTogether(std::string_view data, int version) : m_data(data) {
        for (std::size_t q = data.find('D'); q != std::string_view::npos && q + 3 <= data.size();
             q = data.find('D', q + 1)) {
            if (const Rule* rule = AamvaElements::RuleOf(data.substr(q, 3), version))
                m_candidates.push_back({q, rule, AamvaElements::SlotOf(rule->id), AamvaElements::OrderOf(*rule)});
        }
        m_forbidden.assign(m_candidates.size(), false);
    }

    void Split(AamvaElementValues& values) {
        if (m_candidates.empty())
            return;
        std::vector<std::size_t> path = BestPath();
        for (int round = 0; round < kDuplicateRounds && ResolveDuplicate(path); ++round)
            path = BestPath();
        for (std::size_t k = 0; k < path.size(); ++k) {
            const Candidate& c = m_candidates[path[k]];
            const std::size_t end = k + 1 < path.size() ? m_candidates[path[k + 1]].pos : m_data.size();
            values.Set(c.slot, m_data.substr(c.pos + 3, end - c.pos - 3));
        }
    }

private:
    int ValueScore(const Candidate& c, std::size_t end, bool relaxed) const {
        const std::string_view value = m_data.substr(c.pos + 3, end - c.pos - 3);
        int score = kElement;
        if (value.size() > c.rule->maxLength) {
            if (!relaxed)
                return kNone;
            score += kTooLong;
        }
        if (value.empty())
            score += kEmpty;
        else if (c.rule->kind != Kind::Text)
            score += AamvaElements::HasForm(c.rule->kind, value) ? kFormHeld : kFormBroken;
        else if (IsInnerSeparator(value.front()) || IsInnerSeparator(value.back()))
            score += kCutInside;
        return score;
    }

    // Best total from each candidate to the end of the text when that candidate is cut.
    std::vector<std::size_t> PathFrom(bool relaxed, int& total) const {
        const std::size_t n = m_candidates.size();
        m_best.assign(n, kNone);
        m_next.assign(n, n);
        for (std::size_t i = n; i-- > 0;) {
            const Candidate& c = m_candidates[i];
            const std::size_t limit =
                relaxed ? std::max<std::size_t>(kLongestValue, c.rule->maxLength) : c.rule->maxLength;
            for (std::size_t j = i + 1; j <= n; ++j) {
                const bool last = j == n;
                const std::size_t end = last ? m_data.size() : m_candidates[j].pos;
                if (!last && (m_forbidden[j] || end < c.pos + 3))
                    continue;
                if (!last && end - c.pos - 3 > limit) {
                    j = n - 1; // only the end of the text is left to try (it may be allowed to be long)
                    continue;
                }
                if (last && end - c.pos - 3 > limit && !relaxed)
                    break;
                int score = ValueScore(c, end, relaxed);
                if (score == kNone || (!last && m_best[j] == kNone))
                    continue;
                if (!last)
                    score += m_best[j] + (m_candidates[j].order < c.order ? kOutOfOrder : 0);
                if (score >= m_best[i]) { // ties go to the longer value: fewer cuts
                    m_best[i] = score;
                    m_next[i] = j;
                }
            }
        }
        std::vector<std::size_t> path;
        std::size_t start = 0;
        while (start < n && m_forbidden[start])
            ++start;
        if (start == n || m_best[start] == kNone) {
            total = kNone;
            return path;
        }
        total = m_best[start];
        path.reserve(n);
        for (std::size_t i = start; i < n; i = m_next[i])
            path.push_back(i);
        return path;
    }

    std::vector<std::size_t> BestPath(int* total = nullptr) const {
        int score = kNone;
        std::vector<std::size_t> path = PathFrom(false, score);
        if (score == kNone)
            path = PathFrom(true, score);
        if (total != nullptr)
            *total = score;
        return path;
    }

    // An ID cut twice: keep the one occurrence that gives the best total, forbid the others. False when
    // every ID is cut once.
    bool ResolveDuplicate(const std::vector<std::size_t>& path) {
        std::array<bool, AamvaElements::kSlots> seen{};
        int slot = -1;
        for (const std::size_t k : path) {
            const auto s = static_cast<std::size_t>(m_candidates[k].slot);
            if (seen[s]) {
                slot = m_candidates[k].slot;
                break;
            }
            seen[s] = true;
        }
        if (slot < 0)
            return false;
        std::vector<std::size_t> twice;
        for (const std::size_t k : path) {
            if (m_candidates[k].slot == slot)
                twice.push_back(k);
        }
        const std::vector<bool> before = m_forbidden;
        std::vector<bool> chosen;
        int chosenScore = kNone;
        // The first element of the text is never forbidden: nothing would stand in its place.
        const std::size_t choices = twice.front() == path.front() ? 1 : twice.size();
        for (std::size_t keep = 0; keep < choices; ++keep) {
            m_forbidden = before;
            for (std::size_t k = 0; k < twice.size(); ++k)
                m_forbidden[twice[k]] = k != keep;
            int score = kNone;
            BestPath(&score);
            if (chosen.empty() || score > chosenScore) {
                chosen = m_forbidden;
                chosenScore = score;
            }
        }
        m_forbidden = chosen;
        return true;
    }

    std::string_view m_data;
    std::vector<Candidate> m_candidates;
    std::vector<bool> m_forbidden;
    mutable std::vector<int> m_best; // PathFrom's working tables, kept from call to call
    mutable std::vector<std::size_t> m_next;
};

std::array<bool, 256> SeparatorTable(std::string_view declared) {
    std::array<bool, 256> table{};
    table['\n'] = table['\r'] = table[0x1e] = true;
    for (const char c : declared) {
        const auto b = static_cast<unsigned char>(c);
        const bool alnum = (b >= '0' && b <= '9') || (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
        if (!alnum && b != ' ')
            table[b] = true;
    }
    return table;
}

void SplitSeparated(std::string_view data, const std::array<bool, 256>& separator, AamvaElementValues& values) {
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = start;
        while (end < data.size() && !separator[static_cast<unsigned char>(data[end])])
            ++end;
        if (end - start >= 3) {
            const int slot = AamvaElements::SlotOf(data.substr(start, 3));
            if (slot >= 0)
                values.Set(slot, data.substr(start + 3, end - start - 3));
        }
        start = end + 1;
    }
}

} // namespace

std::string_view AamvaElementValues::Get(std::string_view id) const {
    const int slot = AamvaElements::SlotOf(id);
    return slot < 0 ? std::string_view() : m_values[static_cast<std::size_t>(slot)];
}

bool AamvaElementValues::Has(std::string_view id) const {
    const int slot = AamvaElements::SlotOf(id);
    return slot >= 0 && m_present[static_cast<std::size_t>(slot)];
}

void AamvaElementValues::Set(int slot, std::string_view value) {
    const auto s = static_cast<std::size_t>(slot);
    if (slot < 0 || s >= m_present.size() || m_present[s])
        return;
    m_present[s] = true;
    m_values[s] = value;
}

AamvaElementValues SplitElements(std::string_view data, int rulesVersion, std::string_view separators) {
    const std::array<bool, 256> separator = SeparatorTable(separators);
    const auto isSeparator = [&](char c) { return separator[static_cast<unsigned char>(c)]; };
    while (!data.empty() && isSeparator(data.front()))
        data.remove_prefix(1);
    while (!data.empty() && isSeparator(data.back()))
        data.remove_suffix(1);
    AamvaElementValues values;
    if (std::any_of(data.begin(), data.end(), isSeparator))
        SplitSeparated(data, separator, values);
    else
        RunTogether(data, rulesVersion).Split(values);
    return values;
}

} // namespace MagneticStripeCards
