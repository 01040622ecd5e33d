#pragma once
// One decoded scan. All decoding happens in the constructor:
//
//   swipe text --(track patterns)--> tracks 1..3 --(field rules)--> holder fields --(date rules)--> age,
//   expired, date texts          \--(starts with '@' or '"')--> barcode record rules --/
//
// An undecodable scan throws std::logic_error "Unknown DL" (or std::out_of_range) after its text has been
// handed to the installed unknown-scan sink (the unknown-swipe file in the station). A Card that exists
// never changes.

#include "Clock.h"
#include "RegularExpression.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <string>

namespace MagneticStripeCards {

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

    // Texts the card renders.
    std::string DisplayName() const;    // "Doe John Q"
    std::string AgeText() const;        // "26", "-3"
    std::string ExpirationText() const; // "Dec-15-2008", empty when nothing was written
    std::string ResultLine() const;     // "14:05:33 - Doe John Q, 26 years"
    std::string LogRow() const;         // 19 quoted, comma-separated fields, no line end
    // With `personalData` false only the date and time, age, sex, state, expiry date and the date and time
    // columns keep their values; the other fields are empty (for venues that must not keep more).
    std::string LogRow(bool personalData) const;

    // 1 -> "Jan" ... 12 -> "Dec", anything else -> "".
    static std::string MonthName(int month);

private:
    struct StripeDates; // the working numbers of the track-2 date rules

    void OnMatchingHandler(RegexClass::RegularExpression* sender, const RegexClass::CaptureList& list, int lineNumber,
                           int lineStart);
    std::string ExtractGroup(const std::string& pattern);

    void Decode(const std::string& swipe, const Clock& clock, const std::string& unknown);
    bool SplitTracks(const std::string& swipe);
    void DecodeTrack1();
    StripeDates DecodeTrack2();
    void DecodeTrack3();
    void FinishStripeDates(const StripeDates& dates);
    void DecodeBarcode(const std::string& text, const Clock& clock, const std::string& unknown);
    void ApplyBarcodeExpiry(const std::string& value);
    void ApplyBarcodeBirth(const std::string& value, const Clock& clock, const std::string& unknown);
    void Reject() noexcept;

    std::string eyeColor;
    std::string hairColor;
    std::string weight;
    std::string height;
    std::string sex;
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
    std::tm scanTime{};
    std::array<std::string, 3> tracks;
    RegexClass::RegularExpression matcher;
    RegexClass::CaptureList captures;
    bool expired = true;
};

// The 24-character asctime form with a zero-padded day: "Sun Jan 02 09:05:03 2005".
std::string AscTime24(const std::tm& t);

} // namespace MagneticStripeCards
