#pragma once
// One decoded scan. All decoding happens in the constructor:
//
//   swipe text --(track patterns)--> tracks 1..3 --(field rules)--> holder fields --(date rules)--> age,
//   expired, date texts          \--(starts with '@' or '"')--> barcode record rules --/
//
// An undecodable scan throws std::logic_error "Unknown DL" (or std::out_of_range) after its text has been
// appended to the unknown-swipe file in the log folder. A Card that exists never changes.

#include "Clock.h"

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
    std::string DisplayName() const;     // "Doe John Q"
    std::string AgeText() const;         // "26", "-3"
    std::string ExpirationText() const;  // "Dec-15-2008", empty when nothing was written
    std::string ResultLine() const;      // "14:05:33 - Doe John Q, 26 years"
    std::string LogRow() const;          // 19 quoted, comma-separated fields, no line end

    // 1 -> "Jan" ... 12 -> "Dec", anything else -> "".
    static std::string MonthName(int month);

private:
    struct Impl;
    // Implementation detail owned by the card decoder; see Card.cpp.
    // (The decoder may replace this with plain members; the public interface above is the contract.)
};

// The 24-character asctime form with a zero-padded day: "Sun Jan 02 09:05:03 2005".
std::string AscTime24(const std::tm& t);

} // namespace MagneticStripeCards
