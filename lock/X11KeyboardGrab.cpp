#include "X11KeyboardGrab.h"

#include <QWindow>

X11KeyboardGrab::~X11KeyboardGrab() {
    Release();
}

bool X11KeyboardGrab::Grab(QWidget& window) {
    Release();
    // QWidget::grabKeyboard routes the application's keys to the window but does not say whether the X
    // server granted the grab; asking the window again does (a second grab by the holder succeeds).
    window.grabKeyboard();
    QWindow* const handle = window.windowHandle();
    if (!handle || !handle->setKeyboardGrabEnabled(true)) {
        window.releaseKeyboard();
        return false;
    }
    m_grabber = &window;
    return true;
}

void X11KeyboardGrab::Release() {
    if (m_grabber)
        m_grabber->releaseKeyboard();
    m_grabber = nullptr;
}
