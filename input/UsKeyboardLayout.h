#pragma once
// The US keyboard layout as the Windows layout service reports it, for the reader's keys: virtual-key
// codes, their unshifted characters, and the characters Shift and Caps Lock make of them. The Shift, Caps
// Lock and Ctrl state is set by whoever feeds the key, before each key-down.

#include "IKeyboardLayout.h"

#include <cstdint>

namespace VirtualKey {
inline constexpr std::uint16_t Back = 0x08;
inline constexpr std::uint16_t Tab = 0x09;
inline constexpr std::uint16_t Return = 0x0D;
inline constexpr std::uint16_t Shift = 0x10;
inline constexpr std::uint16_t Control = 0x11;
inline constexpr std::uint16_t Menu = 0x12; // Alt
inline constexpr std::uint16_t Pause = 0x13;
inline constexpr std::uint16_t Capital = 0x14; // Caps Lock
inline constexpr std::uint16_t Escape = 0x1B;
inline constexpr std::uint16_t Space = 0x20;
inline constexpr std::uint16_t Prior = 0x21;
inline constexpr std::uint16_t Next = 0x22;
inline constexpr std::uint16_t End = 0x23;
inline constexpr std::uint16_t Home = 0x24;
inline constexpr std::uint16_t Left = 0x25;
inline constexpr std::uint16_t Up = 0x26;
inline constexpr std::uint16_t Right = 0x27;
inline constexpr std::uint16_t Down = 0x28;
inline constexpr std::uint16_t Snapshot = 0x2C;
inline constexpr std::uint16_t Insert = 0x2D;
inline constexpr std::uint16_t Delete = 0x2E;
inline constexpr std::uint16_t LWin = 0x5B;
inline constexpr std::uint16_t Apps = 0x5D;
inline constexpr std::uint16_t Numpad0 = 0x60;
inline constexpr std::uint16_t Numpad9 = 0x69;
inline constexpr std::uint16_t Multiply = 0x6A;
inline constexpr std::uint16_t Add = 0x6B;
inline constexpr std::uint16_t Subtract = 0x6D;
inline constexpr std::uint16_t Decimal = 0x6E;
inline constexpr std::uint16_t Divide = 0x6F;
inline constexpr std::uint16_t F1 = 0x70;
inline constexpr std::uint16_t F24 = 0x87;
inline constexpr std::uint16_t NumLock = 0x90;
inline constexpr std::uint16_t Scroll = 0x91;
inline constexpr std::uint16_t Oem1 = 0xBA;      // ; :
inline constexpr std::uint16_t OemPlus = 0xBB;   // = +
inline constexpr std::uint16_t OemComma = 0xBC;  // , <
inline constexpr std::uint16_t OemMinus = 0xBD;  // - _
inline constexpr std::uint16_t OemPeriod = 0xBE; // . >
inline constexpr std::uint16_t Oem2 = 0xBF;      // / ?
inline constexpr std::uint16_t Oem3 = 0xC0;      // ` ~
inline constexpr std::uint16_t Oem4 = 0xDB;      // [ {
inline constexpr std::uint16_t Oem5 = 0xDC;      // \ |
inline constexpr std::uint16_t Oem6 = 0xDD;      // ] }
inline constexpr std::uint16_t Oem7 = 0xDE;      // ' "
} // namespace VirtualKey

class UsKeyboardLayout final : public IKeyboardLayout {
public:
    // The modifier state of the key about to be fed.
    void SetModifiers(bool shift, bool capsLock, bool control = false);

    bool ReadKeyboardState() override { return true; }
    std::uint32_t MapVirtualKeyToChar(std::uint16_t virtualKey) const override;
    // Translates `unshifted` as a virtual-key code (which is how the keystroke handler calls it), with
    // Num Lock on; the scan-code argument is not needed by this layout.
    int ToAscii(std::uint32_t unshifted, std::uint16_t virtualKey, unsigned char out[2]) const override;
    bool IsShiftDown() const override { return m_shift; }
    bool IsControlDown() const override { return m_control; }

    // The key that types `c` (printable ASCII) on a US keyboard, and whether Shift is needed for it with
    // Caps Lock off; false when no single key types it.
    static bool KeyForCharacter(char c, std::uint16_t& virtualKey, bool& shift);

private:
    bool m_shift = false;
    bool m_capsLock = false;
    bool m_control = false;
};
