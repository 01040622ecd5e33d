#include "KeyboardLockPolicy.h"

#include "RowName.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

constexpr std::uint32_t kKeyDown = 0x100, kKeyUp = 0x101, kSysKeyDown = 0x104, kSysKeyUp = 0x105;
constexpr std::uint32_t kAlt = 0x20;
constexpr std::uint32_t kTab = 0x09, kEsc = 0x1B, kDel = 0x2E, kF4 = 0x73;
constexpr std::uint32_t kShift = 0x10, kCtrl = 0x11, kMenu = 0x12, kLWin = 0x5B, kRWin = 0x5C;

struct LockCase {
    const char* name;
    std::uint32_t virtualKey;
    std::uint32_t flags;
    bool ctrlDown;
    bool swallowed;
};

void PrintTo(const LockCase& row, std::ostream* os) {
    *os << row.name;
}

// Every row is tried with the four key messages: presses and releases, plain and system variants alike.
class KeyboardLock : public ::testing::TestWithParam<LockCase> {};

TEST_P(KeyboardLock, DecidesTheSameForEveryKeyMessage) {
    const LockCase& c = GetParam();
    for (const std::uint32_t message : {kKeyDown, kKeyUp, kSysKeyDown, kSysKeyUp}) {
        const LowLevelKeyEvent event{0, message, c.virtualKey, c.flags, c.ctrlDown};
        EXPECT_EQ(ShouldSwallowKey(true, true, event), c.swallowed) << "message 0x" << std::hex << message;
        EXPECT_FALSE(ShouldSwallowKey(true, false, event)) << "Always On Top unchecked";
        EXPECT_FALSE(ShouldSwallowKey(false, true, event)) << "lock not armed yet";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyboardLock,
    ::testing::Values(
        LockCase{"AltTab", kTab, kAlt, false, true}, LockCase{"AltShiftTab", kTab, kAlt, false, true},
        LockCase{"CtrlAltTab", kTab, kAlt, true, true}, LockCase{"AltEsc", kEsc, kAlt, false, true},
        LockCase{"CtrlEsc", kEsc, 0, true, true}, LockCase{"CtrlShiftEsc", kEsc, 0, true, true},
        LockCase{"CtrlAltDel", kDel, kAlt, true, true}, LockCase{"TabAlone", kTab, 0, false, false},
        LockCase{"CtrlTab", kTab, 0, true, false}, LockCase{"EscAlone", kEsc, 0, false, false},
        LockCase{"DelAlone", kDel, 0, false, false}, LockCase{"AltDelWithoutCtrl", kDel, kAlt, false, false},
        LockCase{"CtrlDelWithoutAlt", kDel, 0, true, false}, LockCase{"AltF4", kF4, kAlt, false, false},
        LockCase{"AltOwnEvent", kMenu, kAlt, false, false}, LockCase{"CtrlOwnEvent", kCtrl, 0, true, false},
        LockCase{"ShiftOwnEventWithAltAndCtrl", kShift, kAlt, true, false},
        LockCase{"LeftWindowsKey", kLWin, 0, false, false}, LockCase{"RightWindowsKey", kRWin, 0, false, false},
        LockCase{"OtherAltFlagBitsIgnored", kTab, 0xFFu & ~kAlt, true, false}),
    RowName());

TEST(KeyboardLockEvents, OnlyActionEventsOfTheFourKeyMessagesAreLookedAt) {
    const LowLevelKeyEvent altTab{0, kSysKeyDown, kTab, kAlt, false};
    LowLevelKeyEvent notAction = altTab;
    notAction.hookCode = 3;
    EXPECT_FALSE(ShouldSwallowKey(true, true, notAction));
    notAction.hookCode = -1;
    EXPECT_FALSE(ShouldSwallowKey(true, true, notAction));
    for (const std::uint32_t message : {0x0u, 0x102u, 0x103u, 0x106u, 0x107u, 0x0FFu}) {
        LowLevelKeyEvent other = altTab;
        other.message = message;
        EXPECT_FALSE(ShouldSwallowKey(true, true, other)) << "message 0x" << std::hex << message;
    }
}

} // namespace
