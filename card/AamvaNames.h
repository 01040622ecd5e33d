#pragma once
// The holder's name as AAMVA barcodes write it: a full name "FAMILY,GIVEN,MIDDLE[,SUFFIX]" (version 01,
// some cards with spaces), given names "FIRST,MIDDLE" or "FIRST MIDDLE" (versions 02 and 03), or one
// element per part (version 04 and up, and some version-01 cards).

#include <string>
#include <string_view>

namespace MagneticStripeCards::AamvaNames {

struct Parts {
    std::string last;
    std::string first;
    std::string middle; // several middle names joined by a space
    std::string suffix;
};

// "NONE", "unavl" and "unavail" (any case) stand for a name part the holder does not have.
bool IsNoName(std::string_view value);
// The part trimmed, or empty when it is no name.
std::string Part(std::string_view value);
// The same as a view into `value`.
std::string_view PartView(std::string_view value);
// Middle names separated by commas (or spaces), joined by single spaces, without the no-names.
std::string Middle(std::string_view value);

Parts FromFullName(std::string_view full);
// `given` holds the first name and then the middle names.
void SplitGivenNames(std::string_view given, Parts& parts);

// "FAMILY FIRST MIDDLE SUFFIX" without the empty parts: the form a stripe's name takes.
std::string FullName(std::string_view last, std::string_view first, std::string_view middle, std::string_view suffix);

} // namespace MagneticStripeCards::AamvaNames
