#pragma once
// The 19-ID barcode rules: a text that starts with '@' or '"' and holds all 19 element IDs of the table in
// BarcodeElements, read element by element as the station always read them.

#include "ScanFormat.h"

#include <string_view>

namespace MagneticStripeCards {

class LegacyBarcodeFormat final : public ScanFormat {
public:
    const char* Name() const override { return "barcode"; }
    bool Decode(const ScanWork& work, CardRecord& record) const override;

    // True only when these rules turn `text` away without touching a record or throwing: it starts with
    // neither '@' nor '"', or it lacks DBJ, one of the 19 IDs that AAMVA barcodes of version 02 and up
    // never carry. Carriage returns count as absent (the rules read the text without them), so the swipe
    // as it came gives the same answer. Costs a search for one letter, where the rules' own pass looks at
    // every 'D'.
    static bool CannotTake(std::string_view text);

    // How a scan that no format decodes fails, as these rules always failed it: an empty text with
    // std::out_of_range (no first character), a text that starts with neither '@' nor '"' with
    // std::logic_error `unknown`, a barcode that lacks one of the 19 IDs with std::out_of_range.
    [[noreturn]] static void RejectUnclaimed(const std::string& text, const std::string& unknown);
};

} // namespace MagneticStripeCards
