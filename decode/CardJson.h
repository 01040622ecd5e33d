#pragma once
// kestrin-decode's JSON form of a decoded card: one object with a key per field of CardFields.h, in that
// order; card bytes map to the code points U+0000 to U+00FF.

#include "CardWarnings.h"

#include <string>
#include <vector>

namespace MagneticStripeCards {
class Card;
}

namespace MagneticStripeCards::Cli {

// One line of JSON, without the line end.
std::string CardJson(const Card& card);
// What kestrin-decode prints for a scan it cannot decode.
const char* UnknownJson();
// The same with the reasons the decoder gave: {"error":"Unknown DL","warnings":[{"code":..,"text":..}]}.
std::string UnknownJson(const std::vector<CardWarning>& reasons);

} // namespace MagneticStripeCards::Cli
