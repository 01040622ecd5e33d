#pragma once
// The keyboard lock's decision, as a pure function of one low-level key event: which events are withheld
// from the desktop while "Always On Top" is checked (Alt+Tab, Alt+Esc, Ctrl+Esc, Ctrl+Alt+Delete).

#include <cstdint>

struct LowLevelKeyEvent {
    int hookCode = 0;          // 0 = HC_ACTION
    std::uint32_t message = 0; // WM_KEYDOWN 0x100, WM_KEYUP 0x101, WM_SYSKEYDOWN 0x104, WM_SYSKEYUP 0x105
    std::uint32_t virtualKey = 0;
    std::uint32_t flags = 0; // 0x20 = LLKHF_ALTDOWN
    bool ctrlDown = false;   // GetKeyState(VK_CONTROL) < 0
};

// True when the event is to be swallowed.
bool ShouldSwallowKey(bool lockArmed, bool ontopChecked, const LowLevelKeyEvent& event);
