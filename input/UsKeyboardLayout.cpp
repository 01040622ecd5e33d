#include "UsKeyboardLayout.h"

#include <array>
#include <cstring>

namespace {

struct PunctuationKey {
    std::uint16_t virtualKey;
    char plain;
    char shifted;
};

constexpr std::array<PunctuationKey, 11> kPunctuationKeys{{
    {VirtualKey::Oem1, ';', ':'},
    {VirtualKey::OemPlus, '=', '+'},
    {VirtualKey::OemComma, ',', '<'},
    {VirtualKey::OemMinus, '-', '_'},
    {VirtualKey::OemPeriod, '.', '>'},
    {VirtualKey::Oem2, '/', '?'},
    {VirtualKey::Oem3, '`', '~'},
    {VirtualKey::Oem4, '[', '{'},
    {VirtualKey::Oem5, '\\', '|'},
    {VirtualKey::Oem6, ']', '}'},
    {VirtualKey::Oem7, '\'', '"'},
}};

// Shift with the digit keys 0..9.
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

bool IsLetterKey(std::uint32_t vk) {
    return vk >= 'A' && vk <= 'Z';
}
bool IsDigitKey(std::uint32_t vk) {
    return vk >= '0' && vk <= '9';
}

const PunctuationKey* FindPunctuationKey(std::uint32_t vk) {
    for (const auto& key : kPunctuationKeys) {
        if (key.virtualKey == vk)
            return &key;
    }
    return nullptr;
}

int Emit(char c, unsigned char out[2]) {
    out[0] = static_cast<unsigned char>(c);
    return 1;
}

} // namespace

void UsKeyboardLayout::SetModifiers(bool shift, bool capsLock, bool control) {
    m_shift = shift;
    m_capsLock = capsLock;
    m_control = control;
}

std::uint32_t UsKeyboardLayout::MapVirtualKeyToChar(std::uint16_t virtualKey) const {
    if (IsLetterKey(virtualKey) || IsDigitKey(virtualKey))
        return virtualKey;
    switch (virtualKey) {
    case VirtualKey::Back:
    case VirtualKey::Tab:
    case VirtualKey::Return:
    case VirtualKey::Escape:
    case VirtualKey::Space:
        return virtualKey;
    case VirtualKey::Multiply:
        return '*';
    case VirtualKey::Add:
        return '+';
    case VirtualKey::Subtract:
        return '-';
    case VirtualKey::Decimal:
        return '.';
    case VirtualKey::Divide:
        return '/';
    default:
        break;
    }
    if (virtualKey >= VirtualKey::Numpad0 && virtualKey <= VirtualKey::Numpad9)
        return '0' + (virtualKey - VirtualKey::Numpad0);
    if (const PunctuationKey* key = FindPunctuationKey(virtualKey))
        return static_cast<unsigned char>(key->plain);
    return 0;
}

int UsKeyboardLayout::ToAscii(std::uint32_t unshifted, std::uint16_t /*virtualKey*/, unsigned char out[2]) const {
    const std::uint32_t vk = unshifted;
    out[0] = out[1] = 0;
    if (IsLetterKey(vk)) {
        const bool upper = m_shift != m_capsLock;
        return Emit(static_cast<char>(upper ? vk : vk - 'A' + 'a'), out);
    }
    if (IsDigitKey(vk))
        return Emit(m_shift ? kShiftedDigits[vk - '0'] : static_cast<char>(vk), out);
    switch (vk) {
    case VirtualKey::Back:
    case VirtualKey::Tab:
    case VirtualKey::Return:
    case VirtualKey::Escape:
    case VirtualKey::Space:
        return Emit(static_cast<char>(vk), out);
    case VirtualKey::Multiply:
        return Emit('*', out);
    case VirtualKey::Add:
        return Emit('+', out);
    case VirtualKey::Subtract:
        return Emit('-', out);
    case VirtualKey::Divide:
        return Emit('/', out);
    default:
        break;
    }
    // With Num Lock on, Shift turns the keypad's digit and decimal keys into cursor keys.
    if (vk >= VirtualKey::Numpad0 && vk <= VirtualKey::Numpad9)
        return m_shift ? 0 : Emit(static_cast<char>('0' + (vk - VirtualKey::Numpad0)), out);
    if (vk == VirtualKey::Decimal)
        return m_shift ? 0 : Emit('.', out);
    if (const PunctuationKey* key = FindPunctuationKey(vk))
        return Emit(m_shift ? key->shifted : key->plain, out);
    return 0;
}

bool UsKeyboardLayout::KeyForCharacter(char c, std::uint16_t& virtualKey, bool& shift) {
    if (c >= 'a' && c <= 'z') {
        virtualKey = static_cast<std::uint16_t>(c - 'a' + 'A');
        shift = false;
        return true;
    }
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') {
        virtualKey = static_cast<std::uint16_t>(c);
        shift = c >= 'A' && c <= 'Z';
        return true;
    }
    if (const char* digit = std::strchr(kShiftedDigits, c); digit && c != '\0') {
        virtualKey = static_cast<std::uint16_t>('0' + (digit - kShiftedDigits));
        shift = true;
        return true;
    }
    for (const auto& key : kPunctuationKeys) {
        if (key.plain == c || key.shifted == c) {
            virtualKey = key.virtualKey;
            shift = key.shifted == c;
            return true;
        }
    }
    return false;
}
