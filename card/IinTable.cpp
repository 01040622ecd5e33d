#include "IinTable.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace MagneticStripeCards::IinTable {
namespace {

// AAMVA DL/ID card design standard, issuer list (cross-checked; the NT number is unconfirmed).
constexpr Issuer kIssuers[] = {
    {"604426", "PE", "CAN"}, {"604427", "AS", "USA"}, {"604428", "QC", "CAN"}, {"604429", "YT", "CAN"},
    {"604430", "MP", "USA"}, {"604431", "PR", "USA"}, {"604432", "AB", "CAN"}, {"604433", "NU", "CAN"},
    {"604434", "NT", "CAN"}, {"636000", "VA", "USA"}, {"636001", "NY", "USA"}, {"636002", "MA", "USA"},
    {"636003", "MD", "USA"}, {"636004", "NC", "USA"}, {"636005", "SC", "USA"}, {"636006", "CT", "USA"},
    {"636007", "LA", "USA"}, {"636008", "MT", "USA"}, {"636009", "NM", "USA"}, {"636010", "FL", "USA"},
    {"636011", "DE", "USA"}, {"636012", "ON", "CAN"}, {"636013", "NS", "CAN"}, {"636014", "CA", "USA"},
    {"636015", "TX", "USA"}, {"636016", "NL", "CAN"}, {"636017", "NB", "CAN"}, {"636018", "IA", "USA"},
    {"636019", "GU", "USA"}, {"636020", "CO", "USA"}, {"636021", "AR", "USA"}, {"636022", "KS", "USA"},
    {"636023", "OH", "USA"}, {"636024", "VT", "USA"}, {"636025", "PA", "USA"}, {"636026", "AZ", "USA"},
    {"636027", "", "USA"},   {"636028", "BC", "CAN"}, {"636029", "OR", "USA"}, {"636030", "MO", "USA"},
    {"636031", "WI", "USA"}, {"636032", "MI", "USA"}, {"636033", "AL", "USA"}, {"636034", "ND", "USA"},
    {"636035", "IL", "USA"}, {"636036", "NJ", "USA"}, {"636037", "IN", "USA"}, {"636038", "MN", "USA"},
    {"636039", "NH", "USA"}, {"636040", "UT", "USA"}, {"636041", "ME", "USA"}, {"636042", "SD", "USA"},
    {"636043", "DC", "USA"}, {"636044", "SK", "CAN"}, {"636045", "WA", "USA"}, {"636046", "KY", "USA"},
    {"636047", "HI", "USA"}, {"636048", "MB", "CAN"}, {"636049", "NV", "USA"}, {"636050", "ID", "USA"},
    {"636051", "MS", "USA"}, {"636052", "RI", "USA"}, {"636053", "TN", "USA"}, {"636054", "NE", "USA"},
    {"636055", "GA", "USA"}, {"636056", "", "MEX"},   {"636057", "", "MEX"},   {"636058", "OK", "USA"},
    {"636059", "AK", "USA"}, {"636060", "WY", "USA"}, {"636061", "WV", "USA"}, {"636062", "VI", "USA"},
};

const char* const kProvinces[] = {"AB", "BC", "MB", "NB", "NL", "NS", "NT", "NU", "ON", "PE", "QC", "SK", "YT"};

// The numbers run without a gap from each range's first: an issuer is found by its distance from the
// first, not by a search (every scan looks its issuer up).
struct Range {
    int first;
    std::size_t count;
    std::size_t index; // of the range's first issuer in kIssuers
};
constexpr Range kRanges[] = {{604426, 9, 0}, {636000, 63, 9}};

constexpr int NumberOf(const char* digits) {
    int number = 0;
    for (int i = 0; i < 6; ++i)
        number = number * 10 + (digits[i] - '0');
    return number;
}

constexpr bool RangesCoverTheTable() {
    std::size_t covered = 0;
    for (const Range& range : kRanges) {
        for (std::size_t i = 0; i < range.count; ++i) {
            if (NumberOf(kIssuers[range.index + i].iin) != range.first + static_cast<int>(i))
                return false;
        }
        covered += range.count;
    }
    return covered == std::size(kIssuers);
}
static_assert(RangesCoverTheTable(), "the issuer ranges must list every issuer, in order and without gaps");

} // namespace

const Issuer* FindIssuer(std::string_view iin) {
    if (iin.size() != 6)
        return nullptr;
    int number = 0;
    for (const char c : iin) {
        if (c < '0' || c > '9')
            return nullptr;
        number = number * 10 + (c - '0');
    }
    for (const Range& range : kRanges) {
        if (number >= range.first && static_cast<std::size_t>(number - range.first) < range.count)
            return &kIssuers[range.index + static_cast<std::size_t>(number - range.first)];
    }
    return nullptr;
}

std::string IinOfJurisdiction(std::string_view code) {
    if (code.size() != 2)
        return {};
    for (const Issuer& issuer : kIssuers)
        if (code == issuer.jurisdiction)
            return issuer.iin;
    return {};
}

std::string CountryOfJurisdiction(std::string_view code) {
    if (code.size() != 2)
        return {};
    for (const char* province : kProvinces) {
        if (code == province)
            return "CAN";
    }
    const auto* const us = std::find_if(std::begin(kIssuers), std::end(kIssuers), [&](const Issuer& issuer) {
        return code == issuer.jurisdiction && std::strcmp(issuer.country, "USA") == 0;
    });
    return us == std::end(kIssuers) ? std::string() : "USA";
}

bool IsAamvaIin(std::string_view digits) {
    return digits.substr(0, 3) == "636" || digits.substr(0, 3) == "604";
}

std::string CardCountry(std::string_view declared, std::string_view iin, std::string_view jurisdiction) {
    if (declared == "USA" || declared == "CAN")
        return std::string(declared);
    if (const Issuer* issuer = FindIssuer(iin)) {
        if (std::strcmp(issuer->country, "MEX") != 0)
            return issuer->country;
    }
    return CountryOfJurisdiction(jurisdiction);
}

} // namespace MagneticStripeCards::IinTable
