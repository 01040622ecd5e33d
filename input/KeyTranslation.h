#pragma once
// From one key-down to at most one character of the swipe text, through the keyboard-layout service.
// The reader types in US key positions; the shift table fills in what the layout service leaves out for
// punctuation keys (their unshifted character is handed to it as if it were a key code). With Ctrl held,
// a character that has a control form becomes that control byte (Ctrl+J LF, Ctrl+M CR, Ctrl+^ RS), so a
// reader in "Ctrl + ASCII" mode delivers the separators of a barcode.

#include "IKeyboardLayout.h"

#include <cstdint>
#include <optional>

struct TranslatedKey {
    bool counted = false;          // false: the key is ignored entirely
    std::optional<char> character; // what the key appends to the swipe text, if anything
    int quietPeriodMs = 0;         // period of the quiet timer after a counted key
};

inline constexpr std::uint16_t kVirtualKeyEnter = 13;
inline constexpr int kQuietPeriodAfterEnterMs = 500;
inline constexpr int kQuietPeriodAfterKeyMs = 1000;

TranslatedKey TranslateKey(std::uint16_t virtualKey, IKeyboardLayout& layout);

// What Shift makes of an unshifted punctuation character of a US keyboard; 0 when it is not one of them.
char ShiftedPunctuation(unsigned char unshifted);

// The ASCII control character that Ctrl makes of `c` in caret notation ('@' to '_' and the lower-case
// letters: Ctrl+J 0x0A, Ctrl+^ 0x1E, Ctrl+] 0x1D); nothing for any other character.
std::optional<char> ControlCharacter(char c);
