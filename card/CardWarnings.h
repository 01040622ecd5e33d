#pragma once
// Signs that a card may be forged or altered, for the operator to look at the card more closely, and that
// a field may have been misread (barcode elements that ran together and split more than one way). They
// never change the age or the expiry verdict: an out-of-state address or a jurisdiction's own habit can
// raise one on a genuine card.

#include "CardRecord.h"

#include <string>
#include <vector>

namespace MagneticStripeCards {

struct CardWarning {
    std::string code; // short and stable, e.g. "iin-jurisdiction"
    std::string text; // one line of English for the operator
};

// The hints for a decoded record, as of its scan time, in a fixed order.
std::vector<CardWarning> FindWarnings(const CardRecord& record);

} // namespace MagneticStripeCards
