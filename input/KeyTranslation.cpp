#include "KeyTranslation.h"

#include "CardText.h"

std::optional<char> ControlCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= '@' && u <= '_') || (u >= 'a' && u <= 'z'))
        return static_cast<char>(u & 0x1Fu);
    return std::nullopt;
}

namespace {

bool AddsItsByte(char32_t c) {
    return MagneticStripeCards::CardText::IsPrintableAscii(c) || c == U'\b' || c == U'\t' || c == 0x1B;
}

} // namespace

TranslatedKey TranslateKey(const ReaderKey& key) {
    if (key.character == U'\r')
        return {true, std::nullopt, kQuietPeriodAfterEnterMs};
    if (!AddsItsByte(key.character))
        return {};
    auto byte = static_cast<char>(key.character);
    if (key.control)
        byte = ControlCharacter(byte).value_or(byte);
    return {true, byte, kQuietPeriodAfterKeyMs};
}
