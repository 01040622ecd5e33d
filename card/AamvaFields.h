#pragma once
// From the elements of an AAMVA subfile to the card's fields: names by version, dates in the order of
// the card's version and country, height, weight, postal code and sex as a person reads them.

#include "AamvaElementSplit.h"
#include "CardRecord.h"
#include "ScanFormat.h"

#include <string_view>

namespace MagneticStripeCards::AamvaFields {

// What the header says about the card.
struct Card {
    std::string_view iin;
    int version;      // as written
    int rulesVersion; // the version whose rules apply
    std::string_view documentType;
};

// Throws std::logic_error `work.unknown` when the card has no birth date that is a real date.
void Fill(const AamvaElementValues& values, const Card& card, const ScanWork& work, CardRecord& record);

} // namespace MagneticStripeCards::AamvaFields
