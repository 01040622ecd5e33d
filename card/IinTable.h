#pragma once
// The AAMVA issuer identification numbers (IIN) of the US and Canadian jurisdictions, and the country a
// card belongs to.

#include <string>
#include <string_view>

namespace MagneticStripeCards::IinTable {

struct Issuer {
    const char* iin;
    const char* jurisdiction; // two-letter state or province code; "" for federal and foreign issuers
    const char* country;      // "USA", "CAN" or "MEX"
};

// nullptr when `iin` (six digits) is not in the table.
const Issuer* FindIssuer(std::string_view iin);
// The issuer number of a US or Canadian jurisdiction ("TX" -> "636015"); empty when it has none.
std::string IinOfJurisdiction(std::string_view code);
// "USA" or "CAN" for a US state, district or territory or a Canadian province or territory, else "".
std::string CountryOfJurisdiction(std::string_view code);
// True for the AAMVA ranges 636xxx and 604xxx.
bool IsAamvaIin(std::string_view digits);
// The card's country: `declared` when it is "USA" or "CAN", else the issuer's, else the jurisdiction's.
std::string CardCountry(std::string_view declared, std::string_view iin, std::string_view jurisdiction);

} // namespace MagneticStripeCards::IinTable
