#pragma once
// Payment cards swiped by mistake. Their numbers (PAN) must never be stored in the clear (PCI DSS): a
// bank card is not a licence, and what is kept of it is masked.

#include <string>
#include <string_view>

namespace MagneticStripeCards {

// The digits pass the Luhn check (ISO/IEC 7812).
bool PassesLuhn(std::string_view digits);

// 13 to 19 digits that pass the Luhn check and are not an AAMVA issuer's (636xxx, 604xxx).
bool IsPaymentCardNumber(std::string_view digits);

// `text` with every payment card number that follows "%B" (track 1) or ";" (track 2) cut to its first
// six and last four digits, the digits between shown as '*', and the rest of that track (name, expiry,
// service code, discretionary data) dropped up to the track's end sentinel '?' (or the next track's
// start sentinel, or the end of the text). Everything else stays as it was.
std::string MaskPaymentCards(const std::string& text);

} // namespace MagneticStripeCards
