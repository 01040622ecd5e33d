#include "KeyboardLockPolicy.h"

bool ShouldSwallowKey(bool lockArmed, bool ontopChecked, const LockKeyEvent& event) {
    if (!lockArmed || !ontopChecked)
        return false;
    const bool alt = (event.state & LockKeys::kMod1Mask) != 0;
    const bool control = (event.state & LockKeys::kControlMask) != 0;
    switch (event.keysym) {
    case LockKeys::kTab:
    case LockKeys::kIsoLeftTab:
        return alt;
    case LockKeys::kEscape:
        return alt || control;
    case LockKeys::kDelete:
        return alt && control;
    default:
        return false;
    }
}
