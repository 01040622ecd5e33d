#pragma once
// The keyboard-layout service the keystroke handler translates keys with, in the terms of the Windows
// functions it stands for. The station feeds a US layout (the reader's) from Qt key events; tests build
// their own.

#include <cstdint>

class IKeyboardLayout {
public:
    virtual ~IKeyboardLayout() = default;

    // GetKeyboardState: false when the keyboard state cannot be read (the key is then ignored).
    virtual bool ReadKeyboardState() = 0;
    // MapVirtualKeyEx(vk, MAPVK_VK_TO_CHAR): the unshifted character of the key, 0 when it has none.
    virtual std::uint32_t MapVirtualKeyToChar(std::uint16_t virtualKey) const = 0;
    // ToAsciiEx(unshifted in place of the virtual key, vk in place of the scan code, state, out, 0):
    // number of characters written to out (0, 1 or 2; dead keys count as non-zero).
    virtual int ToAscii(std::uint32_t unshifted, std::uint16_t virtualKey, unsigned char out[2]) const = 0;
    // GetKeyState(VK_SHIFT) < 0
    virtual bool IsShiftDown() const = 0;
    // GetKeyState(VK_CONTROL) < 0
    virtual bool IsControlDown() const = 0;
};
