#pragma once
// AAMVA DL/ID barcodes of versions 01 to 11 (newer ones read as 11), licences and ID cards, as keyboard-
// wedge readers type them:
//
//   text --(stray bytes out)--> header (IIN, version, designators) --> the DL or ID subfile
//        --(separators, or the version's IDs when they were lost)--> elements --> card fields
//
// A scan with such a header that yields no subfile or no real birth date is unknown.

#include "ScanFormat.h"

namespace MagneticStripeCards {

class AamvaBarcodeFormat final : public ScanFormat {
public:
    // Which texts this instance reads: those the 19-ID rules cannot take (its turn comes before theirs),
    // or the others (after theirs). Between them the two turns read every text once.
    enum class Turn { BeforeLegacyRules, AfterLegacyRules };

    explicit AamvaBarcodeFormat(Turn turn) : m_turn(turn) {}

    const char* Name() const override { return "aamva"; }
    bool Decode(const ScanWork& work, CardRecord& record) const override;

private:
    Turn m_turn;
};

} // namespace MagneticStripeCards
