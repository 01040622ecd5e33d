#include "CardWarnings.h"

#include "IinTable.h"

#include <string_view>
#include <utility>

namespace MagneticStripeCards {
namespace {

using namespace CardDates;

constexpr int kOldestAge = 120;
constexpr int kLongestStripeValidity = 10;
// Room for the hints a card with any usually has, taken at the first: one allocation, and none without.
constexpr std::size_t kUsualHints = 4;

void Add(std::vector<CardWarning>& out, const char* code, std::string text) {
    if (out.capacity() == 0)
        out.reserve(kUsualHints);
    out.push_back(CardWarning{code, std::move(text)});
}

void IssuerHints(const CardRecord& r, std::vector<CardWarning>& out) {
    const IinTable::Issuer* issuer = IinTable::FindIssuer(r.issuerIin);
    if (issuer == nullptr)
        return;
    const std::string_view jurisdiction = issuer->jurisdiction;
    if (!jurisdiction.empty() && r.state.size() == 2 && std::string_view(r.state) != jurisdiction)
        Add(out, "iin-jurisdiction",
            "Issuer number " + r.issuerIin + " belongs to " + issuer->jurisdiction + ", but the card's state is " +
                r.state + ".");
    const std::string_view headerCountry = issuer->country;
    if (!r.declaredCountry.empty() && !headerCountry.empty() && std::string_view(r.declaredCountry) != headerCountry)
        Add(out, "country-mismatch",
            "The barcode's issuer is in " + std::string(headerCountry) + ", but its country field says " +
                r.declaredCountry + ".");
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
            Add(out, "date-invalid", date.text);
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
        Add(out, "expiry-before-issue", "The card expires before it was issued.");
    if (r.issue && *r.issue > today)
        Add(out, "issue-in-future", "The issue date is in the future.");
    if (r.birth && *r.birth > today)
        Add(out, "birth-in-future", "The birth date is in the future.");
    if (r.age > kOldestAge)
        Add(out, "age-over-120", "The holder would be over 120 years old.");
    if (r.under21 && r.birth && !AgreesWithBirth(*r.under21, *r.birth, 21))
        Add(out, "under21-mismatch", "The under-21 date does not match the birth date.");
    if (r.monthExpiry && r.expiry && *r.expiry > AddYears(today, kLongestStripeValidity))
        Add(out, "expiry-too-far", "The stripe's expiry is more than 10 years away.");
}

} // namespace

std::vector<CardWarning> FindWarnings(const CardRecord& record) {
    std::vector<CardWarning> out;
    IssuerHints(record, out);
    InvalidDateHints(record, out);
    DateHints(record, out);
    if (!record.splitAmbiguity.empty())
        Add(out, "ambiguous-split", record.splitAmbiguity);
    return out;
}

} // namespace MagneticStripeCards
