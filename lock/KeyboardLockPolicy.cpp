#include "KeyboardLockPolicy.h"

namespace {

constexpr int kHookAction = 0;
constexpr std::uint32_t kKeyDown = 0x100;
constexpr std::uint32_t kKeyUp = 0x101;
constexpr std::uint32_t kSysKeyDown = 0x104;
constexpr std::uint32_t kSysKeyUp = 0x105;
constexpr std::uint32_t kAltDownFlag = 0x20;
constexpr std::uint32_t kTab = 0x09;
constexpr std::uint32_t kEscape = 0x1B;
constexpr std::uint32_t kDelete = 0x2E;

bool IsKeyMessage(std::uint32_t message) {
    return message == kKeyDown || message == kKeyUp || message == kSysKeyDown || message == kSysKeyUp;
}

} // namespace

bool ShouldSwallowKey(bool lockArmed, bool ontopChecked, const LowLevelKeyEvent& event) {
    if (!lockArmed || !ontopChecked || event.hookCode != kHookAction || !IsKeyMessage(event.message))
        return false;
    const bool alt = (event.flags & kAltDownFlag) != 0;
    switch (event.virtualKey) {
    case kTab:
        return alt;
    case kEscape:
        return alt || event.ctrlDown;
    case kDelete:
        return alt && event.ctrlDown;
    default:
        return false;
    }
}
