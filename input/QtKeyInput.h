#pragma once
// Qt key presses as the reader's US keyboard would have sent them. The typed character is the authority:
// the one the reader's key position gives on a US layout (ReaderKeymap), or Qt's text() when the keys go
// by the desktop's layout. Under X11 xdotool presses Shift for capitals and symbols, under the offscreen
// platform no modifier is reported at all, so Shift is worked out from the character itself, which makes
// the swipe text equal the typed text byte for byte. Keys without a printable character go by their Qt
// key code. Ctrl is passed on as it was reported: the keystroke handler makes the control byte.

#include <QtCore/qnamespace.h>

#include <cstdint>

class QKeyEvent;
class QString;

struct UsKeyStroke {
    std::uint16_t virtualKey = 0; // 0: a key the US layout gives no character (ignored by the cycle)
    bool shift = false;
    bool capsLock = false;
    bool control = false;
};

// By the text the desktop's layout made of the key.
UsKeyStroke UsKeyStrokeFromQt(int qtKey, const QString& text, Qt::KeyboardModifiers modifiers);

// The US key that types `c`, the character of a key as it types without Ctrl (0: none).
UsKeyStroke UsKeyStrokeOfCharacter(char32_t c, bool control);
