#pragma once
// Qt key presses as the reader's US keyboard would have sent them. The typed character (text()) is the
// authority: under X11 xdotool presses Shift for capitals and symbols, under the offscreen platform no
// modifier is reported at all, so Shift is worked out from the character itself, which makes the swipe
// text equal the typed text byte for byte. Keys without a printable character go by their Qt key code.

#include <QtCore/qnamespace.h>

#include <cstdint>

class QKeyEvent;
class QString;
class ScanCycle;
class UsKeyboardLayout;

struct UsKeyStroke {
    std::uint16_t virtualKey = 0; // 0: a key the US layout gives no character (ignored by the cycle)
    bool shift = false;
    bool capsLock = false;
};

UsKeyStroke UsKeyStrokeFromQt(int qtKey, const QString& text, Qt::KeyboardModifiers modifiers);

// Feeds one key press to the cycle; `layout` must be the layout the cycle was built with.
void FeedKeyPress(ScanCycle& cycle, UsKeyboardLayout& layout, const QKeyEvent& event);
