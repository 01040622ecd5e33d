#include "KeyTranslation.h"

#include <array>
#include <utility>

namespace {
constexpr unsigned char kGraveAccent = 0x60;

constexpr std::array<std::pair<unsigned char, char>, 11> kShiftTable{{
    {0x27, 0x22}, // ' -> "
    {0x2C, 0x3C}, // , -> <
    {0x2D, 0x5F}, // - -> _
    {0x2E, 0x3E}, // . -> >
    {0x2F, 0x3F}, // / -> ?
    {0x3B, 0x3A}, // ; -> :
    {0x3D, 0x2B}, // = -> +
    {0x5B, 0x7B}, // [ -> {
    {0x5C, 0x7C}, // \ -> |
    {0x5D, 0x7D}, // ] -> }
    {0x60, 0x7E}, // ` -> ~
}};
} // namespace

char ShiftedPunctuation(unsigned char unshifted) {
    for (const auto& [plain, shifted] : kShiftTable) {
        if (plain == unshifted)
            return shifted;
    }
    return 0;
}

std::optional<char> ControlCharacter(char c) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= '@' && u <= '_') || (u >= 'a' && u <= 'z'))
        return static_cast<char>(u & 0x1Fu);
    return std::nullopt;
}

namespace {

TranslatedKey TranslateWithoutControl(std::uint16_t virtualKey, IKeyboardLayout& layout) {
    if (virtualKey == kVirtualKeyEnter)
        return {true, std::nullopt, kQuietPeriodAfterEnterMs};

    if (!layout.ReadKeyboardState())
        return {};
    const std::uint32_t unshifted = layout.MapVirtualKeyToChar(virtualKey);
    if (unshifted == 0)
        return {};

    const TranslatedKey counted{true, std::nullopt, kQuietPeriodAfterKeyMs};
    const auto c = static_cast<unsigned char>(unshifted & 0xFFu);
    unsigned char out[2] = {0, 0};
    const int n = layout.ToAscii(unshifted, virtualKey, out);

    if (n != 0) {
        // The grave-accent key's character doubles as a key code the layout service translates into
        // something else, so its own character is taken as it is.
        const unsigned char appended = c == kGraveAccent ? kGraveAccent : out[0];
        return {true, static_cast<char>(appended), kQuietPeriodAfterKeyMs};
    }
    if (layout.IsShiftDown()) {
        const char shifted = ShiftedPunctuation(c);
        if (shifted == 0)
            return counted;
        return {true, shifted, kQuietPeriodAfterKeyMs};
    }
    return {true, static_cast<char>(c), kQuietPeriodAfterKeyMs};
}

} // namespace

TranslatedKey TranslateKey(std::uint16_t virtualKey, IKeyboardLayout& layout) {
    TranslatedKey key = TranslateWithoutControl(virtualKey, layout);
    // Enter is no character, with or without Ctrl; Ctrl+M is the carriage return of a barcode.
    if (!key.character || !layout.IsControlDown())
        return key;
    if (const std::optional<char> control = ControlCharacter(*key.character))
        key.character = control;
    return key;
}
