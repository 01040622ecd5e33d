#pragma once
// From one reader key to at most one byte of the swipe text. Enter ends a line of the reader and adds
// nothing; printable ASCII, Backspace, Tab and Esc add their byte; every other key is ignored. With Ctrl
// held, a character that has a control form becomes that control byte (Ctrl+J LF, Ctrl+M CR, Ctrl+^ RS),
// so a reader in "Ctrl + ASCII" mode delivers the separators of a barcode.

#include "ReaderKey.h"

#include <optional>

struct TranslatedKey {
    bool counted = false;          // false: the key is ignored entirely
    std::optional<char> character; // what the key appends to the swipe text, if anything
    int quietPeriodMs = 0;         // period of the quiet timer after a counted key
};

inline constexpr int kQuietPeriodAfterEnterMs = 500;
inline constexpr int kQuietPeriodAfterKeyMs = 1000;

TranslatedKey TranslateKey(const ReaderKey& key);

// The ASCII control character that Ctrl makes of `c` in caret notation ('@' to '_' and the lower-case
// letters: Ctrl+J 0x0A, Ctrl+^ 0x1E, Ctrl+] 0x1D); nothing for any other character.
std::optional<char> ControlCharacter(char c);
