#include "CardWarnings.h"

#include "IinTable.h"

namespace MagneticStripeCards {
namespace {

using namespace CardDates;

constexpr int kOldestAge = 120;
constexpr int kLongestStripeValidity = 10;

void IssuerHints(const CardRecord& r, std::vector<CardWarning>& out) {
    const IinTable::Issuer* issuer = IinTable::FindIssuer(r.issuerIin);
    if (issuer != nullptr && issuer->jurisdiction[0] != '\0' && r.state.size() == 2 && r.state != issuer->jurisdiction)
        out.push_back({"iin-jurisdiction", "Issuer number " + r.issuerIin + " belongs to " + issuer->jurisdiction +
                                               ", but the card's state is " + r.state + "."});
    const std::string headerCountry = issuer != nullptr ? issuer->country : "";
    if (!r.declaredCountry.empty() && !headerCountry.empty() && r.declaredCountry != headerCountry)
        out.push_back({"country-mismatch", "The barcode's issuer is in " + headerCountry +
                                               ", but its country field says " + r.declaredCountry + "."});
}

void InvalidDateHints(const CardRecord& r, std::vector<CardWarning>& out) {
    const struct {
        unsigned bit;
        const char* text;
    } kDates[] = {{kInvalidBirth, "The birth date is not a real date."},
                  {kInvalidExpiry, "The expiry date is not a real date."},
                  {kInvalidIssue, "The issue date is not a real date."},
                  {kInvalidUnder21, "The under-21 date is not a real date."}};
    for (const auto& date : kDates) {
        if (r.invalidDates & date.bit)
            out.push_back({"date-invalid", date.text});
    }
}

// Jurisdictions write 28 February or 1 March for a birthday on 29 February.
bool AgreesWithBirth(const CalendarDate& until, const CalendarDate& birth, int years) {
    const CalendarDate due = AddYears(birth, years);
    const bool leapling = birth.month == 2 && birth.day == 29;
    return until == due || (leapling && until == CalendarDate{due.year, 2, 28});
}

void DateHints(const CardRecord& r, std::vector<CardWarning>& out) {
    const CalendarDate today = Today(r.scanTime);
    if (r.expiry && r.issue && *r.expiry < *r.issue)
        out.push_back({"expiry-before-issue", "The card expires before it was issued."});
    if (r.issue && *r.issue > today)
        out.push_back({"issue-in-future", "The issue date is in the future."});
    if (r.birth && *r.birth > today)
        out.push_back({"birth-in-future", "The birth date is in the future."});
    if (r.age > kOldestAge)
        out.push_back({"age-over-120", "The holder would be over 120 years old."});
    if (r.under21 && r.birth && !AgreesWithBirth(*r.under21, *r.birth, 21))
        out.push_back({"under21-mismatch", "The under-21 date does not match the birth date."});
    if (r.monthExpiry && r.expiry && *r.expiry > AddYears(today, kLongestStripeValidity))
        out.push_back({"expiry-too-far", "The stripe's expiry is more than 10 years away."});
}

} // namespace

std::vector<CardWarning> FindWarnings(const CardRecord& record) {
    std::vector<CardWarning> out;
    IssuerHints(record, out);
    InvalidDateHints(record, out);
    DateHints(record, out);
    if (!record.splitAmbiguity.empty())
        out.push_back({"ambiguous-split", record.splitAmbiguity});
    return out;
}

} // namespace MagneticStripeCards
