#pragma once
// The keyboard lock's decision, as a pure function of one key event in X terms (its key symbol and the
// X modifier state): which keys are withheld from the desktop while "Always On Top" is checked, the
// desktop's task-switching and session shortcuts Alt+Tab, Alt+Esc, Ctrl+Esc and Ctrl+Alt+Delete.
// Presses and releases are decided alike.

#include <cstdint>

namespace LockKeys {
// Key symbols (X11/keysymdef.h) and modifier masks (X11/X.h) of the keys the decision looks at.
inline constexpr std::uint32_t kTab = 0xFF09;
inline constexpr std::uint32_t kIsoLeftTab = 0xFE20; // Shift+Tab
inline constexpr std::uint32_t kEscape = 0xFF1B;
inline constexpr std::uint32_t kDelete = 0xFFFF;
inline constexpr std::uint32_t kControlMask = 1u << 2;
inline constexpr std::uint32_t kMod1Mask = 1u << 3; // Alt
} // namespace LockKeys

struct LockKeyEvent {
    std::uint32_t keysym = 0;
    std::uint32_t state = 0; // X modifier mask
};

// True when the event is to be swallowed.
bool ShouldSwallowKey(bool lockArmed, bool ontopChecked, const LockKeyEvent& event);
