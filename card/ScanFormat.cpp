#include "ScanFormat.h"

#include "AamvaBarcodeFormat.h"
#include "LegacyBarcodeFormat.h"
#include "StripeFormat.h"

namespace MagneticStripeCards {

// Stripes first; the 19-ID barcode rules exactly as the station always had them, and the AAMVA format for
// every barcode those rules do not take: ahead of them where they cannot take it, after them otherwise.
const std::array<const ScanFormat*, 4>& ScanFormats() {
    static const StripeFormat stripe;
    static const AamvaBarcodeFormat aamvaFirst(AamvaBarcodeFormat::Turn::BeforeLegacyRules);
    static const LegacyBarcodeFormat legacy;
    static const AamvaBarcodeFormat aamvaAfter(AamvaBarcodeFormat::Turn::AfterLegacyRules);
    static const std::array<const ScanFormat*, 4> formats = {&stripe, &aamvaFirst, &legacy, &aamvaAfter};
    return formats;
}

} // namespace MagneticStripeCards
