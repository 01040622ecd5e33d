#pragma once
// Magnetic-stripe swipes (AAMVA tracks): three tracks, tracks 1 and 2, or track 2 alone, split and read
// with the stripe rules (StripeRules.h), whose groups are views into the scan text: a field is copied once,
// into the record.

#include "ScanFormat.h"

#include <string>
#include <vector>

namespace MagneticStripeCards {

class StripeFormat final : public ScanFormat {
public:
    const char* Name() const override { return "stripe"; }
    bool Decode(const ScanWork& work, CardRecord& record) const override;

    // The texts of the patterns the stripe rules stand for, each once: the equivalence tests and the fuzzer
    // check the linear matcher and the rules' scanners against the backtracking engine on exactly these.
    static std::vector<std::string> PatternTexts();
};

} // namespace MagneticStripeCards
