#include "KeyboardLock.h"

#include <QKeyEvent>

namespace {

// Only the keys the decision looks at need their key symbols; any other key gets one that matches none.
// The Qt key rather than the native key symbol, so that the offscreen platform decides as X11 does.
std::uint32_t KeysymOf(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Tab:
        return LockKeys::kTab;
    case Qt::Key_Backtab:
        return LockKeys::kIsoLeftTab;
    case Qt::Key_Escape:
        return LockKeys::kEscape;
    case Qt::Key_Delete:
        return LockKeys::kDelete;
    default:
        return 0;
    }
}

} // namespace

LockKeyEvent ToLockKeyEvent(const QKeyEvent& event) {
    LockKeyEvent lockEvent;
    lockEvent.keysym = KeysymOf(event.key());
    if (event.modifiers().testFlag(Qt::AltModifier))
        lockEvent.state |= LockKeys::kMod1Mask;
    if (event.modifiers().testFlag(Qt::ControlModifier))
        lockEvent.state |= LockKeys::kControlMask;
    return lockEvent;
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
    return ShouldSwallowKey(m_armed && !m_removed, ontopChecked, ToLockKeyEvent(event));
}
