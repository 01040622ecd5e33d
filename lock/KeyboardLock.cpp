#include "KeyboardLock.h"

#include <QKeyEvent>

namespace {
constexpr std::uint32_t kWmKeyDown = 0x100;
constexpr std::uint32_t kWmKeyUp = 0x101;
constexpr std::uint32_t kWmSysKeyDown = 0x104;
constexpr std::uint32_t kWmSysKeyUp = 0x105;
constexpr std::uint32_t kAltDownFlag = 0x20;

// Only the three keys the decision looks at need their Windows codes; any other key gets a code that
// matches none of them.
std::uint32_t VirtualKeyOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: // Shift+Tab: Shift is not looked at
        return 0x09;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Delete:
        return 0x2E;
    default:
        return 0;
    }
}
} // namespace

LowLevelKeyEvent ToLowLevelKeyEvent(const QKeyEvent& event) {
    const bool alt = event.modifiers().testFlag(Qt::AltModifier);
    const bool press = event.type() == QEvent::KeyPress;
    LowLevelKeyEvent low;
    low.hookCode = 0;
    low.message = press ? (alt ? kWmSysKeyDown : kWmKeyDown) : (alt ? kWmSysKeyUp : kWmKeyUp);
    low.virtualKey = VirtualKeyOf(event.key());
    low.flags = alt ? kAltDownFlag : 0;
    low.ctrlDown = event.modifiers().testFlag(Qt::ControlModifier);
    return low;
}

KeyboardLock::KeyboardLock(QWidget& window, std::unique_ptr<IKeyboardGrab> grab)
    : m_window(window), m_grab(std::move(grab)) {}

KeyboardLock::~KeyboardLock() {
    Remove();
}

void KeyboardLock::Update(const KeyboardLockInputs& inputs) {
    m_wanted = m_armed && !m_removed && inputs.ontopChecked && inputs.stationActive && !inputs.otherModalOpen;
    if (m_wanted == m_grabbed)
        return;
    if (m_wanted) {
        m_grabbed = m_grab->Grab(m_window);
        return;
    }
    m_grab->Release();
    m_grabbed = false;
}

void KeyboardLock::Remove() {
    m_removed = true;
    m_wanted = false;
    if (m_grabbed)
        m_grab->Release();
    m_grabbed = false;
}

bool KeyboardLock::ShouldSwallow(const QKeyEvent& event, bool ontopChecked) const {
    return ShouldSwallowKey(m_armed && !m_removed, ontopChecked, ToLowLevelKeyEvent(event));
}
