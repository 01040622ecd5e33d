#include "QtKeyInput.h"

#include "UsKeyboardLayout.h"

#include <QtGui/QKeyEvent>

namespace {

std::uint16_t VirtualKeyOfSpecialKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VirtualKey::Return;
    case Qt::Key_Backspace:
        return VirtualKey::Back;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VirtualKey::Tab;
    case Qt::Key_Escape:
        return VirtualKey::Escape;
    case Qt::Key_Shift:
        return VirtualKey::Shift;
    case Qt::Key_Control:
        return VirtualKey::Control;
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
        return VirtualKey::Menu;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
        return VirtualKey::LWin;
    case Qt::Key_Menu:
        return VirtualKey::Apps;
    case Qt::Key_CapsLock:
        return VirtualKey::Capital;
    case Qt::Key_NumLock:
        return VirtualKey::NumLock;
    case Qt::Key_ScrollLock:
        return VirtualKey::Scroll;
    case Qt::Key_Pause:
        return VirtualKey::Pause;
    case Qt::Key_Print:
        return VirtualKey::Snapshot;
    case Qt::Key_Insert:
        return VirtualKey::Insert;
    case Qt::Key_Delete:
        return VirtualKey::Delete;
    case Qt::Key_Home:
        return VirtualKey::Home;
    case Qt::Key_End:
        return VirtualKey::End;
    case Qt::Key_PageUp:
        return VirtualKey::Prior;
    case Qt::Key_PageDown:
        return VirtualKey::Next;
    case Qt::Key_Left:
        return VirtualKey::Left;
    case Qt::Key_Up:
        return VirtualKey::Up;
    case Qt::Key_Right:
        return VirtualKey::Right;
    case Qt::Key_Down:
        return VirtualKey::Down;
    default:
        break;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return static_cast<std::uint16_t>(VirtualKey::F1 + (qtKey - Qt::Key_F1));
    return 0;
}

bool IsPrintableAscii(char32_t c) {
    return c >= 0x20 && c <= 0x7E;
}

bool IsLetterOrDigitKey(int qtKey) {
    return (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9);
}

} // namespace

UsKeyStroke UsKeyStrokeFromQt(int qtKey, const QString& text, Qt::KeyboardModifiers modifiers) {
    UsKeyStroke stroke;
    stroke.control = modifiers.testFlag(Qt::ControlModifier);
    if (text.size() == 1 && IsPrintableAscii(text.front().unicode())) {
        UsKeyboardLayout::KeyForCharacter(static_cast<char>(text.front().unicode()), stroke.virtualKey, stroke.shift);
        return stroke;
    }
    if (const std::uint16_t special = VirtualKeyOfSpecialKey(qtKey); special != 0) {
        stroke.virtualKey = special;
        stroke.shift = modifiers.testFlag(Qt::ShiftModifier);
        return stroke;
    }
    // A key whose text is a control character because Ctrl is held: the key itself. Letters and digits
    // take the Shift that was reported; a symbol's Qt key is the symbol (Ctrl+^ is Key_AsciiCircum).
    if (IsLetterOrDigitKey(qtKey)) {
        stroke.virtualKey = static_cast<std::uint16_t>(qtKey);
        stroke.shift = modifiers.testFlag(Qt::ShiftModifier);
    } else if (IsPrintableAscii(static_cast<char32_t>(qtKey))) {
        UsKeyboardLayout::KeyForCharacter(static_cast<char>(qtKey), stroke.virtualKey, stroke.shift);
    }
    return stroke;
}

UsKeyStroke UsKeyStrokeOfCharacter(char32_t c, bool control) {
    UsKeyStroke stroke;
    stroke.control = control;
    switch (c) {
    case U'\r':
        stroke.virtualKey = VirtualKey::Return;
        return stroke;
    case U'\b':
        stroke.virtualKey = VirtualKey::Back;
        return stroke;
    case U'\t':
        stroke.virtualKey = VirtualKey::Tab;
        return stroke;
    case 0x1B:
        stroke.virtualKey = VirtualKey::Escape;
        return stroke;
    default:
        break;
    }
    if (IsPrintableAscii(c))
        UsKeyboardLayout::KeyForCharacter(static_cast<char>(c), stroke.virtualKey, stroke.shift);
    return stroke;
}
