#pragma once
// One key press of the reader in its own terms: the character its key stands for as it types without
// Ctrl (by its position on the US keymap, or the text of the desktop's layout: ReaderKeymap), and whether
// Ctrl was held. The scan cycle turns it into the byte it adds to the swipe text (KeyTranslation).
//
//   X key code + modifiers --(US keymap | desktop text)--> ReaderKey --> TranslateKey --> swipe byte

struct ReaderKey {
    char32_t character = 0; // 0: a key that types nothing (Shift, an arrow, F1)
    bool control = false;
};
