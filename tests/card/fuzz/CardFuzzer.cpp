// libFuzzer target: any byte string is a scan text. The card either decodes (and then renders every
// field of its table, its hints and dates) or is rejected with the logic-error family; any other
// exception, a crash or a sanitizer report is a finding. The text's masked form for the unknown-swipe
// file must be stable under masking again. Short inputs also check the linear matcher and the stripe
// rules' scanners against the backtracking engine on the card's patterns, and the run-together element
// split's shortcut against its full search (the input read as one subfile's elements).

#include "AamvaElementSplit.h"
#include "Card.h"
#include "CardFields.h"
#include "GreedySequence.h"
#include "PaymentCard.h"
#include "StripeFormat.h"
#include "StripeRules.h"

#include <boost/regex.hpp>

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

struct Compiled {
    boost::regex expression;
    RegexClass::GreedySequence program;
};

const std::vector<Compiled>& Programs() {
    static const std::vector<Compiled> all = [] {
        std::vector<Compiled> list;
        for (const std::string& pattern : MagneticStripeCards::StripeFormat::PatternTexts())
            list.push_back(
                {boost::regex(pattern), *RegexClass::GreedySequence::FromPattern(pattern, boost::regex::perl)});
        return list;
    }();
    return all;
}

void CheckMatcherAgainstBoost(const std::string& subject) {
    namespace rules = MagneticStripeCards::StripeRules;
    for (std::size_t r = 0; r < Programs().size(); ++r) {
        const Compiled& c = Programs()[r];
        boost::smatch m;
        bool expected = false;
        try {
            expected =
                boost::regex_search(subject, m, c.expression, boost::match_not_null) && m[0].first == subject.begin();
        } catch (const std::runtime_error&) {
            continue; // the engine gave up; there is nothing to compare with
        }
        std::vector<RegexClass::GreedySequence::Span> spans;
        if (c.program.Match(subject, true, spans) != expected)
            std::abort();
        // The pattern texts come in the order of the rules.
        rules::Spans direct;
        if (rules::Match(static_cast<rules::Rule>(r), subject, direct) != expected)
            std::abort();
        for (std::size_t g = 0; expected && g < m.size(); ++g) {
            const auto begin = static_cast<std::size_t>(m[g].first - subject.begin());
            const std::size_t end = begin + static_cast<std::size_t>(m[g].length());
            if (spans[g].begin != begin || spans[g].end != end || direct[g].begin != begin || direct[g].end != end)
                std::abort();
        }
    }
}

// The context (version, DL or ID, a US or a Canadian issuer) comes from the input's length, so that every
// one of them is met.
void CheckSplitShortcut(const std::string& data) {
    using namespace MagneticStripeCards;
    const std::size_t n = data.size();
    const SplitContext context{static_cast<int>(n % AamvaElements::kNewestVersion) + 1, n % 2 == 0,
                               n / 2 % 2 == 0 ? "636014" : "636028"};
    const AamvaElementValues shortcut = SplitElements(data, context, "");
    const AamvaElementValues search = SplitElementsBySearch(data, context, "");
    for (int slot = 0; slot < static_cast<int>(AamvaElements::kSlots); ++slot) {
        if (shortcut.Has(slot) != search.Has(slot) || shortcut.Get(slot) != search.Get(slot) ||
            shortcut.Uncertain(slot) != search.Uncertain(slot))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const MagneticStripeCards::FixedClock clock(2007, 3, 10, 14, 5, 33);
    const std::string scan(reinterpret_cast<const char*>(data), size);
    try {
        const MagneticStripeCards::Card card(scan, clock);
        std::string texts = card.LogRow(false) + card.ResultLine() + card.ExpirationText();
        for (const MagneticStripeCards::CardField& field : MagneticStripeCards::CardFields())
            texts += MagneticStripeCards::FieldText(field.read(card));
        const auto due = card.ComesOfAgeOn(21);
        if (texts.empty() || (due && card.BirthDateIso().empty()))
            std::abort();
    } catch (const std::logic_error&) {
    }
    const std::string masked = MagneticStripeCards::MaskPaymentCards(scan);
    if (masked.size() > scan.size() || MagneticStripeCards::MaskPaymentCards(masked) != masked)
        std::abort();
    if (size <= 200)
        CheckMatcherAgainstBoost(scan);
    if (size <= 1024)
        CheckSplitShortcut(scan);
    return 0;
}
