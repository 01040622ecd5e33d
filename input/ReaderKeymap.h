#pragma once
// Which characters the reader's key presses stand for. A reader in keyboard mode presses the keys of a
// US keyboard whatever layout the desktop has, so by default each press is read by its position (the X
// key code Qt reports as the native scan code) through a fixed US keymap: a station whose desktop layout
// is Canadian French or German reads every scan. "Reader Layout" = "desktop" takes the characters the
// desktop's own layout gives instead, for a reader set up to match it.
//
//   QKeyEvent --(key code, Shift/Caps/Num Lock)--> US keymap --> character --> ReaderKey (+ Ctrl)
//   QKeyEvent --(text, Qt key: ReaderKeyFromQt)---------------------------> ReaderKey (+ Ctrl)
//
// Events without a key code (synthesised ones, the offscreen platform) always go by their text.

#include "ReaderKey.h"
#include "XkbKeymap.h"

#include <memory>
#include <string>

class QKeyEvent;

class ReaderKeymap {
public:
    enum class Source { UsPositions, DesktopLayout };

    explicit ReaderKeymap(Source source);
    // From the "Reader Layout" setting: absent, empty or "us" mean US positions, "desktop" the desktop's
    // layout (either in any case). Any other value, and a US keymap that cannot be built, is said on
    // standard error; the station then reads US positions, or the desktop's layout without a keymap.
    static ReaderKeymap FromSetting(const std::string& readerLayout);

    // UsPositions unless the US keymap could not be built.
    Source ActiveSource() const;

    // The character the reader meant by the key, as it types without Ctrl; 0 when it has none.
    char32_t Character(const QKeyEvent& event) const;
    ReaderKey Key(const QKeyEvent& event) const;

private:
    bool ByPosition(const QKeyEvent& event) const;

    std::unique_ptr<XkbKeymap> m_us; // null: the desktop's layout
};
