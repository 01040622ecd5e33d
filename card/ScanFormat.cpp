#include "ScanFormat.h"

#include "AamvaBarcodeFormat.h"
#include "LegacyBarcodeFormat.h"
#include "StripeFormat.h"

namespace MagneticStripeCards {

// Stripes first; the 19-ID barcode rules exactly as the station always had them; the AAMVA format for
// every barcode those rules do not take.
const std::array<const ScanFormat*, 3>& ScanFormats() {
    static const StripeFormat stripe;
    static const LegacyBarcodeFormat legacy;
    static const AamvaBarcodeFormat aamva;
    static const std::array<const ScanFormat*, 3> formats = {&stripe, &legacy, &aamva};
    return formats;
}

} // namespace MagneticStripeCards
