#include "KeyboardLockPolicy.h"

#include "RowName.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

using namespace LockKeys;

constexpr std::uint32_t kF4 = 0xFFC1, kShiftL = 0xFFE1, kControlL = 0xFFE3, kAltL = 0xFFE9, kSuperL = 0xFFEB,
                        kSuperR = 0xFFEC;
constexpr std::uint32_t kShiftMask = 1u << 0, kLockMask = 1u << 1, kMod2Mask = 1u << 4, kMod4Mask = 1u << 6;

struct LockCase {
    const char* name;
    std::uint32_t keysym;
    std::uint32_t state;
    bool swallowed;
};

void PrintTo(const LockCase& row, std::ostream* os) {
    *os << row.name;
}

class KeyboardLock : public ::testing::TestWithParam<LockCase> {};

// Caps Lock and Num Lock never change the decision, and neither does the lock's state when it is off.
TEST_P(KeyboardLock, DecidesWhateverTheLockKeys) {
    const LockCase& c = GetParam();
    for (const std::uint32_t locks : {0u, kLockMask, kMod2Mask, kLockMask | kMod2Mask}) {
        const LockKeyEvent event{c.keysym, c.state | locks};
        EXPECT_EQ(ShouldSwallowKey(true, true, event), c.swallowed) << "locks 0x" << std::hex << locks;
        EXPECT_FALSE(ShouldSwallowKey(true, false, event)) << "Always On Top unchecked";
        EXPECT_FALSE(ShouldSwallowKey(false, true, event)) << "lock not armed yet";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, KeyboardLock,
    ::testing::Values(LockCase{"AltTab", kTab, kMod1Mask, true},
                      LockCase{"AltShiftTab", kIsoLeftTab, kMod1Mask | kShiftMask, true},
                      LockCase{"CtrlAltTab", kTab, kMod1Mask | kControlMask, true},
                      LockCase{"AltEsc", kEscape, kMod1Mask, true}, LockCase{"CtrlEsc", kEscape, kControlMask, true},
                      LockCase{"CtrlShiftEsc", kEscape, kControlMask | kShiftMask, true},
                      LockCase{"CtrlAltDel", kDelete, kMod1Mask | kControlMask, true},
                      LockCase{"TabAlone", kTab, 0, false}, LockCase{"ShiftTabAlone", kIsoLeftTab, kShiftMask, false},
                      LockCase{"CtrlTab", kTab, kControlMask, false}, LockCase{"EscAlone", kEscape, 0, false},
                      LockCase{"DelAlone", kDelete, 0, false}, LockCase{"AltDelWithoutCtrl", kDelete, kMod1Mask, false},
                      LockCase{"CtrlDelWithoutAlt", kDelete, kControlMask, false},
                      LockCase{"AltF4", kF4, kMod1Mask, false}, LockCase{"AltOwnEvent", kAltL, kMod1Mask, false},
                      LockCase{"CtrlOwnEvent", kControlL, kControlMask, false},
                      LockCase{"ShiftOwnEventWithAltAndCtrl", kShiftL, kMod1Mask | kControlMask, false},
                      LockCase{"SuperTabIsNoAlt", kTab, kMod4Mask, false}, LockCase{"LeftSuperKey", kSuperL, 0, false},
                      LockCase{"RightSuperKey", kSuperR, 0, false}),
    RowName());

} // namespace
