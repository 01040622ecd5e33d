#include "ScanFormat.h"

#include "AamvaBarcodeFormat.h"
#include "LegacyBarcodeFormat.h"
#include "StripeFormat.h"

namespace MagneticStripeCards {

ScanWork::ScanWork(const std::string& scan, const std::string& text, const Clock& now, const std::string& unknownText,
                   std::string& failed)
    : ScanWork(scan, &text, nullptr, now, unknownText, failed) {}

ScanWork::ScanWork(const std::string& scan, const std::string* text, std::string* store, const Clock& now,
                   const std::string& unknownText, std::string& failed)
    : swipe(scan), clock(now), unknown(unknownText), failedPart(failed), m_text(text), m_store(store) {}

ScanWork ScanWork::MakingText(const std::string& scan, std::string& store, const Clock& now,
                              const std::string& unknownText, std::string& failed) {
    return ScanWork(scan, nullptr, &store, now, unknownText, failed);
}

// Most scans have no carriage return: they are read as they came, without a copy.
const std::string& ScanWork::Text() const {
    if (m_text != nullptr)
        return *m_text;
    if (swipe.find('\r') == std::string::npos) {
        m_text = &swipe;
        return swipe;
    }
    std::string& text = *m_store;
    text.clear();
    text.reserve(swipe.size());
    std::size_t start = 0;
    for (std::size_t cr = swipe.find('\r'); cr != std::string::npos; cr = swipe.find('\r', start)) {
        text.append(swipe, start, cr - start);
        start = cr + 1;
    }
    text.append(swipe, start, std::string::npos);
    m_text = &text;
    return text;
}

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
