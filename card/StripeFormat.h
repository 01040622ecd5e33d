#pragma once
// Magnetic-stripe swipes (AAMVA tracks): three tracks, tracks 1 and 2, or track 2 alone, split and read
// by the card's matcher with the stripe patterns.

#include "ScanFormat.h"

namespace MagneticStripeCards {

class StripeFormat final : public ScanFormat {
public:
    const char* Name() const override { return "stripe"; }
    bool Decode(const ScanWork& work, CardRecord& record) const override;
};

} // namespace MagneticStripeCards
