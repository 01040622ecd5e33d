#pragma once
// Magnetic-stripe swipes (AAMVA tracks): three tracks, tracks 1 and 2, or track 2 alone, split and read
// by the card's matcher with the stripe patterns.

#include "ScanFormat.h"

#include <string>
#include <vector>

namespace MagneticStripeCards {

class StripeFormat final : public ScanFormat {
public:
    const char* Name() const override { return "stripe"; }
    bool Decode(const ScanWork& work, CardRecord& record) const override;

    // The texts of the patterns the stripe rules match with, each once: the matcher's equivalence test
    // and the fuzzer check the linear matcher against the backtracking engine on exactly these.
    static std::vector<std::string> PatternTexts();
};

} // namespace MagneticStripeCards
