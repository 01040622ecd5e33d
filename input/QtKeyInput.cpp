#include "QtKeyInput.h"

#include "CardText.h"

#include <QString>

namespace {

using MagneticStripeCards::CardText::IsPrintableAscii;

// The keys that type a character of their own although Qt gives them no printable text.
char32_t CharacterOfSpecialKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return U'\r';
    case Qt::Key_Backspace:
        return U'\b';
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return U'\t';
    case Qt::Key_Escape:
        return 0x1B;
    default:
        return 0;
    }
}

// Shift with the digit keys 0..9 of a US keyboard.
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

// The character of a letter or digit key whose text Ctrl replaced, as Shift makes it; a symbol's Qt key
// is the symbol itself (Ctrl+^ is Key_AsciiCircum).
char32_t CharacterOfKey(int qtKey, bool shift) {
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return static_cast<char32_t>(shift ? qtKey : qtKey - Qt::Key_A + 'a');
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return static_cast<char32_t>(shift ? kShiftedDigits[qtKey - Qt::Key_0] : qtKey);
    if (IsPrintableAscii(static_cast<char32_t>(qtKey)))
        return static_cast<char32_t>(qtKey);
    return 0;
}

} // namespace

ReaderKey ReaderKeyFromQt(int qtKey, const QString& text, Qt::KeyboardModifiers modifiers) {
    ReaderKey key;
    key.control = modifiers.testFlag(Qt::ControlModifier);
    if (text.size() == 1 && IsPrintableAscii(text.front().unicode())) {
        key.character = text.front().unicode();
        return key;
    }
    if (const char32_t special = CharacterOfSpecialKey(qtKey); special != 0) {
        key.character = special;
        return key;
    }
    key.character = CharacterOfKey(qtKey, modifiers.testFlag(Qt::ShiftModifier));
    return key;
}
