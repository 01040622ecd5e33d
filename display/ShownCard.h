#pragma once
// What the result display shows of a card, as texts, so the layout can be drawn and tested from values.

#include <cstdint>
#include <string>
#include <vector>

namespace MagneticStripeCards {
class Card;
}

struct ShownCard {
    std::string displayName;
    std::int32_t age = 0;
    std::string ageText;
    std::string expirationText;
    bool expired = false;
    // The day the holder reaches the valid age, as the display writes it ("Mar 10, 2029"); empty when it
    // is not known.
    std::string comesOfAgeOn;
    // Hints that the card may be forged (texts), shown as one warning line; they change no verdict.
    std::vector<std::string> warnings;
};

// The card's texts for the verdict by `validAge`.
ShownCard ShownCardOf(const MagneticStripeCards::Card& card, std::int32_t validAge);

// "Mar 10, 2029" for 2029, 3, 10; empty for a month outside 1-12 or a day outside 1-31.
std::string DisplayDate(int year, int month, int day);
