#pragma once
// One decoded scan. All decoding happens in the constructor:
//
//   swipe text --> the scan formats in turn (ScanFormat.h: stripe, an AAMVA barcode the 19-ID rules
//              cannot take, the 19-ID rules, any other AAMVA barcode) --> record
//              --> hints (CardWarnings.h)
//
// A format reads the scan text in place (the stripe rules give views into it) and copies a field once,
// into the record; a Card holds the record and its hints and nothing else. An undecodable scan throws
// std::logic_error "Unknown DL" (or std::out_of_range) after its text (or the part of it a format failed
// on, see ScanWork) has been handed to the installed unknown-scan sink (the unknown-swipe file in the
// station). A Card that exists never changes.

#include "CardDates.h"
#include "CardRecord.h"
#include "CardWarnings.h"
#include "Clock.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace MagneticStripeCards {

struct CardField;
class ScanWork;

class Card {
public:
    explicit Card(const std::string& swipe);
    Card(const std::string& swipe, const Clock& clock);
    virtual ~Card();

    Card(const Card&) = delete;
    Card& operator=(const Card&) = delete;

    const std::string& EyeColor() const;
    const std::string& HairColor() const;
    const std::string& Weight() const;
    const std::string& Height() const;
    const std::string& Sex() const;
    const std::string& Restrictions() const;
    const std::string& PostalCode() const;
    const std::string& BirthDate() const;
    const std::string& ExpirationDate() const;
    const std::string& DlNumber() const;
    const std::string& IsoIin() const;
    const std::string& Address() const;
    const std::string& Name() const;
    const std::string& State() const;
    const std::string& City() const;
    std::int32_t Age() const;
    bool Expired() const;
    const std::tm& ScanTime() const;
    const std::array<std::string, 3>& Tracks() const;

    // What every format adds.
    std::string Format() const;              // "stripe", "barcode" (the 19-ID rules) or "aamva"
    std::optional<int> AamvaVersion() const; // the barcode header's version
    const std::string& DocumentType() const; // "DL", "ID" or empty
    const std::string& LastName() const;     // the structured name, each part trimmed
    const std::string& FirstName() const;
    const std::string& MiddleName() const;
    const std::string& NameSuffix() const;
    std::string SexCode() const;              // "M", "F", "X" or "U"
    const std::string& Country() const;       // "USA", "CAN" or empty
    const NameTruncation& Truncation() const; // AAMVA DDE, DDF, DDG
    // "YYYY-MM-DD", or empty when the card has no such date that is a real date.
    std::string BirthDateIso() const;
    std::string ExpirationDateIso() const; // empty for a non-expiring stripe
    std::string IssueDateIso() const;
    std::string Under18Until() const;
    std::string Under19Until() const;
    std::string Under21Until() const;
    // The first day on which the holder is at least `validAge` by the card's age rule (29 February
    // gives 1 March in years without it); nullopt without a real birth date.
    std::optional<CalendarDate> ComesOfAgeOn(int validAge) const;
    // Signs of a forged or altered card, found while decoding; they never change age or expiry.
    const std::vector<CardWarning>& Warnings() const;

    // Texts the card renders.
    std::string DisplayName() const;    // "Doe John Q"
    std::string AgeText() const;        // "26", "-3"
    std::string ExpirationText() const; // "Dec-15-2008", empty when nothing was written
    std::string ResultLine() const;     // "14:05:33 - Doe John Q, 26 years"
    std::string LogRow() const;         // 19 quoted, comma-separated fields, no line end
    // With `personalData` false only the date and time, age, sex, state, expiry date and the date and time
    // columns keep their values; the other fields are empty (for venues that must not keep more).
    std::string LogRow(bool personalData) const;
    // With only the fields `keep` accepts holding their values (a venue's privacy profile).
    std::string LogRow(const std::function<bool(const CardField&)>& keep) const;
    // LogRow() or LogRow(keep) appended to `row`: a batch writes its rows into one buffer.
    void AppendLogRow(std::string& row) const;
    void AppendLogRow(std::string& row, const std::function<bool(const CardField&)>& keep) const;

    // 1 -> "Jan" ... 12 -> "Dec", anything else -> "".
    static std::string MonthName(int month);

private:
    struct Subject;
    void Decode(const ScanWork& work);
    static void Reject(const Subject& subject) noexcept;

    CardRecord record;
    std::vector<CardWarning> warnings;
};

} // namespace MagneticStripeCards
