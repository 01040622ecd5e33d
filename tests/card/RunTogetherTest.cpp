// Generated AAMVA cards (AamvaCardGenerator.h) decode the same run together as with their separators,
// except where the decoder says that the elements split more than one way ("ambiguous-split"). The
// separated text is checked against the card it was made from. KESTRIN_LONG_RUN=<cards> runs more;
// KESTRIN_SHOW_AMBIGUOUS=1 prints the cards that split more than one way.

#include "AamvaCardGenerator.h"
#include "Card.h"
#include "CardJson.h"
#include "UnreadableScan.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <stdexcept>
#include <string>

namespace {

using MagneticStripeCards::Card;

const MagneticStripeCards::FixedClock kNow(2026, 3, 10, 14, 5, 33);
constexpr int kCards = 400;

struct Tally {
    int agree = 0;
    int ambiguousUnknown = 0; // unknown: the readings disagree on the birth or expiry date
    int ambiguousWarned = 0;  // decoded with the ambiguous-split warning
    int warnedRight = 0;      // ... and the order tie-breaker took the card's own reading
    int disagree = 0;
    int Total() const { return agree + ambiguousUnknown + ambiguousWarned + disagree; }
};

bool HasAmbiguousSplit(const Card& card) {
    for (const auto& warning : card.Warnings()) {
        if (warning.code == "ambiguous-split")
            return true;
    }
    return false;
}

std::string Show(const CardTests::GeneratedCard& card) {
    std::string text = "version " + std::to_string(card.version) + " " + card.type + " " + card.iin + ":";
    for (const auto& [id, value] : card.elements)
        text += " " + id + "[" + value + "]";
    return text;
}

// Decodes one card both ways; adds a failure for every separated decode that misreads the card and for
// every run-together decode that differs without saying so.
void Check(const CardTests::GeneratedCard& generated, Tally& tally) {
    const Card separated(generated.Separated(), kNow);
    EXPECT_EQ(separated.LastName(), generated.lastName) << Show(generated);
    EXPECT_EQ(separated.DlNumber(), generated.dlNumber) << Show(generated);
    EXPECT_EQ(separated.BirthDateIso(), generated.birthIso) << Show(generated);
    EXPECT_FALSE(HasAmbiguousSplit(separated)) << Show(generated);
    try {
        const Card runTogether(generated.RunTogether(), kNow);
        const std::string expected = MagneticStripeCards::Cli::CardJson(separated);
        const std::string got = MagneticStripeCards::Cli::CardJson(runTogether);
        if (HasAmbiguousSplit(runTogether)) {
            ++tally.ambiguousWarned;
            if (std::getenv("KESTRIN_SHOW_AMBIGUOUS") != nullptr)
                std::cout << "ambiguous: " << Show(generated) << "\n  " << runTogether.Warnings().back().text << "\n";
            EXPECT_EQ(runTogether.BirthDateIso(), separated.BirthDateIso()) << Show(generated);
            EXPECT_EQ(runTogether.ExpirationDateIso(), separated.ExpirationDateIso()) << Show(generated);
            tally.warnedRight += runTogether.Name() == separated.Name() &&
                                 runTogether.Address() == separated.Address() &&
                                 runTogether.DlNumber() == separated.DlNumber();
        } else if (got == expected) {
            ++tally.agree;
        } else {
            ++tally.disagree;
            ADD_FAILURE() << Show(generated) << "\n  separated:     " << expected << "\n  run together:  " << got;
        }
    } catch (const MagneticStripeCards::UnreadableScan& rejected) {
        EXPECT_EQ(rejected.Reason().code, "ambiguous-split") << Show(generated);
        ++tally.ambiguousUnknown;
    } catch (const std::logic_error&) {
        ++tally.disagree;
        ADD_FAILURE() << "run together unknown: " << Show(generated);
    }
}

void GenerateAndCheck(std::uint32_t seed, int cards) {
    CardTests::AamvaCardGenerator generator(seed);
    Tally tally;
    for (int i = 0; i < cards; ++i)
        Check(generator.Next(), tally);
    const auto share = [&](int n) { return std::to_string(100.0 * n / tally.Total()).substr(0, 5) + " %"; };
    std::cout << "generated cards: " << tally.Total() << ", agree " << share(tally.agree)
              << ", ambiguous-split unknown " << share(tally.ambiguousUnknown) << ", ambiguous-split warned "
              << share(tally.ambiguousWarned)
              << " (the card's own name, address and number: " << share(tally.warnedRight) << "), disagree "
              << share(tally.disagree) << "\n";
    EXPECT_EQ(tally.disagree, 0);
    // Ties are the exception: a decoder that called most cards ambiguous would pass the rest vacuously.
    EXPECT_LT(tally.ambiguousUnknown + tally.ambiguousWarned, tally.Total() / 20);
}

TEST(RunTogether, GeneratedCardsDecodeAsWithSeparators) {
    GenerateAndCheck(20261208, kCards);
}

TEST(RunTogether, LongRun) {
    const char* cards = std::getenv("KESTRIN_LONG_RUN");
    if (cards == nullptr)
        GTEST_SKIP() << "set KESTRIN_LONG_RUN to a number of cards";
    GenerateAndCheck(7, std::atoi(cards));
}

} // namespace
