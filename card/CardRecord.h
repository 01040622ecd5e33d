#pragma once
// Everything a format decodes from one scan. A format fills a fresh record; the Card keeps the record of
// the format that took the scan and never changes it afterwards.

#include "CardDates.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace MagneticStripeCards {

// The dates a card may carry that was present but was not a real calendar date.
enum InvalidDate : unsigned {
    kInvalidBirth = 1u << 0,
    kInvalidExpiry = 1u << 1,
    kInvalidIssue = 1u << 2,
    kInvalidUnder21 = 1u << 3,
};

// AAMVA truncation flags (DDE, DDF, DDG): 'T' truncated, 'N' not, 'U' unknown, '\0' when absent.
struct NameTruncation {
    char family = '\0';
    char first = '\0';
    char middle = '\0';
};

struct CardRecord {
    // The holder fields of the scan log, as single-byte texts.
    std::string eyeColor;
    std::string hairColor;
    std::string weight;
    std::string height;
    std::string sex; // "MALE", "FEMALE", "NOT SPECIFIED", "X" or empty
    std::string restrictions;
    std::string postalCode;
    std::string birthDate;
    std::string expirationDate;
    std::string expirationText; // written once by the date rules, read back whole
    std::string dlNumber;
    std::string isoIin;
    std::string address;
    std::string name;
    std::string state;
    std::string city;
    // Until a date converts, the card claims neither an age nor a licence that is still valid.
    std::int32_t age = 0;
    bool expired = true;
    std::tm scanTime{};
    std::array<std::string, 3> tracks;

    // What every format adds for kestrin-decode, the verdict and the hints.
    const char* format = "";         // "stripe", "barcode" (the 19-ID rules) or "aamva"
    std::optional<int> aamvaVersion; // as the barcode header gives it
    std::string documentType;        // "DL", "ID" or empty
    std::string lastName;
    std::string firstName;
    std::string middleName;
    std::string nameSuffix;
    std::string country;         // "USA", "CAN" or empty
    std::string issuerIin;       // the issuer number the card carries (track 2 or barcode header)
    std::string declaredCountry; // the barcode's DCG as written, trimmed
    NameTruncation truncation;
    std::optional<CalendarDate> birth;
    std::optional<CalendarDate> expiry; // none for a non-expiring stripe
    std::optional<CalendarDate> issue;
    std::optional<CalendarDate> under18;
    std::optional<CalendarDate> under19;
    std::optional<CalendarDate> under21;
    unsigned invalidDates = 0; // InvalidDate bits
    // Run-together barcode elements that split equally well in several ways: what the ways disagree on
    // (never the birth or expiry date, which makes the scan unknown); empty when one way fits best.
    std::string splitAmbiguity;
    bool monthExpiry = false; // the expiry came from a stripe's year and month
};

} // namespace MagneticStripeCards
