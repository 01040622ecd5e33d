#pragma once
// The scan formats the decoder knows, in the order they are tried:
//
//   scan text --> stripe (tracks 1-3) --> aamva, for barcodes the 19-ID rules cannot take
//             --> barcode (the 19-ID rules) --> aamva, for the barcodes they could have taken
//
// Each format says whether a scan is its own and decodes it into a fresh record. The first format that
// decodes a scan wins; a scan that no format decodes is unknown. A format neither keeps state nor does I/O.
// The AAMVA format runs ahead of the 19-ID rules only on texts those rules would turn away untouched
// (LegacyBarcodeFormat::CannotTake), so moving it there changes no result and spares every AAMVA barcode
// the rules' pass.

#include "CardRecord.h"
#include "Clock.h"

#include <array>
#include <string>

namespace MagneticStripeCards {

// What a format works with while it decodes one scan.
class ScanWork {
public:
    // `text` is `swipe` without its carriage returns.
    ScanWork(const std::string& swipe, const std::string& text, const Clock& clock, const std::string& unknown,
             std::string& failedPart);
    // The text without carriage returns made into `store` when a format first asks for it: the AAMVA
    // format reads the swipe as it came, and the header of an AAMVA barcode holds a carriage return.
    static ScanWork MakingText(const std::string& swipe, std::string& store, const Clock& clock,
                               const std::string& unknown, std::string& failedPart);

    // The swipe without carriage returns, as the field rules see it.
    const std::string& Text() const;

    const std::string& swipe; // as the reader typed it
    const Clock& clock;
    const std::string& unknown; // the "Unknown DL" message
    // What the unknown-swipe file gets when no format decodes the scan: the text while this stays empty; a
    // format that fails while reading one part of the scan (the stripe's track 2) puts that part here.
    std::string& failedPart;

private:
    ScanWork(const std::string& swipe, const std::string* text, std::string* store, const Clock& clock,
             const std::string& unknown, std::string& failedPart);

    mutable const std::string* m_text; // null until made
    std::string* m_store;              // where it is made
};

class ScanFormat {
public:
    virtual ~ScanFormat() = default;

    // "stripe", "barcode" or "aamva".
    virtual const char* Name() const = 0;

    // False when the scan is not of this format (`record` is then untouched); true when it decoded into
    // `record`. A scan of this format that cannot be read throws std::logic_error (or std::out_of_range).
    virtual bool Decode(const ScanWork& work, CardRecord& record) const = 0;
};

const std::array<const ScanFormat*, 4>& ScanFormats();

} // namespace MagneticStripeCards
